#pragma once

#include "tasks/MRunJournal.h"

#include "tasks/MTaskContext.h"

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

class MNotebookNode;
class MDesktopReporter;
class MRunRecorder;
class MElidedLabel;
class MResultTable;
class QLabel;
class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

// The frame every feature panel is built on: a title, the panel's own inputs, a start/stop button
// with the platform's play and stop symbols, a status line, a progress bar while a run goes on
// (done of total where the task knows the total, a busy bar where it does not, and the time still
// needed where it can be told) and a result area: the running result text, or for panels that list
// items the result table.
//
// A panel overrides StartRun(), checks its preconditions there and calls BeginRun() with the
// thread's name and the work. The work runs on a new thread with an MTaskContext whose tree is a
// snapshot of the shared tree taken at that moment, whose reporter posts to this panel and waits
// until the post has run, and whose running flag this panel clears when the user presses stop. The
// panel is idle again once the work has returned; the main thread never waits for it.
//
// Reporter calls arrive on the main thread through the virtual OnReport... functions; the defaults
// put the result text into the result area, the status into the status line, progress into the
// bar and items into the table.
class MPanelBase : public QWidget
{
    Q_OBJECT
public:
    explicit MPanelBase(const QString& title, QWidget* parent = nullptr);
    ~MPanelBase() override;

    // The tree every panel reads (the controller's root); set once at start-up.
    static void SetSharedTree(MNotebookNode* root);
    static MNotebookNode* SharedTree();

    void SetTitle(const QString& title);
    QString Title() const;
    // Called when the panel's feature button is pressed (for the panels that the controller resets).
    virtual void ClearAndReload() { }

    bool IsRunning() const { return m_Running.load(); }
    // True from BeginRun until the worker has returned (a stopped run is still busy until then).
    bool IsBusy() const { return m_Busy; }
    // The last run said it was over (its task finished its walk, stopped or not); false while it
    // runs and for a run that ended without saying so.
    bool RunFinished() const { return m_RunFinished; }
    // True while any panel's run is busy (read on the main thread).
    static bool AnyBusy() { return BusyCount() > 0; }
    QString StatusText() const;
    // The name of the thread the last run went on ("FeatureThread", ...).
    QString RunThreadName() const { return m_ThreadName; }
    QString ResultText() const;
    QPushButton* StartButton() const { return m_BtnStart; }
    QProgressBar* ProgressBar() const { return m_Progress; }
    // "12 of 40 · about 3 min left" beside the bar.
    QString ProgressText() const;
    MResultTable* ResultTable() const { return m_ResultTable; }
    // The report of the last run that ended (CSV; the HTML page beside it), "" before one.
    QString LastReportPath() const { return m_LastReport; }
    QPushButton* OpenReportButton() const { return m_BtnReport; }

signals:
    void RunEnded();

protected:
    // The status a run starts with; the localized "strStart" unless the panel has its own.
    void SetStartText(const QString& text) { m_StartText = text; }
    // Where a panel adds its inputs (between the title and the start row).
    QVBoxLayout* ContentLayout() const { return m_Content; }
    QPlainTextEdit* ResultArea() const { return m_Result; }
    // Panels that list items show the result table in place of the text. A task that reports only
    // text still has it shown until its first item arrives.
    void UseResultTable();
    // Panels whose results are a list or outline of their own put it here, below the progress bar:
    // the text area is then never shown, and the result table only once a run has reported rows
    // (what could not be done), under the panel's own view.
    void SetOwnResultView(QWidget* view);
    // A button of the panel's own at the right end of the start row (beside the status line).
    void AddToStartRow(QWidget* widget);
    // Panels that show a list of their own hide the text area, or the whole start row.
    void SetResultAreaVisible(bool visible);
    bool ResultAreaVisible() const { return m_ResultAreaVisible; }
    void SetStartRowVisible(bool visible);
    void SetStatus(const QString& text);
    void SetResult(const QString& text);
    // Empties the result text and table (at a start, or when the panel is shown afresh).
    void ClearResults();

    // The start button was pressed while idle.
    virtual void StartRun() { }
    // Starts `work` on a thread named `threadName` with the results emptied; false (and nothing
    // started) while a run is busy. Every run writes its report (the rows it reported) when it
    // ends; `source` and `target` name what it worked on in the report's heading.
    bool BeginRun(const QString& threadName, std::function<void(MTaskContext&)> work, const QString& source = QString(),
        const QString& target = QString());
    // Asks the running work to stop (what the start button does while a run is busy); the panel is
    // idle once the work has returned.
    void StopRun();

    // Reporter posts, on the main thread.
    virtual void OnReportMessage(const QString& result, const QString& status);
    virtual void OnReportStatus(const QString& status) { SetStatus(status); }
    virtual void OnReportFinish(const QString& text) { SetStatus(text); }
    virtual void OnReportProgress(const MTaskProgress& progress);
    virtual void OnReportItem(const MTaskItem& item);
    // The worker has returned; the panel is idle again.
    virtual void OnRunEnded() { }

private:
    friend class MDesktopReporter;
    void StartStopClicked();
    void EndRun();
    void ShowRunning(bool running);
    void ShowResultView();
    void OpenReport();

    static MNotebookNode*& SharedTreeSlot();
    static int& BusyCount();

    QLabel* m_Title = nullptr;
    QVBoxLayout* m_Content = nullptr;
    QWidget* m_StartRow = nullptr;
    QPushButton* m_BtnStart = nullptr;
    QPushButton* m_BtnReport = nullptr;
    MElidedLabel* m_StatusBar = nullptr;
    QWidget* m_ProgressRow = nullptr;
    QProgressBar* m_Progress = nullptr;
    QLabel* m_ProgressText = nullptr;
    QPlainTextEdit* m_Result = nullptr;
    MResultTable* m_ResultTable = nullptr;
    QWidget* m_OwnView = nullptr;
    bool m_ListPanel = false;
    bool m_ResultAreaVisible = true;

    std::atomic<bool> m_Running {false};
    bool m_Busy = false;
    bool m_RunFinished = false;
    QString m_ThreadName;
    QString m_StartText;
    std::unique_ptr<MDesktopReporter> m_Reporter;
    std::unique_ptr<MPacer> m_Pacer;
    std::shared_ptr<MRunRecorder> m_Recorder;
    QString m_LastReport;
};
