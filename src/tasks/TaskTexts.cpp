#include "TaskTexts.h"

#include "app/MStrings.h"

#include <QStringList>

void MOutcomeCounts::Add(MItemOutcome outcome)
{
    switch (outcome) {
    case MItemOutcome::Created:
        ++created;
        break;
    case MItemOutcome::Reused:
        ++reused;
        break;
    case MItemOutcome::Skipped:
        ++skipped;
        break;
    case MItemOutcome::Failed:
        ++failed;
        break;
    case MItemOutcome::NotAttempted:
    case MItemOutcome::Sending:
        break;
    }
}

QString SummaryText(const MOutcomeCounts& counts, const char* createdKey)
{
    QStringList parts;
    const auto add = [&parts](qint64 count, const char* key) {
        if (count > 0)
            parts.append(Localized(key).arg(count));
    };
    add(counts.created, createdKey);
    add(counts.reused, "taskSummaryReused");
    add(counts.skipped, "taskSummarySkipped");
    add(counts.failed, "taskSummaryFailed");
    return parts.isEmpty() ? Localized("taskSummaryNothing") : parts.join(Localized("taskListSeparator"));
}

QString DurationText(qint64 seconds)
{
    if (seconds < 60)
        return Localized("taskSeconds").arg(qMax<qint64>(seconds, 1));
    const qint64 minutes = (seconds + 59) / 60;
    if (minutes < 60)
        return Localized("taskMinutes").arg(minutes);
    if (minutes % 60 == 0)
        return Localized("taskHours").arg(minutes / 60);
    return Localized("taskHoursMinutes").arg(minutes / 60).arg(minutes % 60);
}

QString ProgressCountText(const MTaskProgress& progress)
{
    if (progress.total <= 0)
        return QString::number(progress.done);
    return Localized("taskProgressOf").arg(progress.done).arg(progress.total);
}

QString TimeLeftText(const MTaskProgress& progress)
{
    if (progress.secondsLeft <= 0) // not known, or nothing to wait for
        return QString();
    return Localized("taskTimeLeft").arg(DurationText(progress.secondsLeft));
}

QString ProgressLineText(const MTaskProgress& progress)
{
    const QString left = TimeLeftText(progress);
    const QString count = ProgressCountText(progress);
    return left.isEmpty() ? count : count + QStringLiteral(" · ") + left;
}

QString LinkCountsText(const MLinkReport& links)
{
    QString text
        = Localized("strLinkCounts")
              .arg(QString::number(links.rewritten), QString::number(links.ambiguous), QString::number(links.notFound));
    if (links.unchanged > 0)
        text += Localized("strLinkCountUnchanged").arg(links.unchanged);
    return text;
}
