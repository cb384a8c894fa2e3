#include "MNodeModel.h"

#include "model/MONObject.h"

MNodeModel::MNodeModel(MONObject* root, QObject* parent)
    : QAbstractItemModel(parent)
    , m_Root(root)
{ }

MONObject* MNodeModel::NodeAt(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<MONObject*>(index.internalPointer()) : m_Root;
}

QModelIndex MNodeModel::IndexOf(const MONObject* node, int column) const
{
    if (!node || node == m_Root || !node->parent())
        return QModelIndex();
    return createIndex(int(node->indexInParent()), column, const_cast<MONObject*>(node));
}

void MNodeModel::Reload()
{
    beginResetModel();
    endResetModel();
}

void MNodeModel::ReplaceChildren(MONObject& fresh)
{
    beginResetModel();
    if (m_Root)
        m_Root->swapChildren(fresh);
    endResetModel();
}

void MNodeModel::AppendChildren(MONObject& parent, int count, const std::function<void()>& add)
{
    if (count <= 0) {
        add();
        return;
    }
    const int first = int(parent.childCount());
    beginInsertRows(IndexOf(&parent), first, first + count - 1);
    add();
    endInsertRows();
}

QModelIndex MNodeModel::index(int row, int column, const QModelIndex& parent) const
{
    const MONObject* node = NodeAt(parent);
    if (!node || column < 0 || column >= columnCount(parent) || row < 0 || size_t(row) >= node->childCount())
        return QModelIndex();
    return createIndex(row, column, node->child(size_t(row)));
}

QModelIndex MNodeModel::parent(const QModelIndex& child) const
{
    const MONObject* node = NodeAt(child);
    if (!child.isValid() || !node)
        return QModelIndex();
    return IndexOf(node->parent());
}

int MNodeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const MONObject* node = NodeAt(parent);
    return node ? int(node->childCount()) : 0;
}

bool MNodeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

void MNodeModel::EmitAllChanged(const QModelIndex& parent, const QList<int>& roles)
{
    const int rows = rowCount(parent);
    if (rows == 0)
        return;
    emit dataChanged(index(0, 0, parent), index(rows - 1, columnCount(parent) - 1, parent), roles);
    for (int row = 0; row < rows; ++row)
        EmitAllChanged(index(row, 0, parent), roles);
}
