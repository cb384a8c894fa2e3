#pragma once

#include "MHttpClient.h"

#include <QString>

// The requests every caller of the services builds, before any token is added (account/AuthorizedCall
// adds it).

// A request with method, URL and timeout. The URL is sent as given (already encoded)...
MHttpRequest ServiceRequest(const QByteArray& method, const QString& url, int timeoutSeconds);
// ... or percent-encoded with the URL-query character set first.
MHttpRequest ServiceRequestEncoded(const QByteArray& method, const QString& url, int timeoutSeconds);

// Sets the body with its "Content-Type" and "Content-Length" headers.
void SetRequestBody(MHttpRequest& request, const QByteArray& contentType, const QByteArray& body);
