#include "MRunReport.h"

#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "app/PrivateFiles.h"
#include "util/TextEscape.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>
#include <algorithm>

namespace {

QString OutcomeName(MItemOutcome outcome)
{
    switch (outcome) {
    case MItemOutcome::Created:
        return QStringLiteral("created");
    case MItemOutcome::Reused:
        return QStringLiteral("reused");
    case MItemOutcome::Skipped:
        return QStringLiteral("skipped");
    case MItemOutcome::Failed:
        return QStringLiteral("failed");
    case MItemOutcome::NotAttempted:
    case MItemOutcome::Sending:
        break;
    }
    return QStringLiteral("not attempted");
}

// RFC 4180: a field with a comma, quote or line break goes in quotes, its quotes doubled.
QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString Cell(const QString& text)
{
    return QStringLiteral("<td>") + EscapeHtmlText(text) + QStringLiteral("</td>");
}

QString LinkCell(const QString& link)
{
    if (link.isEmpty())
        return QStringLiteral("<td></td>");
    // A local file opens as a file address; a page's link as it is.
    const QString href = QFileInfo(link).isAbsolute() ? QUrl::fromLocalFile(link).toString() : link;
    return QStringLiteral("<td><a href=\"%1\">%2</a></td>").arg(EscapeHtmlAttribute(href), EscapeHtmlText(link));
}

bool WriteFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!OpenForWriting(file, QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = Localized("reasonCannotWrite").arg(path);
        return false;
    }
    return true;
}

} // namespace

MOutcomeCounts MRunReport::Counts() const
{
    MOutcomeCounts counts;
    for (const MReportRow& row : rows)
        counts.Add(row.outcome);
    return counts;
}

qint64 MRunReport::NotAttempted() const
{
    const qint64 sending
        = std::count_if(rows.begin(), rows.end(), [](const MReportRow& row) { return !IsFinal(row.outcome); });
    return sending + std::max<qint64>(0, expected - rows.size());
}

qint64 MRunReport::Items() const
{
    return std::max<qint64>(expected, rows.size());
}

QByteArray MRunReport::Csv() const
{
    QString csv = QStringLiteral("index,source,title,outcome,target,link,reason\r\n");
    const auto line = [&csv](const QStringList& fields) {
        QStringList quoted;
        for (const QString& field : fields)
            quoted << CsvField(field);
        csv += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    for (const MReportRow& row : rows)
        line({QString::number(row.index + 1), source, row.title, OutcomeName(row.outcome), target, row.link,
            row.reason});
    // The link pass's counts and the links it left, as two more tables after an empty line each.
    if (links) {
        csv += QStringLiteral("\r\nlinks rewritten,links ambiguous,links not found,links unchanged\r\n");
        line({QString::number(links->rewritten), QString::number(links->ambiguous), QString::number(links->notFound),
            QString::number(links->unchanged)});
        csv += QStringLiteral("\r\npage,link text,link,reason\r\n");
        for (const MLeftLink& left : links->left)
            line({left.pageTitle, left.text, left.href, left.why});
    }
    // The UTF-8 byte-order mark makes spreadsheet programs read the names right.
    return QByteArray("\xEF\xBB\xBF") + csv.toUtf8();
}

QByteArray MRunReport::Html() const
{
    const MOutcomeCounts counts = Counts();
    QString html
        = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title><style>"
                         "body{font-family:sans-serif;margin:2em;color:#222}table{border-collapse:collapse;width:100%}"
                         "td,th{border-bottom:1px solid #ddd;padding:4px 8px;text-align:left;vertical-align:top}"
                         ".failed{color:#b00020}.totals td{border:none;padding:2px 12px 2px 0}</style></head><body>\n")
              .arg(EscapeHtmlText(title));
    html += QStringLiteral("<h1>%1</h1>\n<p>%2 &rarr; %3<br>%4 &ndash; %5%6</p>\n")
                .arg(EscapeHtmlText(title), EscapeHtmlText(source), EscapeHtmlText(target),
                    EscapeHtmlText(started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
                    EscapeHtmlText(ended.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
                    stopped ? QStringLiteral(" (") + EscapeHtmlText(Localized("strReportStopped")) + QLatin1Char(')')
                            : QString());
    html += QStringLiteral("<table class=\"totals\"><tr>");
    const std::pair<const char*, qint64> totals[] = {{"strReportItems", Items()}, {"strReportCreated", counts.created},
        {"strReportReused", counts.reused}, {"strReportSkipped", counts.skipped}, {"strReportFailed", counts.failed},
        {"strReportNotAttempted", NotAttempted()}};
    for (const auto& [key, count] : totals)
        html += Cell(QStringLiteral("%1: %2").arg(Localized(key), QString::number(count)));
    html += QStringLiteral("</tr></table>\n<table><tr><th>#</th><th>%1</th><th>%2</th><th>%3</th><th>%4</th></tr>\n")
                .arg(EscapeHtmlText(Localized("strReportItem")), EscapeHtmlText(Localized("strReportOutcome")),
                    EscapeHtmlText(Localized("strReportReason")), EscapeHtmlText(Localized("strReportLink")));
    // Failures first: they are what the reader came for.
    QList<MReportRow> ordered = rows;
    std::stable_sort(ordered.begin(), ordered.end(), [](const MReportRow& a, const MReportRow& b) {
        return (a.outcome == MItemOutcome::Failed) > (b.outcome == MItemOutcome::Failed);
    });
    for (const MReportRow& row : ordered) {
        html += row.outcome == MItemOutcome::Failed ? QStringLiteral("<tr class=\"failed\">") : QStringLiteral("<tr>");
        html += Cell(QString::number(row.index + 1)) + Cell(row.title) + Cell(OutcomeName(row.outcome))
            + Cell(row.reason) + LinkCell(row.link) + QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table>\n");
    if (links) {
        html += QStringLiteral("<h2>%1</h2>\n<table><tr><th>%2</th><th>%3</th><th>%4</th><th>%5</th></tr>\n")
                    .arg(EscapeHtmlText(LinkCountsText(*links)), EscapeHtmlText(Localized("strReportLinkPage")),
                        EscapeHtmlText(Localized("strReportLinkText")), EscapeHtmlText(Localized("strReportReason")),
                        EscapeHtmlText(Localized("strReportLink")));
        for (const MLeftLink& left : links->left)
            html += QStringLiteral("<tr>") + Cell(left.pageTitle) + Cell(left.text) + Cell(left.why) + Cell(left.href)
                + QStringLiteral("</tr>\n");
        html += QStringLiteral("</table>\n");
    }
    html += QStringLiteral("</body></html>\n");
    return html.toUtf8();
}

QString MRunReport::HtmlPathFor(const QString& csvPath)
{
    return csvPath.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? csvPath.chopped(4) + QStringLiteral(".html")
                                                                        : csvPath + QStringLiteral(".html");
}

QString MRunReport::DefaultCsvPath(const QString& task, const QDateTime& started)
{
    if (AppPaths().appFolder.isEmpty())
        return QString();
    const QString folder = QDir(AppPaths().appFolder).filePath(QLatin1String(kReportsFolderName));
    const QString base = QStringLiteral("%1-%2").arg(task, started.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QString path = QDir(folder).filePath(base + QStringLiteral(".csv"));
    // Two runs in one second keep two reports.
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(QStringLiteral("%1-%2.csv").arg(base).arg(n));
    return path;
}

std::optional<QString> MRunReport::Write(const QString& csvPath) const
{
    CreateFolderFor(QFileInfo(csvPath).absolutePath());
    QString error;
    if (!WriteFile(csvPath, Csv(), &error) || !WriteFile(HtmlPathFor(csvPath), Html(), &error))
        return error;
    return std::nullopt;
}

MRunRecorder::MRunRecorder(MTaskReporter* inner, QString task, QString title, const std::atomic<bool>* running)
    : m_Inner(inner)
    , m_Running(running)
{
    m_Report.task = std::move(task);
    m_Report.title = std::move(title);
    m_Report.started = QDateTime::currentDateTime();
}

void MRunRecorder::SetSourceAndTarget(const QString& source, const QString& target)
{
    const std::lock_guard lock(m_Mutex);
    m_Report.source = source;
    m_Report.target = target;
}

void MRunRecorder::SetReportPath(const QString& csvPath)
{
    const std::lock_guard lock(m_Mutex);
    m_Path = csvPath;
}

void MRunRecorder::ShowMessage(const QString& result, const QString& status)
{
    if (m_Inner)
        m_Inner->ShowMessage(result, status);
}

void MRunRecorder::ShowStatus(const QString& status)
{
    if (m_Inner)
        m_Inner->ShowStatus(status);
}

void MRunRecorder::Alert(const QString& text)
{
    if (m_Inner)
        m_Inner->Alert(text);
}

bool MRunRecorder::Ask(const QString& text)
{
    return m_Inner && m_Inner->Ask(text);
}

void MRunRecorder::Finish(const QString& text)
{
    WriteReport();
    if (m_Inner)
        m_Inner->Finish(text);
}

void MRunRecorder::ShowProgress(const MTaskProgress& progress)
{
    {
        const std::lock_guard lock(m_Mutex);
        m_Report.expected = std::max(m_Report.expected, progress.total);
    }
    if (m_Inner)
        m_Inner->ShowProgress(progress);
}

void MRunRecorder::ReportItem(const MTaskItem& item)
{
    {
        const std::lock_guard lock(m_Mutex);
        MReportRow row {item.index, item.text, item.outcome, item.reason, item.target};
        // Rows come in index order as a rule; a row reported again replaces its earlier state.
        auto it = std::lower_bound(m_Report.rows.begin(), m_Report.rows.end(), item.index,
            [](const MReportRow& r, qint64 index) { return r.index < index; });
        if (it != m_Report.rows.end() && it->index == item.index)
            *it = row;
        else
            m_Report.rows.insert(it, row);
    }
    if (m_Inner)
        m_Inner->ReportItem(item);
}

void MRunRecorder::ReportLinks(const MLinkReport& links)
{
    {
        const std::lock_guard lock(m_Mutex);
        m_Report.links = links;
    }
    if (m_Inner)
        m_Inner->ReportLinks(links);
}

QString MRunRecorder::WriteReport()
{
    const std::lock_guard lock(m_Mutex);
    if (m_Written)
        return m_Error.isEmpty() ? m_Path : QString();
    m_Written = true;
    m_Report.ended = QDateTime::currentDateTime();
    m_Report.stopped = m_Running && !m_Running->load();
    if (m_Path.isEmpty())
        m_Path = MRunReport::DefaultCsvPath(m_Report.task, m_Report.started);
    if (m_Path.isEmpty()) {
        m_Error = QStringLiteral("no application folder");
        return QString();
    }
    if (const std::optional<QString> error = m_Report.Write(m_Path)) {
        m_Error = *error;
        return QString();
    }
    return m_Path;
}

QString MRunRecorder::ReportPath() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Written && m_Error.isEmpty() ? m_Path : QString();
}

QString MRunRecorder::WriteError() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Error;
}

MRunReport MRunRecorder::Report() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Report;
}
