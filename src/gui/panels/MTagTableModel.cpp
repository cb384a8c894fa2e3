#include "MTagTableModel.h"

#include "MIcons.h"
#include "app/MStrings.h"

QIcon TagIcon(const QString& iconName)
{
    const QString name = QStringLiteral("Tag-") + iconName;
    return ResourceIcon(ResourceIconExists(name) ? name : QStringLiteral("Tag"));
}

MTagTableModel::MTagTableModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

void MTagTableModel::SetItems(QList<MTagItem> items)
{
    beginResetModel();
    m_Items = std::move(items);
    endResetModel();
}

int MTagTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_Items.size());
}

int MTagTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MTagTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_Items.size())
        return QVariant();
    const MTagItem& item = m_Items.at(index.row());
    if (index.column() == NameColumn) {
        switch (role) {
        case Qt::DisplayRole:
            return item.text;
        case Qt::ToolTipRole:
            return QStringLiteral("%1\n%2").arg(item.text, item.dataTag);
        case Qt::DecorationRole:
            return TagIcon(item.iconName);
        default:
            return QVariant();
        }
    }
    if (index.column() == PathColumn && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return item.pageBreadcrumb;
    return QVariant();
}

QVariant MTagTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == NameColumn)
        return Localized("guiColumnName");
    if (section == PathColumn)
        return Localized("guiColumnPath");
    return QVariant();
}
