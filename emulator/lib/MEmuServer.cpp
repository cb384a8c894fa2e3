#include "MEmuInternal.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>
#include <httplib.h>

struct MEmuServerHost
{
    httplib::Server server;
    std::thread thread;
    int port = 0;
};

namespace {

// Multipart bodies are kept as sent, so that the request log shows them and the OneNote handler can
// judge their structure itself; the server library would otherwise take them apart.
constexpr const char* kRawContentType = "X-Emulator-Content-Type";
// In the varied style the emulator compresses answers itself (gzip, as the services do); the server
// library must not see what the client accepts, or it would compress them a second time.
constexpr const char* kRawAcceptEncoding = "X-Emulator-Accept-Encoding";
constexpr qsizetype kChunkBytes = 4096;

MEmuRequest ToRequest(const httplib::Request& req)
{
    MEmuRequest r;
    r.method = QString::fromStdString(req.method);
    r.target = QString::fromStdString(req.target);
    const qsizetype q = r.target.indexOf(QLatin1Char('?'));
    r.path = QUrl::fromPercentEncoding(r.target.left(q < 0 ? r.target.size() : q).toUtf8());
    if (q >= 0) {
        for (const QString& pair : r.target.mid(q + 1).split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            auto decode = [](QString s) {
                return QUrl::fromPercentEncoding(s.replace(QLatin1Char('+'), QLatin1Char(' ')).toUtf8());
            };
            r.query.emplace_back(
                decode(pair.left(eq < 0 ? pair.size() : eq)), eq < 0 ? QString() : decode(pair.mid(eq + 1)));
        }
    }
    for (const auto& [name, value] : req.headers) {
        QString key = QString::fromStdString(name).toLower();
        if (key == QLatin1String("x-emulator-content-type"))
            key = QStringLiteral("content-type");
        else if (key == QLatin1String("content-type") && req.has_header(kRawContentType))
            continue;
        else if (key == QLatin1String("x-emulator-accept-encoding"))
            key = QStringLiteral("accept-encoding");
        r.headers.emplace(key, QString::fromStdString(value));
    }
    r.body = QByteArray::fromStdString(req.body);
    r.origin = QStringLiteral("http://") + r.Header(QStringLiteral("host"));
    return r;
}

void Log(MEmulator::Impl& emu, const MEmuRequest& request)
{
    if (request.path.startsWith(QLatin1String("/_emulator/")))
        return;
    MEmuLoggedRequest entry;
    entry.origin = request.origin;
    entry.method = request.method;
    entry.path = request.target;
    entry.headers = request.headers;
    entry.bodySize = request.body.size();
    const std::lock_guard lock(emu.logMutex);
    if (emu.loggedBodyBytes < MEmulator::kLoggedBytesInAll) {
        entry.body = request.body.left(MEmulator::kLoggedBodyBytes);
        emu.loggedBodyBytes += entry.body.size();
    }
    emu.log.push_back(std::move(entry));
}

MEmuResponse FaultAnswer(const MEmuFault& fault)
{
    switch (fault.kind) {
    case MEmuFault::Delay: {
        MEmuResponse r;
        r.delayMs = fault.delayMs;
        return r;
    }
    case MEmuFault::Drop: {
        MEmuResponse r = GraphError(200, QStringLiteral("none"), QStringLiteral("The connection was dropped."));
        r.drop = true;
        return r;
    }
    case MEmuFault::Error:
    case MEmuFault::Failed: // away from a monitor address, a plain error
        return GraphError(fault.status, fault.code, fault.message);
    case MEmuFault::Html:
        return HtmlAnswer(500,
            "<!DOCTYPE html><html><head><title>500 - Internal server error.</title></head><body>"
            "<h1>Server Error</h1><h2>500 - Internal server error.</h2>"
            "<p>There is a problem with the resource you are looking for, and it cannot be displayed.</p>"
            "</body></html>");
    case MEmuFault::Throttle: {
        MEmuResponse r = OneNoteError(429, QStringLiteral("20166"),
            QStringLiteral("The request limit has been reached. Please try again later."));
        if (fault.retryAfter > 0)
            r.headers.emplace_back("Retry-After", QByteArray::number(fault.retryAfter));
        return r;
    }
    case MEmuFault::Empty: {
        MEmuResponse r;
        r.body.clear();
        return r;
    }
    }
    return {};
}

void Send(MEmulator::Impl& emu, const MEmuRequest& request, MEmuResponse answer, httplib::Response& res)
{
    const bool varied = emu.varied && !request.path.startsWith(QLatin1String("/_emulator/"));
    if (varied)
        answer = StyleAnswer(request, std::move(answer));
    if (answer.delayMs > 0) {
        std::unique_lock lock(emu.stopMutex);
        emu.stopped.wait_for(lock, std::chrono::milliseconds(answer.delayMs), [&] { return emu.stopping.load(); });
    }
    res.status = answer.status;
    for (const auto& [name, value] : answer.headers)
        res.set_header(name.toStdString(), value.toStdString());
    if (answer.drop) {
        // Headers promise the whole body; half of it is written and the connection closed.
        auto body = std::make_shared<std::string>(answer.body.toStdString() + std::string(256, ' '));
        res.set_content_provider(
            body->size(), answer.contentType.toStdString(), [body](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset == 0)
                    sink.write(body->data(), body->size() / 2);
                return false;
            });
        return;
    }
    if (answer.body.isEmpty() && answer.status != 200) {
        res.body.clear();
    } else if (varied && !answer.body.isEmpty() && request.method != QLatin1String("HEAD")) {
        // Chunked transfer, no Content-Length: the length is known only from the chunks.
        auto body = std::make_shared<QByteArray>(std::move(answer.body));
        res.set_chunked_content_provider(
            answer.contentType.toStdString(), [body](size_t offset, httplib::DataSink& sink) {
                const auto at = qsizetype(offset);
                if (at >= body->size()) {
                    sink.done();
                    return true;
                }
                const qsizetype size = std::min(kChunkBytes, body->size() - at);
                return sink.write(body->constData() + at, size_t(size));
            });
    } else {
        res.set_content(answer.body.toStdString(), answer.contentType.toStdString());
    }
}

std::shared_ptr<MEmuServerHost> Listen(const httplib::Server::Handler& handler,
    const httplib::Server::HandlerWithResponse& preRouting, int port, int threads)
{
    auto host = std::make_shared<MEmuServerHost>();
    host->server.set_pre_routing_handler(preRouting);
    host->server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    host->server.set_keep_alive_max_count(1000000);
    // Small answers go out at once (headers and body are separate writes), and an idle kept-alive
    // connection is closed after a second, so that stopping never waits long for a client.
    host->server.set_tcp_nodelay(true);
    host->server.set_keep_alive_timeout(1);
    host->server.set_read_timeout(60);
    host->server.set_write_timeout(60);
    host->server.Get(".*", handler);
    host->server.Post(".*", handler);
    host->server.Put(".*", handler);
    host->server.Patch(".*", handler);
    host->server.Delete(".*", handler);
    host->port = port == 0 ? host->server.bind_to_any_port("127.0.0.1")
                           : (host->server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (host->port <= 0)
        return nullptr;
    host->thread = std::thread([host] { host->server.listen_after_bind(); });
    return host;
}

void Shut(std::shared_ptr<MEmuServerHost>& host)
{
    if (!host)
        return;
    host->server.stop();
    if (host->thread.joinable())
        host->thread.join();
    host.reset();
}

} // namespace

QString MEmuLoggedRequest::Header(const QString& name) const
{
    auto it = headers.find(name.toLower());
    return it == headers.end() ? QString() : it->second;
}

QString MEmuRequest::Query(const QString& name) const
{
    for (const auto& [key, value] : query)
        if (key == name)
            return value;
    return QString();
}

bool MEmuRequest::HasQuery(const QString& name) const
{
    for (const auto& [key, value] : query)
        if (key == name)
            return true;
    return false;
}

QString MEmuRequest::Option(const QString& name) const
{
    const QString dollar = Query(QLatin1Char('$') + name);
    return dollar.isEmpty() ? Query(name) : dollar;
}

QString MEmuRequest::Header(const QString& name) const
{
    auto it = headers.find(name.toLower());
    return it == headers.end() ? QString() : it->second;
}

MEmuResponse JsonAnswer(int status, const QByteArray& json)
{
    MEmuResponse r;
    r.status = status;
    r.body = json;
    return r;
}

MEmuResponse HtmlAnswer(int status, const QByteArray& html)
{
    MEmuResponse r;
    r.status = status;
    r.contentType = "text/html; charset=utf-8";
    r.body = html;
    return r;
}

MEmuResponse Redirect(const QString& location)
{
    MEmuResponse r = HtmlAnswer(302, QByteArray());
    r.headers.emplace_back("Location", location.toUtf8());
    return r;
}

MEmuResponse GraphError(int status, const QString& code, const QString& message)
{
    MJsonWriter w;
    w.BeginObject().Key("error").BeginObject().Field("code", code).Field("message", message);
    w.Key("innerError")
        .BeginObject()
        .Field("date", QDateTime::currentDateTimeUtc().toString(Qt::ISODate))
        .Field("request-id", QUuid::createUuid().toString(QUuid::WithoutBraces))
        .Field("client-request-id", QUuid::createUuid().toString(QUuid::WithoutBraces))
        .EndObject();
    w.EndObject().EndObject();
    return JsonAnswer(status, w.Text());
}

MEmuResponse OneNoteError(int status, const QString& code, const QString& message)
{
    MJsonWriter w;
    w.BeginObject().Key("error").BeginObject().Field("code", code).Field("message", message);
    w.Field("@api.url", QStringLiteral("https://aka.ms/onenote-errors#C") + code);
    w.EndObject().EndObject();
    return JsonAnswer(status, w.Text());
}

MEmuResponse IdentityError(int status, const QString& error, const QString& description, int code)
{
    MJsonWriter w;
    w.BeginObject().Field("error", error).Field("error_description", description);
    w.Key("error_codes").BeginArray().Number(code).EndArray();
    w.Field("timestamp", QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss'Z'")))
        .Field("trace_id", QUuid::createUuid().toString(QUuid::WithoutBraces))
        .Field("correlation_id", QUuid::createUuid().toString(QUuid::WithoutBraces))
        .EndObject();
    return JsonAnswer(status, w.Text());
}

QString UrlEncode(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

std::vector<std::pair<QString, QString>> ParseForm(const QByteArray& body)
{
    std::vector<std::pair<QString, QString>> form;
    const QUrlQuery query(QString::fromUtf8(QByteArray(body).replace('+', ' ')));
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded))
        form.emplace_back(key, value);
    return form;
}

QString FormValue(const std::vector<std::pair<QString, QString>>& form, const QString& name)
{
    for (const auto& [key, value] : form)
        if (key == name)
            return value;
    return QString();
}

MEmulator::Tokens MEmulator::Impl::IssueLocked(const QString& accountKey)
{
    Tokens tokens;
    tokens.accessToken = state.NewToken("EwA");
    tokens.refreshToken = state.NewToken("M.R3_");
    tokens.userId = state.Account(accountKey)->userId;
    accessTokens[tokens.accessToken] = {accountKey, QDateTime::currentDateTimeUtc().addSecs(state.tokenLifetime)};
    refreshTokens[tokens.refreshToken] = accountKey;
    return tokens;
}

MEmuAccount* MEmulator::Impl::Authorize(const MEmuRequest& request, MEmuResponse& denied)
{
    const QString header = request.Header(QStringLiteral("authorization"));
    if (header.isEmpty()) {
        denied
            = GraphError(401, QStringLiteral("InvalidAuthenticationToken"), QStringLiteral("Access token is empty."));
        return nullptr;
    }
    const QString token
        = header.startsWith(QLatin1String("Bearer "), Qt::CaseInsensitive) ? header.mid(7).trimmed() : QString();
    auto it = accessTokens.find(token);
    if (it == accessTokens.end()) {
        denied = GraphError(401, QStringLiteral("InvalidAuthenticationToken"),
            QStringLiteral("IDX14100: JWT is not well formed, there are no dots (.)."));
        return nullptr;
    }
    if (it->second.expires <= QDateTime::currentDateTimeUtc()) {
        denied = GraphError(401, QStringLiteral("InvalidAuthenticationToken"),
            QStringLiteral("Lifetime validation failed, the token is expired."));
        return nullptr;
    }
    return state.Account(it->second.accountKey);
}

qint64 MEmulator::Impl::Throttled(const QString& accountKey, const char* service)
{
    return state.throttle.Take(
        accountKey + QLatin1Char('/') + QLatin1String(service), QDateTime::currentMSecsSinceEpoch());
}

MEmuResponse MEmulator::Impl::Dispatch(const MEmuRequest& request)
{
    MEmuResponse response;
    if (HandleInspection(*this, request, response))
        return response;
    Log(*this, request);
    const bool job
        = request.path.startsWith(QLatin1String("/_monitor/")) || request.path.startsWith(QLatin1String("/_upload/"));
    std::optional<MEmuFault> failCopy;
    if (std::optional<MEmuFault> fault = faults.Take(request.method, request.path)) {
        if (fault->kind == MEmuFault::Failed && job) {
            failCopy = fault; // the monitor answers, and says the copy failed
        } else {
            MEmuResponse answer = FaultAnswer(*fault);
            if (fault->kind != MEmuFault::Delay)
                return answer;
            response.delayMs = answer.delayMs; // then answer normally
        }
    }
    const int delay = response.delayMs;
    const std::lock_guard lock(stateMutex);
    // The second origin serves the pre-authenticated addresses and nothing else, as a download
    // host of the service does.
    if (request.atDownloadOrigin && !request.path.startsWith(QLatin1String("/_download/"))) {
        response = HtmlAnswer(404, "<html><head><title>404 Not Found</title></head><body></body></html>");
        response.delayMs = delay;
        return response;
    }
    if (HandleIdentity(*this, request, response) || HandleMakerWeb(*this, request, response)) {
        response.delayMs = delay;
        return response;
    }
    if (job) {
        response = HandleDriveJob(*this, request, failCopy);
        response.delayMs = delay;
        return response;
    }
    if (request.path.startsWith(QLatin1String("/_download/"))) {
        response = HandleDownload(*this, request);
        response.delayMs = delay;
        return response;
    }

    // The principal: /v1.0/me, /v1.0/users/{id} (Graph, global and China) or /api/v1.0/me (OneNote service).
    // Segments are decoded one by one, so that an encoded "/" in a file name stays in its segment.
    QStringList segments;
    for (const QString& raw :
        request.target.section(QLatin1Char('?'), 0, 0).split(QLatin1Char('/'), Qt::SkipEmptyParts))
        segments << QUrl::fromPercentEncoding(raw.toUtf8());
    QString prefix;
    bool legacy = false;
    QString userKey;
    if (segments.size() >= 2 && segments[0] == QLatin1String("v1.0") && segments[1] == QLatin1String("me")) {
        prefix = QStringLiteral("/v1.0/me");
        segments = segments.mid(2);
    } else if (segments.size() >= 3 && segments[0] == QLatin1String("v1.0") && segments[1] == QLatin1String("users")) {
        userKey = segments[2];
        prefix = QStringLiteral("/v1.0/users/") + userKey;
        segments = segments.mid(3);
    } else if (segments.size() >= 3 && segments[0] == QLatin1String("api") && segments[1] == QLatin1String("v1.0")
        && segments[2] == QLatin1String("me")) {
        prefix = QStringLiteral("/api/v1.0/me");
        legacy = true;
        segments = segments.mid(3);
    } else {
        response = GraphError(404, QStringLiteral("BadRequest"),
            QStringLiteral("Invalid version: the address %1 is not served.").arg(request.path));
        response.delayMs = delay;
        return response;
    }
    MEmuAccount* account = Authorize(request, response);
    if (account && !userKey.isEmpty() && userKey != account->userId
        && userKey.compare(account->userPrincipalName, Qt::CaseInsensitive) != 0) {
        response = GraphError(403, QStringLiteral("Authorization_RequestDenied"),
            QStringLiteral("Insufficient privileges to complete the operation."));
        account = nullptr;
    }
    if (account) {
        if (segments.isEmpty() && !legacy && request.method == QLatin1String("GET")) {
            MJsonWriter w;
            w.BeginObject()
                .Field("@odata.context", request.origin + QStringLiteral("/v1.0/$metadata#users/$entity"))
                .Field("displayName", account->displayName)
                .Field("givenName", account->displayName.section(QLatin1Char(' '), 0, 0))
                .Field("mail", account->mail)
                .Field("userPrincipalName", account->userPrincipalName)
                .Field("id", account->userId)
                .EndObject();
            response = JsonAnswer(200, w.Text());
        } else if (!segments.isEmpty()
            && (segments[0] == QLatin1String("onenote") || (legacy && segments[0] == QLatin1String("notes")))) {
            // The OneNote interface says only that the limit is reached: no Retry-After.
            if (Throttled(account->key, "onenote") > 0)
                response = OneNoteError(429, QStringLiteral("20166"),
                    QStringLiteral("The app has issued too many requests on behalf of this user in a short time "
                                   "period."));
            else
                response = HandleOneNote(*this, *account, request, segments.mid(1),
                    request.origin + prefix + QLatin1Char('/') + segments[0], legacy);
        } else if (!segments.isEmpty() && segments[0] == QLatin1String("drive") && !legacy) {
            // OneDrive says how long to wait.
            if (const qint64 wait = Throttled(account->key, "drive"); wait > 0) {
                response = GraphError(
                    429, QStringLiteral("activityLimitReached"), QStringLiteral("The app or user has been throttled."));
                response.headers.emplace_back("Retry-After", QByteArray::number((wait + 999) / 1000));
            } else {
                response = HandleDrive(
                    *this, *account, request, segments.mid(1), request.origin + prefix + QStringLiteral("/drive"));
            }
        } else {
            response = GraphError(400, QStringLiteral("BadRequest"),
                QStringLiteral("Resource not found for the segment '%1'.").arg(segments.value(0)));
        }
    }
    response.delayMs = delay;
    return response;
}

MEmulator::MEmulator(Options options)
    : m_Impl(std::make_unique<Impl>())
{
    m_Impl->options = std::move(options);
}

MEmulator::~MEmulator()
{
    Stop();
}

std::optional<QString> MEmulator::Start()
{
    Impl& emu = *m_Impl;
    {
        const std::lock_guard lock(emu.stateMutex);
        if (auto error = emu.state.LoadFixture(emu.options.fixture))
            return error;
        if (!emu.options.throttle.isEmpty())
            if (auto error = emu.state.throttle.Configure(emu.options.throttle))
                return error;
        if (emu.options.itemLimit)
            emu.state.limits.oneNoteItems = *emu.options.itemLimit;
        if (emu.options.deviceInterval)
            emu.state.deviceInterval = *emu.options.deviceInterval;
        emu.clientIds = QSet<QString>(emu.options.clientIds.cbegin(), emu.options.clientIds.cend());
        for (const QJsonValue& id : emu.options.fixture.value(QLatin1String("clientIds")).toArray())
            emu.clientIds.insert(id.toString());
        if (emu.clientIds.isEmpty())
            emu.clientIds.insert(QString::fromLatin1(kApplicationId));
    }
    const QString style = emu.options.answerStyle.isEmpty()
        ? emu.options.fixture.value(QLatin1String("answerStyle")).toString(QStringLiteral("plain"))
        : emu.options.answerStyle;
    if (style != QLatin1String("plain") && style != QLatin1String("varied"))
        return QStringLiteral("the answer style is \"plain\" or \"varied\", not \"%1\"").arg(style);
    emu.varied = style == QLatin1String("varied");
    auto handler = [&emu](bool downloads) {
        return [&emu, downloads](const httplib::Request& req, httplib::Response& res) {
            MEmuRequest request = ToRequest(req);
            request.atDownloadOrigin = downloads;
            Send(emu, request, emu.Dispatch(request), res);
        };
    };
    const auto preRouting = [&emu](const httplib::Request& req, httplib::Response&) {
        auto& raw = const_cast<httplib::Request&>(req);
        const std::string type = req.get_header_value("Content-Type");
        if (type.rfind("multipart/", 0) == 0) {
            raw.headers.erase("Content-Type");
            raw.headers.emplace(kRawContentType, type);
            raw.headers.emplace("Content-Type", "application/octet-stream");
        }
        if (emu.varied && req.has_header("Accept-Encoding")) {
            const std::string accepted = req.get_header_value("Accept-Encoding");
            raw.headers.erase("Accept-Encoding");
            raw.headers.emplace(kRawAcceptEncoding, accepted);
        }
        return httplib::Server::HandlerResponse::Unhandled;
    };
    const int port = emu.options.port;
    emu.host = Listen(handler(false), preRouting, port, 24);
    if (!emu.host)
        return QStringLiteral("cannot listen on 127.0.0.1:%1").arg(port);
    if (emu.varied) {
        emu.downloadHost = Listen(handler(true), preRouting, 0, 4);
        if (!emu.downloadHost) {
            Stop();
            return QStringLiteral("cannot listen on a second port of 127.0.0.1 for downloads");
        }
    }
    return std::nullopt;
}

void MEmulator::Stop()
{
    Impl& emu = *m_Impl;
    if (!emu.host)
        return;
    {
        const std::lock_guard lock(emu.stopMutex);
        emu.stopping = true;
    }
    emu.stopped.notify_all();
    Shut(emu.host);
    Shut(emu.downloadHost);
    emu.stopping = false;
}

int MEmulator::Port() const
{
    return m_Impl->host ? m_Impl->host->port : 0;
}

QString MEmulator::Origin() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(Port());
}

QString MEmulator::DownloadOrigin() const
{
    return m_Impl->downloadHost ? QStringLiteral("http://127.0.0.1:%1").arg(m_Impl->downloadHost->port) : QString();
}

bool MEmulator::Varied() const
{
    return m_Impl->varied;
}

QString MEmulator::Impl::DownloadAddress(const MEmuRequest& request, const QString& itemId, const QString& resourceId)
{
    const QString token = state.NewToken("dl");
    downloadAddresses[token] = {itemId, resourceId, QDateTime::currentDateTimeUtc().addSecs(downloadLifetime)};
    const QString origin
        = downloadHost ? QStringLiteral("http://127.0.0.1:%1").arg(downloadHost->port) : request.origin;
    return origin + QStringLiteral("/_download/") + token;
}

QStringList MEmulator::ClientIds() const
{
    const std::lock_guard lock(m_Impl->stateMutex);
    QStringList ids(m_Impl->clientIds.cbegin(), m_Impl->clientIds.cend());
    ids.sort();
    return ids;
}

std::optional<QString> MEmulator::AddFault(const QString& rule)
{
    QString error;
    std::optional<MEmuFault> fault = ParseFault(rule, &error);
    if (!fault)
        return error;
    m_Impl->faults.Add(*fault);
    return std::nullopt;
}

void MEmulator::ClearFaults()
{
    m_Impl->faults.Clear();
}

std::vector<MEmuLoggedRequest> MEmulator::Requests() const
{
    const std::lock_guard lock(m_Impl->logMutex);
    return m_Impl->log;
}

void MEmulator::ClearRequests()
{
    const std::lock_guard lock(m_Impl->logMutex);
    m_Impl->log.clear();
    m_Impl->loggedBodyBytes = 0;
}

QJsonObject MEmulator::State() const
{
    const std::lock_guard lock(m_Impl->stateMutex);
    return QJsonDocument::fromJson(m_Impl->state.ToJson()).object();
}

void MEmulator::Reset()
{
    m_Impl->ResetAll();
}

void MEmulator::Impl::ResetAll()
{
    {
        const std::lock_guard lock(stateMutex);
        state.LoadFixture(options.fixture);
        if (!options.throttle.isEmpty())
            state.throttle.Configure(options.throttle);
        if (options.itemLimit)
            state.limits.oneNoteItems = *options.itemLimit;
        if (options.deviceInterval)
            state.deviceInterval = *options.deviceInterval;
        accessTokens.clear();
        refreshTokens.clear();
        codes.clear();
        deviceCodes.clear();
        downloadAddresses.clear();
        copyJobs.clear();
        uploadJobs.clear();
    }
    faults.Clear();
    const std::lock_guard lock(logMutex);
    log.clear();
    loggedBodyBytes = 0;
}

MEmulator::Tokens MEmulator::IssueTokens(const QString& accountKey)
{
    const std::lock_guard lock(m_Impl->stateMutex);
    if (!m_Impl->state.Account(accountKey))
        return {};
    return m_Impl->IssueLocked(accountKey);
}

void MEmulator::ExpireAccessTokens()
{
    const std::lock_guard lock(m_Impl->stateMutex);
    const QDateTime past = QDateTime::currentDateTimeUtc().addSecs(-1);
    for (auto& [token, access] : m_Impl->accessTokens)
        access.expires = past;
}

void MEmulator::ExpireDownloadAddresses()
{
    const std::lock_guard lock(m_Impl->stateMutex);
    for (auto& [token, download] : m_Impl->downloadAddresses)
        download.expires = QDateTime::currentDateTimeUtc().addSecs(-1);
}

void MEmulator::SetThrottling(bool on)
{
    SetThrottle(QString::fromLatin1(on ? MEmuThrottle::kDocumented : "off"));
}

std::optional<QString> MEmulator::SetThrottle(const QString& windows)
{
    const std::lock_guard lock(m_Impl->stateMutex);
    return m_Impl->state.throttle.Configure(windows);
}

void MEmulator::SetItemLimit(qint64 items)
{
    const std::lock_guard lock(m_Impl->stateMutex);
    m_Impl->state.limits.oneNoteItems = std::max<qint64>(items, 0);
}

std::optional<QString> MEmulator::ChangePageAfterRead(const QString& pageId, const QByteArray& changes)
{
    MJsonWriter w;
    w.BeginObject().Field("page", pageId).Key("changes").Raw(changes).EndObject();
    const MEmuResponse answer = ChangeAfterRead(*m_Impl, w.Text());
    if (answer.status == 204)
        return std::nullopt;
    return QString::fromUtf8(answer.body);
}

QJsonObject LoadFixtureFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the fixture %1: %2").arg(path, file.errorString());
        return {};
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!doc.isObject()) {
        *error = QStringLiteral("the fixture %1 is not a JSON object: %2").arg(path, parseError.errorString());
        return {};
    }
    return doc.object();
}
