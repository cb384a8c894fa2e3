#pragma once

#include "model/MNotebookNode.h"
#include "widgets/MNodeModel.h"

// The notebook outline over the shared tree: one column, the node's name with its icon and a check
// box. Checking a row pushes the state down to every descendant and recomputes the ancestors (one is
// checked when any of its children is). Call Reload after the tree has been rebuilt in place, or
// hand a new tree to ReplaceChildren.
class MTreeModel : public MNodeModel<MNotebookNode>
{
    Q_OBJECT
public:
    explicit MTreeModel(MNotebookNode* root, QObject* parent = nullptr);

    // Sets the root's state, pushes it through the whole tree and repaints every row.
    void SetAllChecked(bool checked);

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
};
