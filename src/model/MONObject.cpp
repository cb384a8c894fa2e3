#include "MONObject.h"

#include "util/TextUtils.h"

#include <functional>

MONObject::MONObject(quint64 objType_, const QString& objId_, const QString& name_, const QString& embedUrl_,
    const QString& clientUrl_, const QString& webUrl_, const QString& contentUrl_, const QString& selfUrl_,
    const QString& parentSectionGroupUrl_, const QString& parentNotebookUrl_)
    : objType(objType_)
    , objId(objId_)
    , name(name_)
    , embedUrl(embedUrl_)
    , clientUrl(clientUrl_)
    , webUrl(webUrl_)
    , contentUrl(contentUrl_)
    , selfUrl(selfUrl_)
    , parentSectionGroupUrl(parentSectionGroupUrl_)
    , parentNotebookUrl(parentNotebookUrl_)
{ }

qsizetype MONObject::indexInParent() const
{
    if (!m_Parent)
        return -1;
    const auto& siblings = m_Parent->m_Children;
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this)
            return qsizetype(i);
    }
    return -1;
}

MONObject* MONObject::Append(std::unique_ptr<MONObject> node)
{
    node->m_Parent = this;
    m_Children.push_back(std::move(node));
    return m_Children.back().get();
}

MONObject* MONObject::addSubObject(quint64 objType_, const QString& objId_, const QString& name_,
    const QString& embedUrl_, const QString& clientUrl_, const QString& webUrl_, const QString& contentUrl_,
    const QString& selfUrl_, const QString& parentSectionGroupUrl_, const QString& parentNotebookUrl_)
{
    return Append(std::make_unique<MONObject>(objType_, objId_, name_, embedUrl_, clientUrl_, webUrl_, contentUrl_,
        selfUrl_, parentSectionGroupUrl_, parentNotebookUrl_));
}

MONObject* MONObject::copyAdd(const MONObject& s)
{
    MONObject* node = addSubObject(s.objType, s.objId, s.name, s.embedUrl, s.clientUrl, s.webUrl, s.contentUrl,
        s.selfUrl, s.parentSectionGroupUrl, s.parentNotebookUrl);
    node->boolValue = s.boolValue;
    node->intValue = s.intValue;
    node->strValue = s.strValue;
    node->sectionsUrl = s.sectionsUrl;
    node->sectionGroupsUrl = s.sectionGroupsUrl;
    node->pagesUrl = s.pagesUrl;
    return node;
}

void MONObject::clear()
{
    m_Children.clear();
}

void MONObject::swapChildren(MONObject& other)
{
    m_Children.swap(other.m_Children);
    for (const auto& child : m_Children)
        child->m_Parent = this;
    for (const auto& child : other.m_Children)
        child->m_Parent = &other;
}

std::unique_ptr<MONObject> MONObject::CloneTree() const
{
    auto copy = std::make_unique<MONObject>(objType, objId, name, embedUrl, clientUrl, webUrl, contentUrl, selfUrl,
        parentSectionGroupUrl, parentNotebookUrl);
    copy->isDefault = isDefault;
    copy->boolValue = boolValue;
    copy->sectionsUrl = sectionsUrl;
    copy->sectionGroupsUrl = sectionGroupsUrl;
    copy->pagesUrl = pagesUrl;
    copy->userRole = userRole;
    copy->createdBy = createdBy;
    copy->creatorId = creatorId;
    copy->intValue = intValue;
    copy->strValue = strValue;
    copy->intValue64 = intValue64;
    for (const auto& c : m_Children)
        copy->Append(c->CloneTree());
    return copy;
}

namespace {

// Depth-first pre-order below `node`: each child is tested before its subtree, then the next child.
MONObject* FindBelow(const MONObject* node, const std::function<bool(const MONObject&)>& match)
{
    if (!node)
        return nullptr;
    for (const auto& c : node->children()) {
        if (match(*c))
            return c.get();
        if (MONObject* found = FindBelow(c.get(), match))
            return found;
    }
    return nullptr;
}

MONObject* FirstChecked(const MONObject* node, quint64 type)
{
    return FindBelow(node, [type](const MONObject& n) { return n.objType == type && n.intValue != 0; });
}

} // namespace

MONObject* MONObject::GetFirstCheckedNotebook(const MONObject* node)
{
    return FirstChecked(node, Notebook);
}

MONObject* MONObject::GetFirstCheckedSectionGroup(const MONObject* node)
{
    return FirstChecked(node, SectionGroup);
}

MONObject* MONObject::GetFirstCheckedSection(const MONObject* node)
{
    return FirstChecked(node, Section);
}

MONObject* MONObject::GetObjectByObjId(const QString& id, const MONObject* start)
{
    if (id.isEmpty())
        return nullptr;
    return FindBelow(start, [&id](const MONObject& n) { return StringEqualsIgnoreCase(n.objId, id); });
}

MONObject* MONObject::GetObjectByUrl(const QString& url, const MONObject* start)
{
    if (url.isEmpty())
        return nullptr;
    return FindBelow(start, [&url](const MONObject& n) { return StringEqualsIgnoreCase(n.selfUrl, url); });
}

MONObject* MONObject::GetObjectByName(const QString& name, const MONObject* parent, quint64 type, bool onlySub)
{
    if (!parent)
        return nullptr;
    for (const auto& c : parent->children()) {
        if (c->objType == type && StringEqualsIgnoreCase(c->name, name))
            return c.get();
        if (!onlySub) {
            if (MONObject* found = GetObjectByName(name, c.get(), type, false))
                return found;
        }
    }
    return nullptr;
}

MONObject* MONObject::GetObjectByName(
    const QString& name, const QString& parentSelfUrl, quint64 type, bool onlySub) const
{
    const MONObject* parent = this;
    if (!parentSelfUrl.isEmpty()) {
        parent = GetObjectByUrl(parentSelfUrl, this);
        if (!parent)
            return nullptr;
    }
    return GetObjectByName(name, parent, type, onlySub);
}

bool MONObject::delObjectByIndex(qint64 index, MONObject* parent, qint64& current)
{
    if (!parent)
        return false;
    auto& children = parent->m_Children;
    for (size_t i = 0; i < children.size(); ++i) {
        ++current;
        if (current == index) {
            children[i]->clear();
            children.erase(children.begin() + qsizetype(i));
            return true;
        }
        if (delObjectByIndex(index, children[i].get(), current))
            return true;
    }
    return false;
}

void CheckChildrenCheckBox(MONObject* node)
{
    if (!node)
        return;
    for (const auto& c : node->children()) {
        c->intValue = node->intValue;
        CheckChildrenCheckBox(c.get());
    }
}

void CheckParentCheckBox(MONObject* node)
{
    for (MONObject* p = node ? node->parent() : nullptr; p; p = p->parent()) {
        bool any = false;
        for (const auto& c : p->children())
            any = any || c->intValue != 0;
        p->intValue = any ? 1 : 0;
    }
}

void SetCheckState(MONObject* node, qint64 state)
{
    if (!node)
        return;
    node->intValue = state;
    CheckChildrenCheckBox(node);
    CheckParentCheckBox(node);
}
