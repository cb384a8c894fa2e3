#include "DriveUpload.h"

#include "DriveItems.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "net/ServiceRequest.h"
#include "service/MServiceSession.h"
#include "tasks/PageRequest.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kSmallUploadTimeout = 120;
constexpr int kSessionTimeout = 30;

// The request's time bounds the whole transfer: time in proportion to the bytes (256 KiB a second
// at the least).
int TransferTimeout(qint64 bytes, int least)
{
    return int(std::min<qint64>(std::max<qint64>(least, 30 + bytes / (256 * 1024)), 24 * 3600));
}

MUploadOutcome Failed(qint64 code, const QString& reason, const QString& message = QString())
{
    MUploadOutcome outcome;
    outcome.code = code;
    outcome.reason = reason;
    outcome.message = message.isEmpty() ? reason : message;
    return outcome;
}

MUploadOutcome FailedAnswer(const MServiceAnswer& answer)
{
    const qint64 code = answer.failure == MAnswerFailure::NotSent || answer.failure == MAnswerFailure::Stopped ? -1
        : answer.failure == MAnswerFailure::Transport                                                          ? -3
                                                                                                               : -4;
    return Failed(code, answer.reason, answer.errorMessage);
}

MUploadOutcome Uploaded(const QString& id, bool foundAfterLostAnswer = false)
{
    MUploadOutcome outcome;
    outcome.ok = true;
    outcome.code = 1;
    outcome.id = id;
    outcome.foundAfterLostAnswer = foundAfterLostAnswer;
    return outcome;
}

// The file in the folder after an answer was lost: found only when it is there whole.
std::optional<QJsonObject> FindUploaded(
    MServiceSession& session, const QString& parentId, const QString& name, qint64 size, QString* failure)
{
    std::optional<QJsonObject> found = FindItemInFolder(session, parentId, name, failure);
    if (found && !found->isEmpty() && found->value(QLatin1String("size")).toInteger(-1) != size)
        return QJsonObject();
    return found;
}

MHttpRequest FileRequest(
    const QByteArray& method, const QString& url, const QString& path, qint64 offset, qint64 length, int timeoutSeconds)
{
    MHttpRequest request = ServiceRequest(method, url, timeoutSeconds);
    request.uploadFile = path;
    request.uploadOffset = offset;
    request.uploadLength = length;
    request.headers.append({QByteArray("Content-Length"), QByteArray::number(length)});
    return request;
}

MUploadOutcome SmallUpload(
    MServiceSession& session, const QString& parentId, const QString& name, const QString& path, qint64 size)
{
    // "fail": a file that took the name since the folder was read is refused, never replaced. That
    // also makes sending again after a lost answer harmless.
    MHttpRequest request = FileRequest("PUT",
        DriveChildAddress(session.Account(), parentId, name, QStringLiteral("/content"))
            + QStringLiteral("?@microsoft.graph.conflictBehavior=fail"),
        path, 0, size, TransferTimeout(size, kSmallUploadTimeout));
    request.headers.append({QByteArray("Content-Type"), QByteArray("application/msonenote")});
    const MCreationOutcome outcome = SendCreation(
        session, request, [&](QString* failure) { return FindUploaded(session, parentId, name, size, failure); });
    if (outcome.Created())
        return Uploaded(outcome.id, outcome.foundAfterLostAnswer);
    const qint64 code = outcome.code == kCreationNoToken || outcome.code == kCreationStopped ? -1
        : outcome.code == kCreationNoAnswer                                                  ? -3
                                                                                             : -4;
    return Failed(code, outcome.reason, outcome.code == kCreationServiceError ? outcome.message : QString());
}

// The first byte an upload session still waits for, from its "nextExpectedRanges" ("26-" or
// "26-127"); absent when the answer names none.
std::optional<qint64> NextExpected(const QJsonObject& answer)
{
    const QJsonArray ranges = answer.value(QLatin1String("nextExpectedRanges")).toArray();
    if (ranges.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 start = ranges.first().toString().section(QLatin1Char('-'), 0, 0).toLongLong(&ok);
    return ok ? std::optional<qint64>(start) : std::nullopt;
}

class MSessionUpload
{
public:
    MSessionUpload(MServiceSession& session, const QString& parentId, const QString& name, const QString& path,
        qint64 size, const MUploadRules& rules, const std::function<void(qint64, qint64)>& progress)
        : m_Session(session)
        , m_ParentId(parentId)
        , m_Name(name)
        , m_Path(path)
        , m_Size(size)
        , m_Rules(rules)
        , m_Progress(progress)
    {
        m_Unauthorized.authorized = false; // the session's address carries its own authorization
        m_Unauthorized.resendWhenLost = false;
    }

    MUploadOutcome Run()
    {
        if (const std::optional<MUploadOutcome> failed = Open())
            return *failed;
        qint64 offset = 0;
        int recoveries = 0;
        for (;;) {
            const qint64 length = std::min(m_Rules.fragmentBytes, m_Size - offset);
            MHttpRequest fragment
                = FileRequest("PUT", m_UploadUrl, m_Path, offset, length, TransferTimeout(length, kSessionTimeout));
            fragment.headers.append({QByteArray("Content-Type"), QByteArray("application/octet-stream")});
            fragment.headers.append({QByteArray("Content-Range"),
                QStringLiteral("bytes %1-%2/%3").arg(offset).arg(offset + length - 1).arg(m_Size).toLatin1()});
            const MServiceAnswer answer = m_Session.Send(fragment, MExpect::Json, m_Unauthorized);
            if (answer.Ok() && (answer.Status() == 200 || answer.Status() == 201)) {
                const QString id = answer.Object().value(QLatin1String("id")).toString();
                if (id.isEmpty())
                    return Abandon(Failed(-4, Localized("reasonNoId")));
                Report(m_Size);
                return Uploaded(id);
            }
            std::optional<qint64> next;
            if (answer.Ok()) {
                next = NextExpected(answer.Object()).value_or(offset + length);
                recoveries = 0;
            } else if (answer.failure == MAnswerFailure::Transport || answer.Status() == 416) {
                // The fragment may have arrived, or the service holds other bytes than this side
                // thinks: it says which it still needs.
                if (++recoveries > m_Rules.recoveries)
                    return Abandon(FailedAnswer(answer));
                MUploadOutcome settled;
                next = Resume(&settled);
                if (!next)
                    return settled.ok ? settled : Abandon(settled.reason.isEmpty() ? FailedAnswer(answer) : settled);
            } else {
                return Abandon(FailedAnswer(answer));
            }
            if (*next < 0 || *next >= m_Size)
                return Abandon(Failed(-4, Localized("reasonUploadRangeWrong").arg(*next)));
            offset = *next;
            Report(offset);
        }
    }

private:
    // Creates the session; a failure outcome when it cannot.
    std::optional<MUploadOutcome> Open()
    {
        MHttpRequest request = ServiceRequest("POST",
            DriveChildAddress(m_Session.Account(), m_ParentId, m_Name, QStringLiteral("/createUploadSession")),
            kSessionTimeout);
        SetRequestBody(request, "application/json", R"({"item":{"@microsoft.graph.conflictBehavior":"fail"}})");
        // A session made twice costs nothing: the one not used runs out by itself.
        MServiceSession::Options options;
        options.resendWhenLost = true;
        const MServiceAnswer answer = m_Session.Send(request, MExpect::Json, options);
        if (!answer.Ok())
            return FailedAnswer(answer);
        m_UploadUrl = answer.Object().value(QLatin1String("uploadUrl")).toString();
        if (m_UploadUrl.isEmpty())
            return Failed(-4, Localized("reasonNoUploadAddress"));
        return std::nullopt;
    }

    // Asks the session which byte it waits for next. A session that is gone may have taken the last
    // fragment: then the file is in the folder, whole, and `settled` says so.
    std::optional<qint64> Resume(MUploadOutcome* settled)
    {
        MServiceSession::Options options;
        options.authorized = false;
        const MServiceAnswer status
            = m_Session.Send(ServiceRequest("GET", m_UploadUrl, kSessionTimeout), MExpect::Json, options);
        if (status.Ok()) {
            if (const std::optional<qint64> next = NextExpected(status.Object()))
                return next;
            *settled = Failed(-4, Localized("reasonUploadRangeWrong").arg(-1));
            return std::nullopt;
        }
        if (status.Status() != 404) {
            *settled = FailedAnswer(status);
            return std::nullopt;
        }
        QString failure;
        const std::optional<QJsonObject> found = FindUploaded(m_Session, m_ParentId, m_Name, m_Size, &failure);
        if (found && !found->isEmpty()) {
            *settled = Uploaded(found->value(QLatin1String("id")).toString(), true);
            m_Closed = true;
        } else {
            *settled = found ? FailedAnswer(status) : Failed(-3, failure);
        }
        return std::nullopt;
    }

    // Ends an upload that will not complete, so the service drops what it holds of it at once.
    MUploadOutcome Abandon(MUploadOutcome outcome)
    {
        if (!m_Closed && !m_UploadUrl.isEmpty()) {
            // Sent even when the run was stopped (a session of its own that nothing stops): it only
            // tidies up, and its answer changes nothing.
            MServiceSession tidy(m_Session.Account());
            MServiceSession::Options options;
            options.authorized = false;
            tidy.Send(ServiceRequest("DELETE", m_UploadUrl, kSessionTimeout), MExpect::Success, options);
            m_Closed = true;
        }
        return outcome;
    }

    void Report(qint64 sent)
    {
        if (m_Progress)
            m_Progress(sent, m_Size);
    }

    MServiceSession& m_Session;
    QString m_ParentId;
    QString m_Name;
    QString m_Path;
    qint64 m_Size;
    MUploadRules m_Rules;
    std::function<void(qint64, qint64)> m_Progress;
    MServiceSession::Options m_Unauthorized;
    QString m_UploadUrl;
    bool m_Closed = false;
};

} // namespace

MUploadOutcome UploadSectionFile(MServiceSession& session, const QString& parentId, const QString& name,
    const QString& localPath, const MUploadRules& rules, const std::function<void(qint64, qint64)>& progress)
{
    if (session.Account().OnlineOneNoteAccessToken().isEmpty())
        return Failed(-1, Localized("reasonNotSignedIn"));
    const QFileInfo file(localPath);
    if (!file.isFile() || !file.isReadable())
        return Failed(-4,
            Localized("reasonCannotRead")
                .arg(QDir::toNativeSeparators(localPath),
                    Localized(file.exists() ? "reasonNotReadable" : "reasonNoSuchFile")));
    const qint64 size = file.size();
    if (size <= rules.sessionThreshold)
        return SmallUpload(session, parentId, name, localPath, size);
    MUploadRules checked = rules;
    // A fragment size that is no multiple of 320 KiB may break the upload at its end.
    checked.fragmentBytes
        = std::max<qint64>(kUploadFragmentUnit, rules.fragmentBytes / kUploadFragmentUnit * kUploadFragmentUnit);
    return MSessionUpload(session, parentId, name, localPath, size, checked, progress).Run();
}
