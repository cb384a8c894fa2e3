#include "MOutlineModel.h"

#include "MIcons.h"
#include "app/MStrings.h"

MOutlineModel::MOutlineModel(MResultNode* root, Options options, QObject* parent)
    : MNodeModel<MResultNode>(root, parent)
    , m_Options(std::move(options))
{
    if (m_Options.nameTitle.isEmpty())
        m_Options.nameTitle = Localized("guiColumnName");
    if (m_Options.statusTitle.isEmpty())
        m_Options.statusTitle = Localized("guiColumnStatus");
}

int MOutlineModel::StatusColumn() const
{
    return m_Options.status ? 1 + int(m_Options.columns.size()) : -1;
}

void MOutlineModel::NodeChanged(const MResultNode* node)
{
    const QModelIndex first = IndexOf(node, 0);
    if (first.isValid())
        emit dataChanged(first, IndexOf(node, columnCount() - 1));
}

void MOutlineModel::AllChanged()
{
    EmitAllChanged(QModelIndex(), {});
}

int MOutlineModel::columnCount(const QModelIndex&) const
{
    return 1 + int(m_Options.columns.size()) + (m_Options.status ? 1 : 0);
}

QVariant MOutlineModel::data(const QModelIndex& index, int role) const
{
    const MResultNode* node = index.isValid() ? NodeAt(index) : nullptr;
    if (!node)
        return QVariant();
    const int column = index.column();
    if (column == 0) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return node->shownName.isEmpty() ? node->name : node->shownName;
        case Qt::DecorationRole: {
            const QString name
                = m_Options.iconName ? m_Options.iconName(*node) : NodeIconName(node->kind, node->shared);
            return name.isEmpty() ? QVariant() : QVariant(ResourceIcon(name));
        }
        case Qt::CheckStateRole:
            return m_Options.checkable ? QVariant(node->checked ? Qt::Checked : Qt::Unchecked) : QVariant();
        default:
            return QVariant();
        }
    }
    if (column == StatusColumn()) {
        const MOutlineStatus status = NodeStatus(*node);
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return status.text;
        if (role == Qt::DecorationRole) {
            const QIcon icon = status.mark ? OutcomeIcon(*status.mark) : QIcon();
            return icon.isNull() ? QVariant() : QVariant(icon);
        }
        return QVariant();
    }
    const size_t own = size_t(column - 1);
    if (own < m_Options.columns.size() && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return m_Options.columns[own].text(*node);
    return QVariant();
}

bool MOutlineModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    MResultNode* node = index.isValid() ? NodeAt(index) : nullptr;
    if (!node || !m_Options.checkable || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    node->checked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags MOutlineModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_Options.checkable && index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant MOutlineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == 0)
        return m_Options.nameTitle;
    if (section == StatusColumn())
        return m_Options.statusTitle;
    const size_t own = size_t(section - 1);
    return own < m_Options.columns.size() ? QVariant(m_Options.columns[own].title) : QVariant();
}
