// Token exchange, refresh and the user's identity. Every failure message names its step by the
// number of exclamation marks.

#include "MAccount.h"

#include "AuthorizedCall.h"
#include "net/AnswerJson.h"
#include "net/ServiceRequest.h"
#include "net/ServiceText.h"
#include "util/MClock.h"
#include "util/MSleeper.h"
#include "util/TextUtils.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

constexpr int kCodeExchangeTimeout = 10;
constexpr int kRefreshTimeout = 60;
constexpr int kAccountCallTimeout = 60; // user information and the notebook list
constexpr qint64 kLongestTokenLife = 72000; // 20 hours, whatever lifetime the service states

std::optional<QString> PostTokenForm(const QString& url, const QString& form, int timeoutSeconds)
{
    MHttpRequest request = ServiceRequest("POST", url, timeoutSeconds);
    SetRequestBody(request, "application/x-www-form-urlencoded", form.toUtf8());
    const MHttpResponse response = MHttpClient::ForCurrentThread().Send(request);
    if (!response.HasBody())
        return std::nullopt;
    return response.Text();
}

} // namespace

MTokenAnswer ParseTokenAnswer(const QString& text)
{
    const QJsonObject object = AnswerObject(text.toUtf8()).value_or(QJsonObject());
    MTokenAnswer answer;
    answer.accessToken = object.value(QLatin1String("access_token")).toString();
    answer.refreshToken = object.value(QLatin1String("refresh_token")).toString();
    answer.userId = object.value(QLatin1String("user_id")).toString();
    // A number as a rule; the consumer service has written it as text.
    const QJsonValue lifetime = object.value(QLatin1String("expires_in"));
    if (lifetime.isDouble())
        answer.expiresIn = lifetime.toInteger();
    else if (lifetime.isString())
        answer.expiresIn = lifetime.toString().trimmed().toLongLong();
    return answer;
}

MUserAnswer ParseUserAnswer(const QString& text)
{
    const QJsonObject object = AnswerObject(text.toUtf8()).value_or(QJsonObject());
    return {object.value(QLatin1String("id")).toString(), object.value(QLatin1String("userPrincipalName")).toString()};
}

void MAccount::ApplyTokenAnswer(const MTokenAnswer& answer, bool keepRefreshTokenWhenAbsent)
{
    const std::lock_guard lock(m_Mutex);
    m_OnlineOneNoteAccessToken = answer.accessToken.isNull() ? QStringLiteral("") : answer.accessToken;
    if (!(keepRefreshTokenWhenAbsent && answer.refreshToken.isEmpty()))
        m_OnlineOneNoteRefreshToken = answer.refreshToken.isNull() ? QStringLiteral("") : answer.refreshToken;
    m_RetrieveTokensTime = MClock::Now();
    m_TokenExpires_in = answer.expiresIn.value_or(0);
}

MTokenFailure MAccount::GetTokens(const QString& browserDisplayName)
{
    if (MTokenFailure failure = RetrieveTokensByCode())
        return failure;
    if (MSAccountType() == OneNotePersonal && !browserDisplayName.isEmpty()) {
        setUserPrincipalName(browserDisplayName);
        SaveConfig();
        return std::nullopt;
    }
    return RetrieveUserIdByToken();
}

MTokenFailure MAccount::RetrieveTokensByCode()
{
    SetLastSignInError(std::nullopt);
    const QString code = OnlineOneNoteCode();
    if (code.isEmpty())
        return std::nullopt;
    // The authorization is spent by this exchange, whatever its answer: a code works once.
    const QString verifier = TakeCodeVerifier();
    const QString clientId = GetAPIClientID();
    QString form = QStringLiteral("grant_type=authorization_code&client_id=%1&code=%2&redirect_uri=%3")
                       .arg(clientId, code, GetLoginRedirectUrl());
    if (!verifier.isEmpty())
        form += QStringLiteral("&code_verifier=") + verifier;
    const std::optional<QString> text = PostTokenForm(GetTokenUrl(), form, kCodeExchangeTimeout);
    if (!text)
        return QStringLiteral("Get token - authorization code error!");
    const MTokenAnswer answer = ParseTokenAnswer(*text);
    ApplyTokenAnswer(answer, false);
    if (MSAccountType() == OneNotePersonal) {
        const QString userId = answer.userId.isNull() ? QStringLiteral("") : answer.userId;
        setUserId(userId);
        setUserPrincipalName(userId);
    }
    SaveConfig();
    if (!OnlineOneNoteAccessToken().isEmpty())
        return std::nullopt;
    const std::optional<MIdentityError> refusal = ParseIdentityError(*text);
    SetLastSignInError(refusal);
    if (refusal && refusal->IsUnknownApplication())
        return UnknownApplicationMessage(clientId);
    if (refusal && !refusal->description.isEmpty())
        return QStringLiteral("Get token - authorization code error!!\n%1").arg(refusal->description);
    return QStringLiteral("Get token - authorization code error!!");
}

std::optional<MIdentityError> MAccount::LastSignInError() const
{
    return Guarded(m_LastSignInError);
}

void MAccount::SetLastSignInError(const std::optional<MIdentityError>& error)
{
    SetGuarded(m_LastSignInError, error);
}

bool MAccount::IsTokenExpired() const
{
    const std::lock_guard lock(m_Mutex);
    return IsTokenExpiredLocked();
}

bool MAccount::IsTokenExpiredLocked() const
{
    if (m_TokenExpires_in < 1)
        return true;
    if (!m_RetrieveTokensTime.isValid())
        return true; // a stored time that does not read gives no reason to trust the token
    const QDateTime now = MClock::Now();
    return now > m_RetrieveTokensTime.addSecs(kLongestTokenLife)
        || now > m_RetrieveTokensTime.addSecs(m_TokenExpires_in);
}

MTokenFailure MAccount::RefreshTokens()
{
    // One refresh at a time: a refresh token is spent by its use, so a thread that waited here finds
    // the token fresh and returns without a second request.
    const std::lock_guard refreshLock(m_RefreshMutex);
    const QString clientId = GetAPIClientID();
    const QString redirect = GetLoginRedirectUrl();
    const QString url = GetTokenUrl();
    QString form;
    {
        const std::lock_guard lock(m_Mutex);
        if (m_OnlineOneNoteRefreshToken.isEmpty() || !IsTokenExpiredLocked())
            return std::nullopt;
        // Calls made meanwhile on other threads see no token and are not sent with a stale one.
        m_OnlineOneNoteAccessToken = QStringLiteral("");
        form = QStringLiteral("grant_type=refresh_token&client_id=%1&refresh_token=%2&redirect_uri=%3")
                   .arg(clientId, m_OnlineOneNoteRefreshToken, redirect);
    }
    const std::optional<QString> text = PostTokenForm(url, form, kRefreshTimeout);
    if (!text)
        return QStringLiteral("Refresh token - authorization code error!!!");
    // The service may answer a refresh without a new refresh token; the old one then stays valid.
    ApplyTokenAnswer(ParseTokenAnswer(*text), true);
    SaveConfig();
    if (OnlineOneNoteAccessToken().isEmpty())
        return QStringLiteral("Refresh token - authorization code error!!!!");
    return std::nullopt;
}

MTokenFailure MAccount::RetrieveUserIdByToken()
{
    const int type = MSAccountType();
    if (type != Personal && type != GlobalWork && type != ChinaWork)
        return std::nullopt;
    if (OnlineOneNoteAccessToken().isEmpty())
        return std::nullopt;
    // A China-cloud token is good only at the China cloud's Graph.
    const MEndpoints endpoints = Endpoints();
    const QString graph = type == ChinaWork ? endpoints.chinaGraph : endpoints.globalGraph;
    const MHttpResponse response
        = SendAuthorized(*this, ServiceRequest("GET", graph + QStringLiteral("/v1.0/me"), kAccountCallTimeout));
    if (!response.HasBody())
        return QStringLiteral("Get Microsoft user information failure!");
    const MUserAnswer user = ParseUserAnswer(response.Text());
    setUserId(user.id.isNull() ? QStringLiteral("") : user.id);
    setUserPrincipalName(user.userPrincipalName.isNull() ? QStringLiteral("") : user.userPrincipalName);
    SaveConfig();
    if (user.id.isEmpty())
        return QStringLiteral("Get Microsoft user information failure!!");
    return std::nullopt;
}

MTokenFailure MAccount::RetrieveClientUrlAccountIdByToken()
{
    const QString baseUrl = BaseUrl();
    if (OnlineOneNoteAccessToken().isEmpty() || baseUrl.isEmpty())
        return std::nullopt;
    const std::optional<QString> text
        = GetAuthorizedText(*this, baseUrl + QStringLiteral("/notebooks"), kAccountCallTimeout);
    if (!text)
        return QStringLiteral("Return null when get notebooks from server!");
    if (text->isEmpty())
        return QStringLiteral("Return empty string when get notebooks from server!");
    qint64 count = 0;
    const QString accountId = GetAccountIdFromNotebookJson(*text, count);
    setClientUrlAccountId(accountId);
    SaveConfig();
    if (!accountId.isEmpty())
        return std::nullopt;
    const bool isList = ReadList(text->toUtf8()).has_value();
    if (isList && count == 0)
        return QStringLiteral("Error: There are no notebooks in this account!");
    if (isList)
        return QStringLiteral("Get client user information failure!\n%1").arg(*text);
    return QStringLiteral("Get client user information failure!!\n%1").arg(*text);
}

QString MAccount::GetAccountIdFromNotebookJson(const QString& json, qint64& notebooksCount) const
{
    if (json.isEmpty())
        return QStringLiteral("");
    const std::optional<QJsonArray> list = ReadList(json.toUtf8());
    const QJsonArray notebooks = list.value_or(QJsonArray());
    notebooksCount = notebooks.size();
    const QString documentsHost = MEndpoints::HostOf(Endpoints().consumerDocuments);
    for (const QJsonValue& value : notebooks) {
        const QJsonObject notebook = value.toObject();
        if (notebook.value(QLatin1String("isShared")).toBool(false))
            continue;
        return AccountIdFromClientUrl(LinkHref(notebook, QLatin1String("oneNoteClientUrl")), documentsHost);
    }
    return QStringLiteral("");
}

namespace {

MDeviceSignInEnd EndOf(const MIdentityError& error)
{
    if (error.IsUnknownApplication())
        return MDeviceSignInEnd::UnknownApplication;
    if (error.error == QLatin1String("authorization_declined") || error.error == QLatin1String("access_denied"))
        return MDeviceSignInEnd::Declined;
    if (error.error == QLatin1String("expired_token"))
        return MDeviceSignInEnd::Expired;
    if (error.error == QLatin1String("bad_verification_code"))
        return MDeviceSignInEnd::BadCode;
    return MDeviceSignInEnd::Refused;
}

} // namespace

MDeviceSignInResult MAccount::SignInWithDeviceCode(
    int type, const std::function<void(const MDeviceCode&)>& show, const std::atomic<bool>* running)
{
    SetLastSignInError(std::nullopt);
    const QString clientId = GetAPIClientID(type);
    const QString deviceCodeUrl = GetDeviceCodeUrl(type);
    if (deviceCodeUrl.isEmpty())
        return {MDeviceSignInEnd::Refused, QString()};
    auto ended = [this](const std::optional<MIdentityError>& error) -> MDeviceSignInResult {
        SetLastSignInError(error);
        if (!error)
            return {MDeviceSignInEnd::NoAnswer, QString()};
        return {EndOf(*error), error->description};
    };

    const std::optional<QString> started = PostTokenForm(deviceCodeUrl,
        QStringLiteral("client_id=%1&scope=%2").arg(clientId, UrlQueryEncode(ScopesFor(type))), kCodeExchangeTimeout);
    if (!started)
        return {MDeviceSignInEnd::NoAnswer, QString()};
    const std::optional<MDeviceCode> code = ParseDeviceCodeAnswer(*started);
    if (!code)
        return ended(ParseIdentityError(*started));
    show(*code);

    const QString tokenUrl = GetLoginDomain(type) + QStringLiteral("/common/oauth2/v2.0/token");
    const QString form
        = QStringLiteral("grant_type=urn:ietf:params:oauth:grant-type:device_code&client_id=%1&device_code=%2")
              .arg(clientId, code->deviceCode);
    const QDateTime deadline = MClock::Now().addSecs(code->expiresIn);
    qint64 interval = std::max<qint64>(code->interval, 0);
    for (;;) {
        if (!MSleeper::Instance().Sleep(interval * 1000, running))
            return {MDeviceSignInEnd::Stopped, QString()};
        const std::optional<QString> text = PostTokenForm(tokenUrl, form, kCodeExchangeTimeout);
        if (!text)
            return {MDeviceSignInEnd::NoAnswer, QString()};
        const MTokenAnswer answer = ParseTokenAnswer(*text);
        if (!answer.accessToken.isEmpty()) {
            setMSAccountType(type);
            Reset();
            ApplyTokenAnswer(answer, false);
            SaveConfig();
            RetrieveUserIdByToken();
            if (UserId().isEmpty())
                return {MDeviceSignInEnd::NoIdentity, QString()};
            return {MDeviceSignInEnd::SignedIn, QString()};
        }
        const std::optional<MIdentityError> error = ParseIdentityError(*text);
        if (error && error->error == QLatin1String("slow_down")) {
            interval += 5; // RFC 8628 section 3.5
            continue;
        }
        if (error && error->error == QLatin1String("authorization_pending")) {
            // The platform answers expired_token itself; this guards against one that never does.
            if (MClock::Now() >= deadline)
                return {MDeviceSignInEnd::Expired, QString()};
            continue;
        }
        return ended(error);
    }
}
