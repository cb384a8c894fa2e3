#include "MTreeModel.h"

#include "MIcons.h"
#include "model/MNotebookNode.h"

MTreeModel::MTreeModel(MNotebookNode* root, QObject* parent)
    : MNodeModel<MNotebookNode>(root, parent)
{ }

void MTreeModel::SetAllChecked(bool checked)
{
    if (!Root())
        return;
    Root()->checked = checked;
    CheckChildrenCheckBox(Root());
    EmitAllChanged(QModelIndex(), {Qt::CheckStateRole});
}

int MTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

namespace {

bool AllBelowChecked(const MNotebookNode& node)
{
    for (const auto& child : node.children())
        if (!child->checked || !AllBelowChecked(*child))
            return false;
    return true;
}

} // namespace

QVariant MTreeModel::data(const QModelIndex& index, int role) const
{
    const MNotebookNode* node = index.isValid() ? NodeAt(index) : nullptr;
    if (!node)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return node->name;
    case Qt::CheckStateRole:
        // A checked container with unchecked parts below it shows as partly checked, so that the
        // user sees at a glance that only some of its sections take part in a run.
        if (!node->checked)
            return Qt::Unchecked;
        return AllBelowChecked(*node) ? Qt::Checked : Qt::PartiallyChecked;
    case Qt::DecorationRole:
        return NodeIcon(*node);
    default:
        return QVariant();
    }
}

bool MTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    MNotebookNode* node = index.isValid() ? NodeAt(index) : nullptr;
    if (!node || role != Qt::CheckStateRole)
        return false;
    SetCheckState(node, value.toInt() == Qt::Checked);
    EmitAllChanged(QModelIndex(), {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags MTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}
