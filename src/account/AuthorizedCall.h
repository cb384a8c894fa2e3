#pragma once

#include "net/MHttpClient.h"

#include <QString>
#include <optional>

class MAccount;

// The authorized call outside a run: one request with the account's bearer token, sent on the
// calling thread. The transport knows nothing of tokens; this layer adds them. A run's requests go
// through its service session instead, which also waits out throttling and judges the answers.

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
