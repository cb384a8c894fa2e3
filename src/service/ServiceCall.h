#pragma once

#include "MHttpClient.h"

#include <QString>
#include <optional>

class MAccount;

// The authorized service call every feature makes: one request with the account's bearer token,
// sent on the calling thread. The account's transport knows nothing of tokens; this layer adds them.

// A request with method, URL and timeout. The URL is sent as given (already encoded)...
MHttpRequest ServiceRequest(const QByteArray& method, const QString& url, int timeoutSeconds);
// ... or percent-encoded with the URL-query character set first.
MHttpRequest ServiceRequestEncoded(const QByteArray& method, const QString& url, int timeoutSeconds);

// Sets the body with its "Content-Type" and "Content-Length" headers.
void SetRequestBody(MHttpRequest& request, const QByteArray& contentType, const QByteArray& body);

// Adds "Authorization: Bearer <token>" with the account's current token and sends. Without a token
// no request is made: the answer has no body and `sent` is false.
MHttpResponse SendAuthorized(const MAccount& account, MHttpRequest request);

// The common shape: an authorized GET whose answer is read as text. Absent without a token or when
// the transport gave no data; otherwise the body text whatever the HTTP status.
std::optional<QString> GetAuthorizedText(const MAccount& account, const QString& url, int timeoutSeconds);

// For reads that watch for an expired token: when `text` is a service error whose code is
// "InvalidAuthenticationToken" (any case), marks the account's token expired so that the next
// RefreshTokens fetches a new one. Returns whether it did.
bool MarkTokenExpiredOnInvalidToken(MAccount& account, const QString& text);
