#include "MTreeModel.h"

#include "MIcons.h"
#include "model/MONObject.h"

MTreeModel::MTreeModel(MONObject* root, QObject* parent)
    : QAbstractItemModel(parent)
    , m_Root(root)
{ }

MONObject* MTreeModel::NodeAt(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<MONObject*>(index.internalPointer()) : m_Root;
}

QModelIndex MTreeModel::IndexOf(const MONObject* node) const
{
    if (!node || node == m_Root || !node->parent())
        return QModelIndex();
    return createIndex(int(node->indexInParent()), 0, const_cast<MONObject*>(node));
}

void MTreeModel::Reload()
{
    beginResetModel();
    endResetModel();
}

void MTreeModel::SetAllChecked(bool checked)
{
    if (!m_Root)
        return;
    m_Root->intValue = checked ? 1 : 0;
    CheckChildrenCheckBox(m_Root);
    EmitAllChanged(QModelIndex());
}

QModelIndex MTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const MONObject* node = NodeAt(parent);
    if (!node || column != 0 || row < 0 || size_t(row) >= node->childCount())
        return QModelIndex();
    return createIndex(row, column, node->child(size_t(row)));
}

QModelIndex MTreeModel::parent(const QModelIndex& child) const
{
    const MONObject* node = NodeAt(child);
    if (!child.isValid() || !node)
        return QModelIndex();
    return IndexOf(node->parent());
}

int MTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const MONObject* node = NodeAt(parent);
    return node ? int(node->childCount()) : 0;
}

int MTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool MTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

namespace {

bool AllBelowChecked(const MONObject& node)
{
    for (const auto& child : node.children())
        if (child->intValue == 0 || !AllBelowChecked(*child))
            return false;
    return true;
}

} // namespace

QVariant MTreeModel::data(const QModelIndex& index, int role) const
{
    const MONObject* node = index.isValid() ? NodeAt(index) : nullptr;
    if (!node)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return node->name;
    case Qt::CheckStateRole:
        // A checked container with unchecked parts below it shows as partly checked, so that the
        // user sees at a glance that only some of its sections take part in a run.
        if (node->intValue == 0)
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
    MONObject* node = index.isValid() ? NodeAt(index) : nullptr;
    if (!node || role != Qt::CheckStateRole)
        return false;
    SetCheckState(node, value.toInt() == Qt::Checked ? 1 : 0);
    EmitAllChanged(QModelIndex());
    return true;
}

Qt::ItemFlags MTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

void MTreeModel::EmitAllChanged(const QModelIndex& parent)
{
    const int rows = rowCount(parent);
    if (rows == 0)
        return;
    emit dataChanged(index(0, 0, parent), index(rows - 1, 0, parent), {Qt::CheckStateRole});
    for (int row = 0; row < rows; ++row)
        EmitAllChanged(index(row, 0, parent));
}
