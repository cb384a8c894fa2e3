// What OneDrive does in the background: copies, which a monitor address reports on ("inProgress",
// then "completed", or "failed"), and upload sessions, which take a file in ranged fragments. Both
// addresses are pre-authenticated, as the service's are: no bearer token goes with them.
#include "MEmuInternal.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

constexpr qint64 kFragmentUnit = 320 * 1024; // fragments are multiples of this, the last excepted
constexpr qint64 kLargestFragment = 60 * 1024 * 1024;
constexpr qint64 kSessionLifetime = 3600;

QString Time(const QDateTime& t)
{
    return t.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

MEmuResponse JobNotFound(const char* what)
{
    return GraphError(
        404, QStringLiteral("itemNotFound"), QStringLiteral("The %1 was not found.").arg(QLatin1String(what)));
}

// The copy is made when its last "inProgress" answer has been given (at once when there are none),
// so that a client that does not follow the monitor sees no copy at once.
void Complete(MEmulator::Impl& emu, MEmulator::Impl::CopyJob& job)
{
    MEmuState& state = emu.state;
    const MEmuItem* source = state.Item(job.sourceId);
    const MEmuItem* parent = state.Item(job.parentId);
    job.state = MEmulator::Impl::CopyJob::Failed;
    if (!source || !parent) {
        job.errorCode = QStringLiteral("itemNotFound");
        job.errorMessage = QStringLiteral("The source or the destination no longer exists.");
    } else if (state.ChildNamed(job.parentId, job.name)) {
        job.errorCode = QStringLiteral("nameAlreadyExists");
        job.errorMessage = QStringLiteral("The specified item name already exists. Name: %1").arg(job.name);
    } else {
        job.resourceId = state.CopyItem(job.sourceId, job.parentId, job.name).id;
        job.state = MEmulator::Impl::CopyJob::Completed;
    }
}

MEmuResponse Monitor(MEmulator::Impl& emu, const QString& token, const std::optional<MEmuFault>& failCopy)
{
    auto it = emu.copyJobs.find(token);
    if (it == emu.copyJobs.end())
        return JobNotFound("copy");
    MEmulator::Impl::CopyJob& job = it->second;
    if (failCopy && job.state == MEmulator::Impl::CopyJob::InProgress) {
        job.state = MEmulator::Impl::CopyJob::Failed;
        job.errorCode = failCopy->code;
        job.errorMessage = failCopy->message;
    }
    if (job.state == MEmulator::Impl::CopyJob::InProgress) {
        if (job.pollsLeft > 0) {
            --job.pollsLeft;
            ++job.polls;
        } else {
            Complete(emu, job);
        }
    }
    MJsonWriter w;
    w.BeginObject().Field("operation", QStringLiteral("ItemCopy"));
    switch (job.state) {
    case MEmulator::Impl::CopyJob::InProgress: {
        const int share = 100 * job.polls / (job.polls + job.pollsLeft + 1);
        w.Field("percentageComplete", share).Field("status", QStringLiteral("inProgress")).EndObject();
        return JsonAnswer(202, w.Text());
    }
    case MEmulator::Impl::CopyJob::Completed:
        w.Field("percentageComplete", 100).Field("resourceId", job.resourceId);
        w.Field("status", QStringLiteral("completed")).EndObject();
        return JsonAnswer(200, w.Text());
    case MEmulator::Impl::CopyJob::Failed:
        w.Field("percentageComplete", 0).Field("status", QStringLiteral("failed"));
        w.Key("error").BeginObject().Field("code", job.errorCode).Field("message", job.errorMessage).EndObject();
        w.EndObject();
        return JsonAnswer(200, w.Text());
    }
    return JobNotFound("copy");
}

QByteArray SessionStatus(const MEmulator::Impl::UploadJob& job)
{
    MJsonWriter w;
    w.BeginObject().Field("expirationDateTime", Time(job.expires));
    w.Key("nextExpectedRanges").BeginArray().String(QString::number(job.received.size()) + QLatin1Char('-')).EndArray();
    w.EndObject();
    return w.Text();
}

// The last fragment is in: the file takes its place in the folder (or the name is refused).
MEmuResponse Commit(MEmulator::Impl& emu, const MEmuRequest& request, MEmulator::Impl::UploadJob job)
{
    MEmuState& state = emu.state;
    MEmuAccount* account = state.Account(job.accountKey);
    if (!account || !state.Item(job.parentId))
        return JobNotFound("destination folder");
    MEmuItem* existing = state.ChildNamed(job.parentId, job.name);
    if (existing && job.conflictBehavior == QLatin1String("fail"))
        return GraphError(
            409, QStringLiteral("nameAlreadyExists"), QStringLiteral("The specified item name already exists."));
    MEmuItem& file = existing ? *existing : state.AddItem(job.accountKey, job.parentId, MEmuItem::File, job.name);
    file.content = std::move(job.received);
    file.modified = QDateTime::currentDateTimeUtc();
    return JsonAnswer(existing ? 200 : 201, DriveItemJson(emu, *account, request, file));
}

MEmuResponse PutFragment(MEmulator::Impl& emu, const MEmuRequest& request, const QString& token)
{
    auto it = emu.uploadJobs.find(token);
    if (it == emu.uploadJobs.end() || it->second.expires <= QDateTime::currentDateTimeUtc())
        return JobNotFound("upload session");
    MEmulator::Impl::UploadJob& job = it->second;
    // The upload address carries its own authorization; a bearer token beside it is refused.
    if (!request.Header(QStringLiteral("authorization")).isEmpty())
        return GraphError(
            401, QStringLiteral("unauthenticated"), QStringLiteral("An upload address takes no Authorization header."));
    static const QRegularExpression kRange(QStringLiteral("^bytes (\\d+)-(\\d+)/(\\d+)$"));
    const QRegularExpressionMatch range = kRange.match(request.Header(QStringLiteral("content-range")).trimmed());
    if (!range.hasMatch())
        return GraphError(
            400, QStringLiteral("invalidRequest"), QStringLiteral("The Content-Range header is missing or malformed."));
    const qint64 first = range.captured(1).toLongLong();
    const qint64 last = range.captured(2).toLongLong();
    const qint64 total = range.captured(3).toLongLong();
    const qint64 length = last - first + 1;
    if (length <= 0 || length != request.body.size())
        return GraphError(400, QStringLiteral("invalidRequest"),
            QStringLiteral("The fragment's length does not match its Content-Range."));
    if (length > kLargestFragment)
        return GraphError(413, QStringLiteral("invalidRequest"), QStringLiteral("A fragment may hold at most 60 MiB."));
    if (job.total < 0)
        job.total = total;
    if (total != job.total || last >= total)
        return GraphError(
            400, QStringLiteral("invalidRange"), QStringLiteral("The file's size does not match the session's."));
    if (first != job.received.size())
        return GraphError(416, QStringLiteral("invalidRange"),
            QStringLiteral("The fragment does not start at the next expected byte (%1).").arg(job.received.size()));
    if (last + 1 < total && length % kFragmentUnit != 0)
        return GraphError(400, QStringLiteral("invalidRange"),
            QStringLiteral("A fragment other than the last must be a multiple of 320 KiB."));
    job.received.append(request.body);
    job.expires = QDateTime::currentDateTimeUtc().addSecs(kSessionLifetime);
    if (job.received.size() < job.total)
        return JsonAnswer(202, SessionStatus(job));
    MEmulator::Impl::UploadJob done = std::move(job);
    emu.uploadJobs.erase(it);
    return Commit(emu, request, std::move(done));
}

MEmuResponse UploadSession(MEmulator::Impl& emu, const MEmuRequest& request, const QString& token)
{
    if (request.method == QLatin1String("PUT"))
        return PutFragment(emu, request, token);
    auto it = emu.uploadJobs.find(token);
    if (it == emu.uploadJobs.end())
        return JobNotFound("upload session");
    if (request.method == QLatin1String("DELETE")) {
        emu.uploadJobs.erase(it);
        MEmuResponse r = JsonAnswer(204, {});
        r.contentType.clear();
        return r;
    }
    if (request.method == QLatin1String("GET"))
        return JsonAnswer(200, SessionStatus(it->second));
    return GraphError(405, QStringLiteral("invalidRequest"), QStringLiteral("The method is not allowed here."));
}

} // namespace

MEmuResponse StartCopyJob(MEmulator::Impl& emu, const MEmuAccount& account, const MEmuRequest& request,
    const QString& sourceId, const QString& parentId, const QString& name)
{
    MEmulator::Impl::CopyJob job;
    job.accountKey = account.key;
    job.sourceId = sourceId;
    job.parentId = parentId;
    job.name = name;
    job.pollsLeft = std::max(0, emu.state.limits.copyMonitorPolls);
    // Without "inProgress" answers to give, the copy is there as the answer goes out.
    if (job.pollsLeft == 0)
        Complete(emu, job);
    const QString token = emu.state.NewToken("copy");
    emu.copyJobs.emplace(token, job);
    MEmuResponse r = JsonAnswer(202, {});
    r.contentType.clear();
    r.headers.emplace_back("Location", (request.origin + QStringLiteral("/_monitor/") + token).toUtf8());
    return r;
}

MEmuResponse StartUploadJob(MEmulator::Impl& emu, const MEmuAccount& account, const MEmuRequest& request,
    const QString& parentId, const QString& name, const QString& conflictBehavior)
{
    MEmulator::Impl::UploadJob job;
    job.accountKey = account.key;
    job.parentId = parentId;
    job.name = name;
    job.conflictBehavior = conflictBehavior;
    job.expires = QDateTime::currentDateTimeUtc().addSecs(kSessionLifetime);
    const QString token = emu.state.NewToken("up");
    emu.uploadJobs.emplace(token, std::move(job));
    MJsonWriter w;
    w.BeginObject().Field("uploadUrl", request.origin + QStringLiteral("/_upload/") + token);
    w.Field("expirationDateTime", Time(QDateTime::currentDateTimeUtc().addSecs(kSessionLifetime)));
    w.Key("nextExpectedRanges").BeginArray().String(QStringLiteral("0-")).EndArray().EndObject();
    return JsonAnswer(200, w.Text());
}

MEmuResponse HandleDriveJob(MEmulator::Impl& emu, const MEmuRequest& request, const std::optional<MEmuFault>& failCopy)
{
    if (request.path.startsWith(QLatin1String("/_monitor/"))) {
        if (request.method != QLatin1String("GET"))
            return GraphError(405, QStringLiteral("invalidRequest"), QStringLiteral("The method is not allowed here."));
        return Monitor(emu, request.path.mid(10), failCopy);
    }
    return UploadSession(emu, request, request.path.mid(9));
}
