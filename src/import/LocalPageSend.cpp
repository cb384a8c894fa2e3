#include "LocalPageSend.h"

#include "app/MStrings.h"
#include "util/Formats.h"

#include <QDir>
#include <QFileInfo>

std::optional<QString> AttachmentSizeProblem(const QString& html, const MAttachmentMap& attachments)
{
    QList<MPagePart> headers; // the parts without their bytes: the request's size less the files'
    qint64 files = 0;
    for (auto it = attachments.constBegin(); it != attachments.constEnd(); ++it) {
        const QFileInfo info(it.value());
        if (!info.isFile())
            continue;
        if (info.size() > kMaxPartBytes) {
            return Localized("reasonPartTooLarge")
                .arg(QDir::toNativeSeparators(it.value()), FormatByteSize(info.size()), FormatByteSize(kMaxPartBytes));
        }
        files += info.size();
        headers.append(MPagePart {it.key(), QByteArray(64, ' '), QByteArray()});
    }
    const qint64 request = PageBodySize(html, headers) + files;
    if (request > kMaxRequestBytes)
        return Localized("reasonPageTooLarge").arg(FormatByteSize(request), FormatByteSize(kMaxRequestBytes));
    return std::nullopt;
}

MLocalPageOutcome SendLocalPage(MServiceSession& session, const MPageCreationPolicy& policy, const QString& target,
    const QString& name, const MLocalPage& page)
{
    MLocalPageOutcome result;
    MCreationOutcome& outcome = result.creation;
    outcome.code = kCreationNotSent;
    if (!page.Ok()) {
        outcome.reason = page.failure;
        return result;
    }
    // A part whose file is missing is named on the page by what it was.
    QMap<QString, QString> labels;
    for (auto it = page.attachments.constBegin(); it != page.attachments.constEnd(); ++it) {
        if (QFileInfo(it.value()).isFile())
            continue;
        result.missing.append(QDir::toNativeSeparators(it.value()));
        labels.insert(
            it.key(), QStringLiteral("%1, %2").arg(policy.mimeForFile(it.value()), QFileInfo(it.value()).fileName()));
    }
    if (const std::optional<QString> problem = AttachmentSizeProblem(page.html, page.attachments)) {
        outcome.reason = *problem;
        return result;
    }
    outcome = CreatePageInOnlineOneNote(
        session, policy, target, name, page.html, PartsFromAttachments(page.attachments, policy), labels);
    return result;
}

MItemOutcome ItemOutcomeOf(const MCreationOutcome& outcome)
{
    if (outcome.Created())
        return MItemOutcome::Created;
    return outcome.code == kCreationStopped ? MItemOutcome::Skipped : MItemOutcome::Failed;
}

QString CreationFailureText(const MCreationOutcome& outcome)
{
    if (outcome.code == kCreationNotSent || outcome.code == kCreationStopped)
        return outcome.reason;
    return QStringLiteral("%1: %2").arg(QString::number(outcome.code), outcome.reason);
}

QString ItemReasonOf(const MLocalPageOutcome& outcome)
{
    QStringList words;
    if (!outcome.missing.isEmpty())
        words.append(Localized("reasonAttachmentsMissing").arg(outcome.missing.join(QStringLiteral(", "))));
    if (!outcome.creation.Created())
        words.prepend(CreationFailureText(outcome.creation));
    return words.join(QStringLiteral("; "));
}
