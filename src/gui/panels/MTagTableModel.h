#pragma once

#include "pagetasks/MTagItem.h"

#include <QAbstractTableModel>
#include <QList>

// The shown tag items: the element's text with its tag's icon, and the page it is on.
class MTagTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, PathColumn, ColumnCount };

    explicit MTagTableModel(QObject* parent = nullptr);

    void SetItems(QList<MTagItem> items);
    const QList<MTagItem>& Items() const { return m_Items; }
    const MTagItem& Item(int row) const { return m_Items.at(row); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<MTagItem> m_Items;
};

// The icon of a tag ("to-do-completed", "important", ...); a plain tag for names the program does
// not know.
QIcon TagIcon(const QString& iconName);
