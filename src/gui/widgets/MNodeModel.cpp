#include "MNodeModel.h"

void MNodeModelBase::Reload()
{
    beginResetModel();
    endResetModel();
}

void MNodeModelBase::AppendRows(const QModelIndex& parent, int first, int count, const std::function<void()>& add)
{
    if (count <= 0) {
        add();
        return;
    }
    beginInsertRows(parent, first, first + count - 1);
    add();
    endInsertRows();
}

QModelIndex MNodeModelBase::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= columnCount(parent))
        return QModelIndex();
    void* node = ChildAt(parent, row);
    return node ? createIndex(row, column, node) : QModelIndex();
}

QModelIndex MNodeModelBase::parent(const QModelIndex& child) const
{
    return child.isValid() ? ParentIndex(child) : QModelIndex();
}

int MNodeModelBase::rowCount(const QModelIndex& parent) const
{
    return parent.column() > 0 ? 0 : ChildCount(parent);
}

bool MNodeModelBase::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

void MNodeModelBase::EmitAllChanged(const QModelIndex& parent, const QList<int>& roles)
{
    const int rows = rowCount(parent);
    if (rows == 0)
        return;
    emit dataChanged(index(0, 0, parent), index(rows - 1, columnCount(parent) - 1, parent), roles);
    for (int row = 0; row < rows; ++row)
        EmitAllChanged(index(row, 0, parent), roles);
}
