#include "ServiceRequest.h"

#include "ServiceText.h"

MHttpRequest ServiceRequest(const QByteArray& method, const QString& url, int timeoutSeconds)
{
    MHttpRequest request;
    request.method = method;
    request.url = url;
    request.timeoutSeconds = timeoutSeconds;
    return request;
}

MHttpRequest ServiceRequestEncoded(const QByteArray& method, const QString& url, int timeoutSeconds)
{
    return ServiceRequest(method, UrlQueryEncode(url), timeoutSeconds);
}

void SetRequestBody(MHttpRequest& request, const QByteArray& contentType, const QByteArray& body)
{
    request.body = body;
    request.headers.append({"Content-Type", contentType});
    request.headers.append({"Content-Length", QByteArray::number(body.size())});
}
