#include "EnexImportReport.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "net/MRequestBudget.h"
#include "tasks/MTaskContext.h"
#include "util/MSleeper.h"

#include <algorithm>
#include <limits>

namespace {

qint64 FirstNumber(const MEvernoteImportSettings& settings)
{
    return std::max<qint64>(settings.from, 1);
}

} // namespace

QString EnexNoteItemText(qint64 number, const QString& title)
{
    return QStringLiteral("%1: %2").arg(QString::number(number), title);
}

void ReportEnexNote(const MTaskContext& context, const MEvernoteImportSettings& settings, qint64 number,
    const QString& title, MItemOutcome outcome, const QString& reason, const QString& link)
{
    if (!context.reporter)
        return;
    MTaskItem item;
    item.index = number - FirstNumber(settings);
    item.text = EnexNoteItemText(number, title);
    item.outcome = outcome;
    item.reason = reason;
    item.target = link;
    context.reporter->ReportItem(item);
}

void ReportEnexProgress(const MTaskContext& context, const MEvernoteImportSettings& settings, qint64 number)
{
    if (!context.reporter)
        return;
    MTaskProgress progress;
    progress.done = number - FirstNumber(settings) + 1;
    // The command line's range is open-ended unless given; the file is not counted ahead for it. A
    // file counted when it was chosen (the panel) ends the range at its last note.
    qint64 last = settings.to;
    if (settings.expectedNotes > 0)
        last = std::min(last, settings.expectedNotes);
    const bool bounded = last >= FirstNumber(settings) && last < std::numeric_limits<qint64>::max();
    progress.total = bounded ? last - FirstNumber(settings) + 1 : 0;
    if (progress.total > 0 && context.account) {
        // A creation a note at the request budget's pace, and never faster than the pause after each.
        const qint64 left = std::max<qint64>(0, progress.total - progress.done);
        const qint64 budgetMs = TheRequestBudget().EstimateMs(context.account->UserId(), left, NowMs());
        const qint64 pausesMs = left * (context.pacer ? context.pacer->Seconds(MPacer::Kind::Upload) : 0) * 1000;
        progress.secondsLeft = (std::max(budgetMs, pausesMs) + 999) / 1000;
    }
    context.reporter->ShowProgress(progress);
}

void ReportSkippedNote(const MTaskContext& context, const MEvernoteImportSettings& settings, const MEnexNote& note,
    qint64 number, const MEnexProblem& problem, MEvernoteImportResult& result)
{
    const QString title = note.title.isEmpty() ? Localized("strEnexNoTitle") : note.title;
    const QString reason = Localized("strEnexNoteUnreadable")
                               .arg(QString::number(problem.line), QString::number(problem.column), problem.message);
    ++result.failure;
    ++result.imported;
    result.result
        += QStringLiteral("\n%1 ... %2 (%3)").arg(EnexNoteItemText(number, title), Localized("strFailure"), reason);
    ReportEnexNote(context, settings, number, title, MItemOutcome::Skipped, reason);
    if (context.reporter)
        context.reporter->ShowMessage(result.result, title);
}

void ReportEnexDamage(const MTaskContext& context, const MEnexProblem& problem, MEvernoteImportResult& result)
{
    result.brokeOff = true;
    result.result += QLatin1Char('\n')
        + Localized("strEnexDamaged")
              .arg(QString::number(problem.line), QString::number(problem.column), problem.message);
    if (context.reporter)
        context.reporter->ShowMessage(result.result, QString());
}

void AppendNoteWarnings(const QStringList& warnings, bool created, MEvernoteImportResult& result)
{
    for (const QString& warning : warnings)
        result.result += QStringLiteral("\n    ") + warning;
    if (created && !warnings.isEmpty())
        ++result.warnings;
}

QString EnexWarningsSummary(const MEvernoteImportResult& result)
{
    if (result.warnings == 0)
        return QString();
    return QLatin1Char('\n') + Localized("strEnexWarnings").arg(QString::number(result.warnings));
}
