#pragma once

#include <QAbstractItemModel>
#include <functional>

class MONObject;

// The shape every item model over an MONObject tree shares: the root's children are the top rows,
// a node's rows are its children, an index points at its node. The model does not own the tree.
// What the columns show is the subclass's.
class MNodeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit MNodeModel(MONObject* root, QObject* parent = nullptr);

    MONObject* Root() const { return m_Root; }
    // The node of an index; the root for the invalid index.
    MONObject* NodeAt(const QModelIndex& index) const;
    QModelIndex IndexOf(const MONObject* node, int column = 0) const;

    // The tree changed shape (rebuilt, emptied) behind the model's back: every view forgets its rows.
    void Reload();
    // Puts the children of `fresh` in place of the root's (the old ones go to `fresh`), telling the
    // views before and after, so that no view looks at a node that is gone.
    void ReplaceChildren(MONObject& fresh);
    // Runs `add`, which appends `count` children to `parent`, telling the views before and after, so
    // that rows arriving during a run keep what the views have expanded and selected.
    void AppendChildren(MONObject& parent, int count, const std::function<void()>& add);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;

protected:
    // Every row below `parent`, all columns, changed in `roles` (no row added or removed).
    void EmitAllChanged(const QModelIndex& parent, const QList<int>& roles);

private:
    MONObject* m_Root;
};
