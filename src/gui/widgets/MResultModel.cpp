#include "MResultModel.h"

#include "MIcons.h"
#include "app/MStrings.h"

#include <algorithm>
#include <functional>

MResultModel::MResultModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

void MResultModel::Report(const MTaskItem& item)
{
    Put(item, false);
}

void MResultModel::List(qint64 index, const QString& text, const QString& target)
{
    MTaskItem item;
    item.index = index;
    item.text = text;
    item.target = target;
    Put(item, true);
}

void MResultModel::Put(const MTaskItem& item, bool listed)
{
    const auto found = m_RowOfIndex.constFind(item.index);
    if (found != m_RowOfIndex.constEnd()) {
        m_Items[*found] = item;
        m_Listed[*found] = listed;
        emit dataChanged(index(*found, 0), index(*found, ColumnCount - 1));
        return;
    }
    const int row = int(m_Items.size());
    beginInsertRows(QModelIndex(), row, row);
    m_Items.append(item);
    m_Listed.append(listed);
    m_RowOfIndex.insert(item.index, row);
    endInsertRows();
}

void MResultModel::RemoveRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : rows) {
        if (row < 0 || row >= m_Items.size())
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_Items.removeAt(row);
        m_Listed.removeAt(row);
        endRemoveRows();
    }
    m_RowOfIndex.clear();
    for (int row = 0; row < m_Items.size(); ++row)
        m_RowOfIndex.insert(m_Items.at(row).index, row);
}

void MResultModel::Clear()
{
    beginResetModel();
    m_Items.clear();
    m_Listed.clear();
    m_RowOfIndex.clear();
    endResetModel();
}

MOutcomeCounts MResultModel::Counts() const
{
    MOutcomeCounts counts;
    for (int row = 0; row < m_Items.size(); ++row) {
        if (!m_Listed.at(row))
            counts.Add(m_Items.at(row).outcome);
    }
    return counts;
}

int MResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_Items.size());
}

int MResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MResultModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_Items.size())
        return QVariant();
    const MTaskItem& item = m_Items.at(index.row());
    switch (index.column()) {
    case StatusColumn:
        if (m_Listed.at(index.row()))
            break;
        if (role == Qt::DisplayRole)
            return OutcomeText(item.outcome);
        if (role == Qt::DecorationRole)
            return OutcomeIcon(item.outcome);
        break;
    case TextColumn:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return item.text;
        break;
    case ReasonColumn:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return item.reason;
        break;
    default:
        break;
    }
    return QVariant();
}

QVariant MResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case StatusColumn:
        return Localized("guiColumnStatus");
    case TextColumn:
        return Localized("guiColumnItem");
    case ReasonColumn:
        return Localized("guiColumnReason");
    default:
        return QVariant();
    }
}
