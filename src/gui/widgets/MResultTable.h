#pragma once

#include <QWidget>

class MResultModel;
class QLabel;
class QTableView;
struct MTaskItem;

// The result table of every panel that lists items (exports, imports, tags, attachments): a status
// badge with its word, the item's text, the reason of a failure in its own column, and a summary
// line under it once the run is over. Double-clicking a row opens what it names (a file written,
// a page created), when it names something.
class MResultTable : public QWidget
{
    Q_OBJECT
public:
    explicit MResultTable(QWidget* parent = nullptr);

    void Report(const MTaskItem& item);
    // A row listed before the run (see MResultModel::List).
    void List(qint64 index, const QString& text, const QString& target = QString());
    void Clear();
    // Lets the user select several rows (to remove them, say).
    void SetMultiSelection(bool multi);
    // The selected rows, in row order.
    QList<int> SelectedRows() const;
    // "412 created, 3 failed" under the table.
    void ShowSummary();
    // The string key that words the successes in the summary (for runs that create nothing).
    void SetCreatedKey(const char* key) { m_CreatedKey = key; }
    QString SummaryText() const;

    MResultModel* Model() const { return m_Model; }
    QTableView* View() const { return m_View; }

signals:
    // A row was double-clicked and names something to open.
    void OpenRequested(const QString& target);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void RowActivated(const QModelIndex& index);
    // The reason column takes room only once a row has a reason, and never most of the table.
    void FitColumns();

    MResultModel* m_Model = nullptr;
    QTableView* m_View = nullptr;
    QLabel* mSummary = nullptr;
    bool m_HaveReason = false;
    const char* m_CreatedKey = "taskSummaryCreated";
};

// Opens what a result row names: a local file with its program, a link in OneNote or the browser.
void OpenItemTarget(const QString& target);
