#pragma once

#include "tasks/MTaskReporter.h"
#include "tasks/TaskTexts.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVector>

// The rows of a run's result table: one per item, in the order the items were first reported. A
// report for an index already shown replaces that row (an item is reported when it is sent and
// again with its outcome). A panel that lists its items before the run (the files to import) adds
// them as listed rows: no outcome yet, an empty status, not counted.
class MResultModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { StatusColumn, TextColumn, ReasonColumn, ColumnCount };

    explicit MResultModel(QObject* parent = nullptr);

    void Report(const MTaskItem& item);
    // A row for an item that has no outcome yet; a later report of its index fills it in.
    void List(qint64 index, const QString& text, const QString& target = QString());
    // Takes the rows out (row numbers as the model had them).
    void RemoveRows(QList<int> rows);
    void Clear();
    const MTaskItem& Item(int row) const { return m_Items.at(row); }
    // The final outcomes counted over the rows.
    MOutcomeCounts Counts() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void Put(const MTaskItem& item, bool listed);

    QVector<MTaskItem> m_Items;
    QVector<bool> m_Listed;
    QHash<qint64, int> m_RowOfIndex;
};
