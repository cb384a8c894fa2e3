#pragma once

#include <QtGlobal>
#include <memory>
#include <vector>

// What a node of any of the trees stands for; the icon of its row follows it.
enum class MNodeKind {
    Root, // the invisible root of a tree
    Notebook,
    SectionGroup,
    Section,
    Page,
    Paragraph, // a search hit inside a page
    RecognisedText, // a search hit in the text recognised in a picture
};

// The shape both trees share (the notebook tree and a run's result tree): a node owns its
// children, `parent` is a plain back pointer. Copying a node copies its own fields only: the copy
// has no parent and no children (CloneTree copies a subtree).
template<class Node> class MTreeNode
{
public:
    MTreeNode() = default;
    MTreeNode(const MTreeNode&) { }
    MTreeNode& operator=(const MTreeNode&) = delete;

    Node* parent() const { return m_Parent; }
    const std::vector<std::unique_ptr<Node>>& children() const { return m_Children; }
    Node* child(size_t index) const { return m_Children.at(index).get(); }
    size_t childCount() const { return m_Children.size(); }
    // Position of this node in its parent's children, or -1 for the root.
    qsizetype indexInParent() const
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

    // Appends `node` (a fresh one when none is given) and returns it.
    Node* AddChild(std::unique_ptr<Node> node = std::make_unique<Node>())
    {
        node->m_Parent = static_cast<Node*>(this);
        m_Children.push_back(std::move(node));
        return m_Children.back().get();
    }
    // Appends a copy of `source`'s fields, without its children.
    Node* AddCopy(const Node& source) { return AddChild(std::make_unique<Node>(source)); }
    void clear() { m_Children.clear(); }
    // Exchanges the children of the two nodes (their parent links follow), so that a tree built
    // elsewhere can take the place of this one's in one step.
    void swapChildren(Node& other)
    {
        m_Children.swap(other.m_Children);
        for (const auto& c : m_Children)
            c->m_Parent = static_cast<Node*>(this);
        for (const auto& c : other.m_Children)
            c->m_Parent = &other;
    }
    // A deep copy of this node and its subtree: the snapshot a task walks, so a tree refresh on the
    // main thread never frees nodes under a running task.
    std::unique_ptr<Node> CloneTree() const
    {
        auto copy = std::make_unique<Node>(static_cast<const Node&>(*this));
        for (const auto& c : m_Children)
            copy->AddChild(c->CloneTree());
        return copy;
    }
    // Removes `node` (and its subtree) when it is a child of this one.
    bool RemoveChild(const Node* node)
    {
        for (auto it = m_Children.begin(); it != m_Children.end(); ++it) {
            if (it->get() == node) {
                m_Children.erase(it);
                return true;
            }
        }
        return false;
    }

private:
    template<class> friend class MTreeNode;

    Node* m_Parent = nullptr;
    std::vector<std::unique_ptr<Node>> m_Children;
};
