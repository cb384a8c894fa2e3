#include "MHttpClient.h"

#include <QFile>
#include <algorithm>
#include <atomic>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace {

// libcurl's global state must be set up once, before any handle exists, and not concurrently.
void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// What one transfer collects. With a body file the bytes go there and only the start stays in
// memory, enough for the caller to recognise an error text.
struct MTransfer
{
    QByteArray body;
    QFile* file = nullptr;
    bool writeFailed = false;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray statusText;
};

std::atomic<qint64> g_TimeoutCapMs {0};

constexpr qsizetype kFileBodyPrefix = 64 * 1024;

size_t WriteBody(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<MTransfer*>(user);
    const size_t bytes = size * count;
    if (!transfer->file) {
        transfer->body.append(data, static_cast<qsizetype>(bytes));
        return bytes;
    }
    if (transfer->body.size() < kFileBodyPrefix)
        transfer->body.append(
            data, std::min<qsizetype>(static_cast<qsizetype>(bytes), kFileBodyPrefix - transfer->body.size()));
    if (transfer->file->write(data, static_cast<qint64>(bytes)) != static_cast<qint64>(bytes)) {
        transfer->writeFailed = true;
        return 0; // makes libcurl stop with a write error
    }
    return bytes;
}

size_t WriteHeader(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<MTransfer*>(user);
    const size_t bytes = size * count;
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(bytes)).trimmed();
    if (line.startsWith("HTTP/")) {
        transfer->headers.clear(); // a redirect or an interim answer: keep only the final answer's headers
        // "HTTP/1.1 500 Internal Server Error": the words after the code (HTTP/2 sends none).
        const QList<QByteArray> words = line.split(' ');
        transfer->statusText
            = words.size() > 2 ? line.mid(words[0].size() + words[1].size() + 2).trimmed() : QByteArray();
        return bytes;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0)
        transfer->headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    return bytes;
}

// The request body read from a file, a piece at a time, as libcurl asks for it.
struct MUpload
{
    QFile file;
    qint64 left = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user)
{
    auto* upload = static_cast<MUpload*>(user);
    const qint64 wanted = std::min<qint64>(upload->left, static_cast<qint64>(size * count));
    if (wanted <= 0)
        return 0;
    const qint64 read = upload->file.read(buffer, wanted);
    if (read <= 0)
        return CURL_READFUNC_ABORT; // the file ended early or cannot be read: no partial body goes out
    upload->left -= read;
    return static_cast<size_t>(read);
}

struct MHeaderList
{
    curl_slist* list = nullptr;
    ~MHeaderList() { curl_slist_free_all(list); }
    void Append(const QByteArray& line) { list = curl_slist_append(list, line.constData()); }
};

void SetMethodAndBody(CURL* curl, const MHttpRequest& request, MUpload* upload)
{
    const QByteArray method = request.method.toUpper();
    if (upload) {
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, &ReadUpload);
        curl_easy_setopt(curl, CURLOPT_READDATA, upload);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(upload->left));
        if (method != "PUT")
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.constData());
        return;
    }
    if (method == "GET" && request.body.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        return;
    }
    if (method == "HEAD") {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        return;
    }
    // POSTFIELDS sends the bytes as they are, with the caller's method; the buffer lives as long as
    // the request, which outlives the transfer.
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.constData());
    if (method != "POST")
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.constData());
}

void SetCommonOptions(CURL* curl, const MHttpRequest& request)
{
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L); // timeouts must not use signals in a threaded program
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    // The bearer token stays with the origin it was meant for. A download's redirect points at a
    // pre-authenticated address on another host; libcurl leaves an Authorization header of our own
    // out of a request to another host (7.58), port or scheme (7.83) unless this is set.
    curl_easy_setopt(curl, CURLOPT_UNRESTRICTED_AUTH, 0L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, ""); // every encoding this libcurl can decode
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Pagewright/" PAGEWRIGHT_VERSION);
    // The whole exchange, connection included, ends after this time: no call blocks longer.
    long timeoutMs = std::max(1, request.timeoutSeconds) * 1000L;
    if (const qint64 cap = g_TimeoutCapMs.load(); cap > 0)
        timeoutMs = std::min<long>(timeoutMs, static_cast<long>(cap));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
}

} // namespace

QByteArray MHttpResponse::Header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

MHttpClient::MHttpClient()
{
    InitCurlOnce();
    m_Handle = curl_easy_init();
}

MHttpClient::~MHttpClient()
{
    curl_easy_cleanup(static_cast<CURL*>(m_Handle));
}

void MHttpClient::SetTimeoutCapMs(qint64 ms)
{
    g_TimeoutCapMs = ms;
}

MHttpClient& MHttpClient::ForCurrentThread()
{
    thread_local MHttpClient client;
    return client;
}

MHttpResponse MHttpClient::Send(const MHttpRequest& request)
{
    MHttpResponse response;
    auto* curl = static_cast<CURL*>(m_Handle);
    if (!curl) {
        response.transportError = QStringLiteral("libcurl could not create a handle");
        return response;
    }
    // Reset clears the options of the previous call but keeps its open connections for reuse.
    curl_easy_reset(curl);

    MTransfer transfer;
    std::unique_ptr<QFile> file;
    if (!request.bodyFile.isEmpty()) {
        file = std::make_unique<QFile>(request.bodyFile);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            response.transportError = QStringLiteral("cannot write %1").arg(request.bodyFile);
            return response;
        }
        transfer.file = file.get();
    }

    std::unique_ptr<MUpload> upload;
    if (!request.uploadFile.isEmpty()) {
        upload = std::make_unique<MUpload>();
        upload->file.setFileName(request.uploadFile);
        upload->left = request.uploadLength;
        if (!upload->file.open(QIODevice::ReadOnly) || !upload->file.seek(request.uploadOffset)
            || upload->file.size() < request.uploadOffset + request.uploadLength) {
            response.sent = true;
            response.transportError = QStringLiteral("cannot read %1").arg(request.uploadFile);
            return response;
        }
    }

    const QByteArray url = request.url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    SetCommonOptions(curl, request);
    SetMethodAndBody(curl, request, upload.get());

    MHeaderList headers;
    for (const auto& [name, value] : request.headers)
        headers.Append(name + ": " + value);
    headers.Append("Expect:"); // no 100-continue round trip before large bodies
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.list);

    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &WriteHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);

    response.sent = true;
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    response.headers = std::move(transfer.headers);
    response.statusText = std::move(transfer.statusText);

    if (result != CURLE_OK) {
        response.transportError = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
        if (transfer.writeFailed)
            response.transportError = QStringLiteral("cannot write %1").arg(request.bodyFile);
        if (result == CURLE_ABORTED_BY_CALLBACK && upload)
            response.transportError = QStringLiteral("cannot read %1").arg(request.uploadFile);
        if (file) {
            // A half-written download must never pass for the file it was meant to be.
            file->close();
            file->remove();
        }
        return response;
    }
    if (file)
        file->close();
    response.body = std::move(transfer.body);
    return response;
}
