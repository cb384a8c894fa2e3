#include "AuthorizedCall.h"

#include "MAccount.h"
#include "net/AnswerJson.h"
#include "net/MRequestBudget.h"
#include "net/ServiceRequest.h"
#include "util/MSleeper.h"
#include "util/TextUtils.h"

MHttpResponse SendAuthorized(const MAccount& account, MHttpRequest request)
{
    // One read of the token: a refresh on another thread may empty it at any moment.
    const QString token = account.OnlineOneNoteAccessToken();
    if (token.isEmpty())
        return MHttpResponse();
    request.headers.append({"Authorization", "Bearer " + token.toUtf8()});
    // Sent outside a run's session (the notebook tree, sign-in): not paced, but counted, so that the
    // runs after it keep within the service's limits.
    if (IsOneNoteAddress(request.url))
        TheRequestBudget().Record(account.UserId(), NowMs());
    return MHttpClient::ForCurrentThread().Send(request);
}

std::optional<QString> GetAuthorizedText(const MAccount& account, const QString& url, int timeoutSeconds)
{
    const MHttpResponse response = SendAuthorized(account, ServiceRequest("GET", url, timeoutSeconds));
    if (!response.HasBody())
        return std::nullopt;
    return response.Text();
}

bool MarkTokenExpiredOnInvalidToken(MAccount& account, const QString& text)
{
    const std::optional<MServiceError> error = ReadServiceError(text.toUtf8());
    if (!error || !StringEqualsIgnoreCase(error->code, QStringLiteral("InvalidAuthenticationToken")))
        return false;
    account.setTokenExpires_in(0);
    return true;
}
