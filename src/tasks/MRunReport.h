#pragma once

#include "MTaskReporter.h"
#include "TaskTexts.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <atomic>
#include <mutex>
#include <optional>

// One item of a run as its report lists it.
struct MReportRow
{
    qint64 index = 0;
    QString title; // what the row names: the note, the file, the page
    MItemOutcome outcome = MItemOutcome::Sending; // Sending at the end: the run stopped before it was done
    QString reason;
    QString link; // the created page's address or the written file
};

// What a run did, item by item, written when it ends (also when it was stopped or failed) into the
// application folder's "reports" folder as CSV and as a small HTML page. The totals always add up:
// items = created + reused + skipped + failed + not attempted.
struct MRunReport
{
    QString task; // "import-enex", "export", ... (the feature or command)
    QString title; // the run as a person would name it ("Import notes.enex into Travel/Inbox")
    QString source;
    QString target;
    QDateTime started;
    QDateTime ended;
    bool stopped = false;
    QList<MReportRow> rows;
    qint64 expected = 0; // the items the run knew it had (0: only the rows)
    std::optional<MLinkReport> links; // an import whose pages held note links

    MOutcomeCounts Counts() const;
    // Items that never got an outcome: rows still sending and items the run never reached.
    qint64 NotAttempted() const;
    qint64 Items() const;

    QByteArray Csv() const;
    QByteArray Html() const;
    // Writes `csvPath` and the HTML page beside it (".html" for ".csv"); an error text on failure.
    std::optional<QString> Write(const QString& csvPath) const;
    // "<application folder>/reports/<task>-<yyyyMMdd-HHmmss>.csv"
    static QString DefaultCsvPath(const QString& task, const QDateTime& started);
    static QString HtmlPathFor(const QString& csvPath);
};

// Stands between a run and its front end, passing every call on and keeping each row's last state;
// when the run finishes it writes the report (to ReportPath(), by default a new file in the
// application folder's "reports"). Every task gets its report this way, whatever it is.
class MRunRecorder final : public MTaskReporter
{
public:
    // `inner` may be null (a run without a front end); `running` tells a stopped run from a finished one.
    MRunRecorder(MTaskReporter* inner, QString task, QString title, const std::atomic<bool>* running);

    void SetSourceAndTarget(const QString& source, const QString& target);
    // Where the report goes (the command line's --report); by default the reports folder.
    void SetReportPath(const QString& csvPath);

    void ShowMessage(const QString& result, const QString& status) override;
    void ShowStatus(const QString& status) override;
    void Alert(const QString& text) override;
    bool Ask(const QString& text) override;
    void Finish(const QString& text) override;
    void ShowProgress(const MTaskProgress& progress) override;
    void ReportItem(const MTaskItem& item) override;
    void ReportLinks(const MLinkReport& links) override;

    // Ends the report and writes it, once (Finish does it; a front end may do it for a run that
    // ended without Finish). Returns the CSV path, or "" when it could not be written.
    QString WriteReport();
    QString ReportPath() const;
    QString WriteError() const;
    MRunReport Report() const;

private:
    MTaskReporter* m_Inner;
    const std::atomic<bool>* m_Running;
    mutable std::mutex m_Mutex;
    MRunReport m_Report;
    QString m_Path;
    QString m_Error;
    bool m_Written = false;
};
