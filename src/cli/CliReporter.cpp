#include "CliReporter.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

void Write(FILE* stream, const QString& text)
{
    std::fputs(qUtf8Printable(text), stream);
    std::fflush(stream);
}

} // namespace

MCliReporter::MCliReporter(FILE* progress, FILE* results)
    : m_Progress(progress)
    , m_Results(results)
    , m_Terminal(isatty(fileno(progress)) == 1)
{ }

MCliReporter::~MCliReporter()
{
    // Leave the terminal on a fresh line, whatever ended the run.
    if (m_LineShown)
        Write(m_Progress, QStringLiteral("\n"));
}

void MCliReporter::ShowMessage(const QString&, const QString& status)
{
    ShowStatus(status);
}

void MCliReporter::ShowStatus(const QString& status)
{
    if (status == m_Status)
        return;
    m_Status = status;
    if (m_Terminal)
        DrawProgressLine();
    else if (!status.isEmpty())
        Write(m_Progress, ProgressPrefix() + status + QLatin1Char('\n'));
}

void MCliReporter::Alert(const QString& text)
{
    ++m_Alerts;
    PrintLine(m_Progress, text);
}

bool MCliReporter::Ask(const QString& text)
{
    PrintLine(m_Progress, text);
    return false;
}

void MCliReporter::Finish(const QString& text)
{
    ClearProgressLine();
    m_Status.clear();
    Write(m_Progress, text + QLatin1Char('\n'));
}

void MCliReporter::ShowProgress(const MTaskProgress& progress)
{
    m_Last = progress;
    m_HaveProgress = true;
    if (m_Terminal)
        DrawProgressLine();
}

void MCliReporter::ReportItem(const MTaskItem& item)
{
    if (item.outcome == MItemOutcome::Sending)
        return;
    m_Counts.Add(item.outcome);
    QString text = item.text;
    QString reason = item.reason;
    // One item, one line: a tab or line break inside would split the columns.
    for (QString* field : {&text, &reason}) {
        field->replace(QLatin1Char('\t'), QLatin1Char(' '));
        field->replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    QString line = OutcomeText(item.outcome) + QLatin1Char('\t') + text;
    if (!reason.isEmpty())
        line += QLatin1Char('\t') + reason;
    PrintLine(m_Results, line);
}

void MCliReporter::PrintLine(FILE* stream, const QString& text)
{
    const bool redraw = m_LineShown;
    ClearProgressLine();
    Write(stream, text + QLatin1Char('\n'));
    if (redraw)
        DrawProgressLine();
}

QString MCliReporter::ProgressPrefix() const
{
    if (!m_HaveProgress)
        return QString();
    const QString count
        = m_Last.total > 0 ? QStringLiteral("%1/%2").arg(m_Last.done).arg(m_Last.total) : QString::number(m_Last.done);
    return QStringLiteral("[%1] ").arg(count);
}

void MCliReporter::DrawProgressLine()
{
    QString line = m_HaveProgress ? ProgressLineText(m_Last) : QString();
    if (!m_Status.isEmpty())
        line += (line.isEmpty() ? QString() : QStringLiteral(" · ")) + m_Status;
    // One column is left free: a line that fills the terminal would wrap the cursor to the next.
    const int room = Columns() - 1;
    if (line.size() > room)
        line = line.left(qMax(room - 1, 0)) + QChar(0x2026);
    if (m_LineShown && line == m_Drawn)
        return;
    Write(m_Progress, QStringLiteral("\r\033[K") + line);
    m_Drawn = line;
    m_LineShown = true;
}

void MCliReporter::ClearProgressLine()
{
    if (!m_LineShown)
        return;
    Write(m_Progress, QStringLiteral("\r\033[K"));
    m_LineShown = false;
    m_Drawn.clear();
}

int MCliReporter::Columns() const
{
    winsize size {};
    if (ioctl(fileno(m_Progress), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    const int columns = qEnvironmentVariableIntValue("COLUMNS");
    return columns > 0 ? columns : 80;
}
