#include "ResourceDownload.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "net/ServiceRequest.h"
#include "service/MServiceSession.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kAttachmentTimeout = 30;

// The part file beside `path`: never a file that is there already (it may be the user's).
QString PartPathFor(const QString& path)
{
    QString partPath = path + QStringLiteral(".download");
    for (int n = 1; QFileInfo::exists(partPath); ++n)
        partPath = QStringLiteral("%1.%2.download").arg(path).arg(n);
    return partPath;
}

} // namespace

MDownloadOutcome DownloadToFile(MHttpRequest request, const QString& path,
    const std::function<MServiceAnswer(const MHttpRequest&)>& send, qint64 expectedSize, MExistingFile existing)
{
    MDownloadOutcome outcome;
    const QString partPath = PartPathFor(path);
    request.bodyFile = partPath;
    const MServiceAnswer answer = send(request);
    if (!answer.Ok()) {
        outcome.failure = answer.failure;
        outcome.errorCode = answer.errorCode;
        outcome.reason = answer.reason;
        QFile::remove(partPath);
        return outcome;
    }
    const qint64 size = QFileInfo(partPath).size();
    if (expectedSize >= 0 && size != expectedSize) {
        outcome.reason = Localized("reasonWrongSize").arg(QString::number(size), QString::number(expectedSize));
        QFile::remove(partPath);
        return outcome;
    }
    if (existing == MExistingFile::Keep && QFileInfo::exists(path)) {
        outcome.reason = Localized("reasonFileExists").arg(path);
        QFile::remove(partPath);
        return outcome;
    }
    if (existing == MExistingFile::Replace && QFile::exists(path) && !QFile::remove(path)) {
        outcome.reason = Localized("reasonCannotWrite").arg(path);
        QFile::remove(partPath);
        return outcome;
    }
    // Never over a file: rename refuses a name that exists, even one made since the check above.
    outcome.saved = QFile::rename(partPath, path);
    if (!outcome.saved) {
        outcome.reason = Localized("reasonCannotWrite").arg(path);
        QFile::remove(partPath);
    }
    return outcome;
}

bool DownloadAttachment(
    MServiceSession& session, const QString& url, const QString& path, MFailure* failure, MExistingFile existing)
{
    const MAccount& account = session.Account();
    if (account.OnlineOneNoteAccessToken().isEmpty() || account.UserId().isEmpty()) {
        if (failure)
            *failure = {MAnswerFailure::NotSent, Localized("reasonNotSignedIn")};
        return false;
    }
    const MDownloadOutcome outcome = DownloadToFile(
        ServiceRequestEncoded("GET", url, kAttachmentTimeout), path,
        [&](const MHttpRequest& request) { return session.Send(request, MExpect::Bytes); }, -1, existing);
    if (failure)
        *failure = {outcome.saved ? MAnswerFailure::None : outcome.failure, outcome.reason};
    return outcome.saved;
}

bool WriteNewTextFile(const QString& path, const QString& text)
{
    QFile file(path);
    // NewOnly: a name chosen as free a moment ago may have been taken since; never overwrite.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}
