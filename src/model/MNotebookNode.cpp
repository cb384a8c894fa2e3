#include "MNotebookNode.h"

#include "util/TextUtils.h"

#include <functional>

MNotebookNode* MNotebookNode::AddChild(MNodeKind kind_, const QString& id_, const QString& name_)
{
    MNotebookNode* node = AddChild();
    node->kind = kind_;
    node->id = id_;
    node->name = name_;
    return node;
}

namespace {

// Depth-first pre-order below `node`: each child is tested before its subtree, then the next child.
MNotebookNode* FindBelow(const MNotebookNode* node, const std::function<bool(const MNotebookNode&)>& match)
{
    if (!node)
        return nullptr;
    for (const auto& c : node->children()) {
        if (match(*c))
            return c.get();
        if (MNotebookNode* found = FindBelow(c.get(), match))
            return found;
    }
    return nullptr;
}

MNotebookNode* FirstChecked(const MNotebookNode* node, MNodeKind kind)
{
    return FindBelow(node, [kind](const MNotebookNode& n) { return n.kind == kind && n.checked; });
}

} // namespace

MNotebookNode* MNotebookNode::GetFirstCheckedNotebook(const MNotebookNode* node)
{
    return FirstChecked(node, MNodeKind::Notebook);
}

MNotebookNode* MNotebookNode::GetFirstCheckedSectionGroup(const MNotebookNode* node)
{
    return FirstChecked(node, MNodeKind::SectionGroup);
}

MNotebookNode* MNotebookNode::GetFirstCheckedSection(const MNotebookNode* node)
{
    return FirstChecked(node, MNodeKind::Section);
}

MNotebookNode* MNotebookNode::GetObjectById(const QString& key, const MNotebookNode* start)
{
    if (key.isEmpty())
        return nullptr;
    return FindBelow(start, [&key](const MNotebookNode& n) { return StringEqualsIgnoreCase(n.id, key); });
}

MNotebookNode* MNotebookNode::GetObjectByUrl(const QString& url, const MNotebookNode* start)
{
    if (url.isEmpty())
        return nullptr;
    return FindBelow(start, [&url](const MNotebookNode& n) { return StringEqualsIgnoreCase(n.selfUrl, url); });
}

MNotebookNode* MNotebookNode::GetObjectByName(
    const QString& key, const MNotebookNode* parent, MNodeKind wanted, bool onlySub)
{
    if (!parent)
        return nullptr;
    for (const auto& c : parent->children()) {
        if (c->kind == wanted && StringEqualsIgnoreCase(c->name, key))
            return c.get();
        if (!onlySub) {
            if (MNotebookNode* found = GetObjectByName(key, c.get(), wanted, false))
                return found;
        }
    }
    return nullptr;
}

MNotebookNode* MNotebookNode::GetObjectByName(
    const QString& key, const QString& parentSelfUrl, MNodeKind wanted, bool onlySub) const
{
    const MNotebookNode* parent = this;
    if (!parentSelfUrl.isEmpty()) {
        parent = GetObjectByUrl(parentSelfUrl, this);
        if (!parent)
            return nullptr;
    }
    return GetObjectByName(key, parent, wanted, onlySub);
}

void CheckChildrenCheckBox(MNotebookNode* node)
{
    if (!node)
        return;
    for (const auto& c : node->children()) {
        c->checked = node->checked;
        CheckChildrenCheckBox(c.get());
    }
}

void CheckParentCheckBox(MNotebookNode* node)
{
    for (MNotebookNode* p = node ? node->parent() : nullptr; p; p = p->parent()) {
        bool any = false;
        for (const auto& c : p->children())
            any = any || c->checked;
        p->checked = any;
    }
}

void SetCheckState(MNotebookNode* node, bool checked)
{
    if (!node)
        return;
    node->checked = checked;
    CheckChildrenCheckBox(node);
    CheckParentCheckBox(node);
}
