#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

// One request of the request frame: sent synchronously on the calling thread, which it blocks for
// at most `timeoutSeconds`.
struct MHttpRequest
{
    QByteArray method = "GET";
    QString url; // already encoded as it is to be sent
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int timeoutSeconds = 30;
    // When set, the answer body streams into this file (created or truncated) instead of memory, and
    // MHttpResponse::body holds only its first 64 KiB, enough to recognise a service error text.
    QString bodyFile;
    // When set, the request body is read from this file while it is sent, `uploadLength` bytes from
    // `uploadOffset` on, and `body` is not used: a file of any size goes out in bounded memory. A
    // file that cannot be read, or ends early, ends the request without an answer.
    QString uploadFile;
    qint64 uploadOffset = 0;
    qint64 uploadLength = 0;
};

struct MHttpResponse
{
    // The body of the answer whatever its status; absent when the transport gave no data (refused,
    // dropped, timed out).
    std::optional<QByteArray> body;
    long status = 0;
    QByteArray statusText; // the reason phrase of the status line ("Internal Server Error"), when sent
    bool sent = false; // false when no request was made at all (no access token, unwritable body file)
    QString transportError; // libcurl's description when there is no body
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray Header(const QByteArray& name) const; // first header of that name, ignoring case
    bool HasBody() const { return body.has_value(); }
    QString Text() const { return body ? QString::fromUtf8(*body) : QString(); }
};

// The HTTP client of the request frame, on libcurl. One easy handle per thread, reused so that
// connections are kept alive; redirects are followed; every answer's body is returned.
class MHttpClient
{
public:
    static MHttpClient& ForCurrentThread();
    MHttpResponse Send(const MHttpRequest& request);

    // Caps the timeout of every request of the process (0: no cap), so that tests of what happens
    // after a timeout need not wait out the service's minutes. The program never sets it.
    static void SetTimeoutCapMs(qint64 ms);

    ~MHttpClient();
    MHttpClient(const MHttpClient&) = delete;
    MHttpClient& operator=(const MHttpClient&) = delete;

private:
    MHttpClient();
    void* m_Handle = nullptr; // CURL*
};
