#pragma once

#include <QAbstractItemModel>
#include <functional>

// The shape every item model over a node tree shares: the root's children are the top rows, a
// node's rows are its children, an index points at its node. The model does not own the tree.
// What the columns show is the subclass's. The walk over the nodes is typed in MNodeModel below;
// this base holds what does not depend on the node type (a QObject cannot be a template).
class MNodeModelBase : public QAbstractItemModel
{
    Q_OBJECT
public:
    using QAbstractItemModel::QAbstractItemModel;

    // The tree changed shape (rebuilt, emptied) behind the model's back: every view forgets its rows.
    void Reload();

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;

protected:
    // The tree as the base walks it: a node is its index's internal pointer, the root is null.
    virtual void* ChildAt(const QModelIndex& parent, int row) const = 0;
    virtual int ChildCount(const QModelIndex& parent) const = 0;
    virtual QModelIndex ParentIndex(const QModelIndex& child) const = 0;
    QModelIndex MakeIndex(int row, int column, void* node) const { return createIndex(row, column, node); }
    // Runs `add`, which appends `count` rows below `parent`, telling the views before and after.
    void AppendRows(const QModelIndex& parent, int first, int count, const std::function<void()>& add);
    // Every row below `parent`, all columns, changed in `roles` (no row added or removed).
    void EmitAllChanged(const QModelIndex& parent, const QList<int>& roles);
};

template<class Node> class MNodeModel : public MNodeModelBase
{
public:
    explicit MNodeModel(Node* root, QObject* parent = nullptr)
        : MNodeModelBase(parent)
        , m_Root(root)
    { }

    Node* Root() const { return m_Root; }
    // The node of an index; the root for the invalid index.
    Node* NodeAt(const QModelIndex& index) const
    {
        return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_Root;
    }
    QModelIndex IndexOf(const Node* node, int column = 0) const
    {
        if (!node || node == m_Root || !node->parent())
            return QModelIndex();
        return MakeIndex(int(node->indexInParent()), column, const_cast<Node*>(node));
    }

    // Puts the children of `fresh` in place of the root's (the old ones go to `fresh`), telling the
    // views before and after, so that no view looks at a node that is gone.
    void ReplaceChildren(Node& fresh)
    {
        beginResetModel();
        if (m_Root)
            m_Root->swapChildren(fresh);
        endResetModel();
    }
    // Runs `add`, which appends `count` children to `parent`, telling the views before and after, so
    // that rows arriving during a run keep what the views have expanded and selected.
    void AppendChildren(Node& parent, int count, const std::function<void()>& add)
    {
        AppendRows(IndexOf(&parent), int(parent.childCount()), count, add);
    }

protected:
    void* ChildAt(const QModelIndex& parent, int row) const override
    {
        const Node* node = NodeAt(parent);
        return node && row >= 0 && size_t(row) < node->childCount() ? node->child(size_t(row)) : nullptr;
    }
    int ChildCount(const QModelIndex& parent) const override
    {
        const Node* node = NodeAt(parent);
        return node ? int(node->childCount()) : 0;
    }
    QModelIndex ParentIndex(const QModelIndex& child) const override
    {
        const Node* node = NodeAt(child);
        return node ? IndexOf(node->parent()) : QModelIndex();
    }

private:
    Node* m_Root;
};
