#include "MAttachmentTableModel.h"

#include "MIcons.h"
#include "app/MStrings.h"
#include "tasks/TaskTexts.h"

MAttachmentTableModel::MAttachmentTableModel(QList<MAttachment>& items, QObject* parent)
    : QAbstractTableModel(parent)
    , m_Items(items)
{ }

void MAttachmentTableModel::Appended(int count)
{
    if (count <= 0)
        return;
    const int last = int(m_Items.size()) - 1;
    beginInsertRows(QModelIndex(), last - count + 1, last);
    endInsertRows();
}

void MAttachmentTableModel::RowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void MAttachmentTableModel::Clear()
{
    beginResetModel();
    m_Items.clear();
    endResetModel();
}

void MAttachmentTableModel::AllChanged()
{
    if (!m_Items.isEmpty())
        emit dataChanged(index(0, 0), index(int(m_Items.size()) - 1, ColumnCount - 1));
}

int MAttachmentTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_Items.size());
}

int MAttachmentTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MAttachmentTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_Items.size())
        return QVariant();
    const MAttachment& item = m_Items.at(index.row());
    switch (index.column()) {
    case NameColumn:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return item.name;
        if (role == Qt::CheckStateRole)
            return item.downloadIt ? Qt::Checked : Qt::Unchecked;
        break;
    case TypeColumn:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return item.atype;
        break;
    case PathColumn:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return item.pageBreadcrumb;
        break;
    case StatusColumn:
        if (!item.outcome)
            break;
        if (role == Qt::DisplayRole)
            return item.outcome == MItemOutcome::Sending || item.status.isEmpty() ? OutcomeText(*item.outcome)
                                                                                  : item.status;
        if (role == Qt::ToolTipRole)
            return item.reason.isEmpty() ? item.savedPath : item.reason;
        if (role == Qt::DecorationRole)
            return OutcomeIcon(*item.outcome);
        break;
    default:
        break;
    }
    return QVariant();
}

bool MAttachmentTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != NameColumn || role != Qt::CheckStateRole || index.row() >= m_Items.size())
        return false;
    m_Items[index.row()].downloadIt = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit TicksChanged();
    return true;
}

Qt::ItemFlags MAttachmentTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == NameColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant MAttachmentTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case NameColumn:
        return Localized("guiColumnName");
    case TypeColumn:
        return Localized("guiColumnType");
    case PathColumn:
        return Localized("guiColumnPath");
    case StatusColumn:
        return Localized("guiColumnStatus");
    default:
        return QVariant();
    }
}
