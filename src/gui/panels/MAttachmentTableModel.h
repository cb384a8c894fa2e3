#pragma once

#include "pagetasks/MAttachment.h"

#include <QAbstractTableModel>
#include <QList>

// The listed attachments: a check box and the file name, its type, its page, and what the last save
// made of it (a status badge, the reason of a failure in the tooltip).
class MAttachmentTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, TypeColumn, PathColumn, StatusColumn, ColumnCount };

    explicit MAttachmentTableModel(QList<MAttachment>& items, QObject* parent = nullptr);

    // The list grew at its end by `count` items, changed in place, or was replaced.
    void Appended(int count);
    void RowChanged(int row);
    void AllChanged();
    // Empties the list (a new listing replaces the last one).
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void TicksChanged();

private:
    QList<MAttachment>& m_Items;
};
