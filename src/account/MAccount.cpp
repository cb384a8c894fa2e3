#include "MAccount.h"

#include "MTokenStore.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "net/ServiceText.h"
#include "util/Digest.h"
#include "util/MClock.h"
#include "util/TextUtils.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString kAccessTokenKey = QStringLiteral("OnlineOneNoteAccessToken");
const QString kRefreshTokenKey = QStringLiteral("OnlineOneNoteRefreshToken");
const QString kTokenStoreKey = QStringLiteral("TokenStore");
// The open authorization, for the command line, whose two steps are two processes.
const QString kStateKey = QStringLiteral("SignInState");
const QString kVerifierKey = QStringLiteral("SignInCodeVerifier");

const QString kGraphScopes
    = QStringLiteral("offline_access User.Read Files.ReadWrite.All Notes.Create Notes.ReadWrite Notes.ReadWrite.All");
const QString kOneNoteScopes = QStringLiteral(
    "wl.signin wl.offline_access wl.skydrive_update office.onenote office.onenote_create Files.ReadWrite.All "
    "Office.onenote_update Notes.ReadWrite Office.onenote_update_by_app Notes.ReadWrite.CreatedByApp "
    "Notes.ReadWrite Notes.ReadWrite.CreatedByApp");

// The addresses depend on the type, the endpoints and (for work accounts) the user id only; they
// are built from one copy of those taken under the lock.
struct MAddressInputs
{
    int type;
    MEndpoints endpoints;
    QString userId;
};

QString LoginDomain(const MEndpoints& e, int type)
{
    switch (type) {
    case MAccount::Personal:
    case MAccount::GlobalWork:
        return e.globalLogin;
    case MAccount::ChinaWork:
        return e.chinaLogin;
    case MAccount::OneNotePersonal:
        return e.consumerLogin;
    default:
        return QStringLiteral("");
    }
}

QString LoginRedirectUrl(const MEndpoints& e, int type)
{
    if (type == MAccount::Personal || type == MAccount::OneNotePersonal)
        return e.consumerLogin + QStringLiteral("/oauth20_desktop.srf");
    return LoginDomain(e, type) + QStringLiteral("/common/oauth2/nativeclient");
}

QString ClientId(const MEndpoints& e, int type)
{
    return type == MAccount::OneNotePersonal ? e.clientIdOneNote : e.clientIdGraph;
}

QString OneNoteAuthorizeUrl(const MEndpoints& e, bool promptLogin)
{
    const QString format = promptLogin
        ? QStringLiteral(
            "%1/oauth20_authorize.srf?prompt=login&client_id=%2&scope=%3&response_type=code&redirect_uri=%4")
        : QStringLiteral("%1/oauth20_authorize.srf?client_id=%2&scope=%3&response_type=code&redirect_uri=%4");
    return format.arg(e.consumerLogin, e.clientIdOneNote, UrlQueryEncode(kOneNoteScopes),
        LoginRedirectUrl(e, MAccount::OneNotePersonal));
}

QString LoginUrl(const MEndpoints& e, int type)
{
    if (type == MAccount::OneNotePersonal)
        return OneNoteAuthorizeUrl(e, false);
    return QStringLiteral("%1/common/oauth2/v2.0/authorize?prompt=login&client_id=%2&response_type=code"
                          "&response_mode=query&scope=%3&redirect_uri=%4")
        .arg(LoginDomain(e, type), e.clientIdGraph, UrlQueryEncode(kGraphScopes), LoginRedirectUrl(e, type));
}

QString LogoutUrl(const MEndpoints& e, int type)
{
    if (type == MAccount::OneNotePersonal) {
        return QStringLiteral("%1/oauth20_logout.srf?client_id=%2&redirect_uri=%3")
            .arg(e.consumerLogin, e.clientIdOneNote, OneNoteAuthorizeUrl(e, true));
    }
    return QStringLiteral("%1/logout.srf?post_logout_redirect_uri=\"%2\"").arg(LoginDomain(e, type), LoginUrl(e, type));
}

// The PKCE challenge and state of an open authorization, as the sign-in address's last fields.
QString AuthorizationFields(const QString& verifier, const QString& state)
{
    if (verifier.isEmpty())
        return QString();
    return QStringLiteral("&code_challenge=%1&code_challenge_method=S256&state=%2")
        .arg(CodeChallengeS256(verifier), state);
}

// Unreserved characters only (RFC 3986), so that the value needs no escaping anywhere it goes.
QString RandomText(int length)
{
    static const QLatin1String kAlphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~");
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text += kAlphabet.at(QRandomGenerator::system()->bounded(int(kAlphabet.size())));
    return text;
}

void WarnNoKeyring(MTokenStoreMode mode, const QString& settingsFile, const QString& why)
{
    ReportTokenStoreWarning(mode == MTokenStoreMode::Keyring
            ? Localized("msgKeyringMissingMemory").arg(why)
            : Localized("msgKeyringMissingFile").arg(why, settingsFile));
}

std::optional<QString> ApiUrl(const MAddressInputs& in)
{
    switch (in.type) {
    case MAccount::Personal:
        return in.endpoints.globalGraph + QStringLiteral("/v1.0/me");
    case MAccount::GlobalWork:
        return in.endpoints.globalGraph + QStringLiteral("/v1.0/users/") + in.userId;
    case MAccount::ChinaWork:
        return in.endpoints.chinaGraph + QStringLiteral("/v1.0/users/") + in.userId;
    case MAccount::OneNotePersonal:
        return in.endpoints.oneNoteService + QStringLiteral("/api/v1.0/me");
    default:
        return std::nullopt;
    }
}

const bool kAccountJoinsSettings = [] {
    SetAccountSettingsParticipant({
        [](const QString& file) { TheAccount().LoadConfig(file); },
        [](const QString& file) { TheAccount().SaveConfig(file); },
    });
    return true;
}();

} // namespace

MAccount::MAccount()
    : m_Endpoints(MEndpoints::Defaults())
{
    Reset();
}

QDateTime MAccount::RetrieveTokensTime() const
{
    return Guarded(m_RetrieveTokensTime);
}

void MAccount::setRetrieveTokensTime(const QDateTime& value)
{
    SetGuarded(m_RetrieveTokensTime, value);
}

QString MAccount::OnlineOneNoteCode() const
{
    return Guarded(m_OnlineOneNoteCode);
}

void MAccount::setOnlineOneNoteCode(const QString& value)
{
    SetGuarded(m_OnlineOneNoteCode, value);
}

QString MAccount::OnlineOneNoteAccessToken() const
{
    return Guarded(m_OnlineOneNoteAccessToken);
}

void MAccount::setOnlineOneNoteAccessToken(const QString& value)
{
    SetGuarded(m_OnlineOneNoteAccessToken, value);
}

QString MAccount::OnlineOneNoteRefreshToken() const
{
    return Guarded(m_OnlineOneNoteRefreshToken);
}

void MAccount::setOnlineOneNoteRefreshToken(const QString& value)
{
    SetGuarded(m_OnlineOneNoteRefreshToken, value);
}

QString MAccount::ClientUrlAccountId() const
{
    return Guarded(m_ClientUrlAccountId);
}

void MAccount::setClientUrlAccountId(const QString& value)
{
    SetGuarded(m_ClientUrlAccountId, value);
}

QString MAccount::UserId() const
{
    return Guarded(m_UserId);
}

void MAccount::setUserId(const QString& value)
{
    SetGuarded(m_UserId, value);
}

QString MAccount::UserPrincipalName() const
{
    return Guarded(m_UserPrincipalName);
}

void MAccount::setUserPrincipalName(const QString& value)
{
    SetGuarded(m_UserPrincipalName, value);
}

MEndpoints MAccount::Endpoints() const
{
    return Guarded(m_Endpoints);
}

void MAccount::setEndpoints(const MEndpoints& value)
{
    SetGuarded(m_Endpoints, value);
}

int MAccount::MSAccountType() const
{
    return Guarded(m_MSAccountType);
}

void MAccount::setMSAccountType(int value)
{
    SetGuarded(m_MSAccountType, value);
}

qint64 MAccount::TokenExpires_in() const
{
    return Guarded(m_TokenExpires_in);
}

void MAccount::setTokenExpires_in(qint64 value)
{
    SetGuarded(m_TokenExpires_in, value);
}

void MAccount::Reset()
{
    const std::lock_guard lock(m_Mutex);
    m_OnlineOneNoteCode = QStringLiteral("");
    m_OnlineOneNoteAccessToken = QStringLiteral("");
    m_OnlineOneNoteRefreshToken = QStringLiteral("");
    m_ClientUrlAccountId = QStringLiteral("");
    m_UserId = QStringLiteral("");
    m_UserPrincipalName = QStringLiteral("");
    m_RetrieveTokensTime = MClock::Now();
    m_TokenExpires_in = 0;
}

void MAccount::LoadConfig(const QString& settingsFile)
{
    MConfig config(settingsFile);
    const MEndpoints endpoints = MEndpoints::Load(settingsFile);
    QString access = config.ReadValue(kAccessTokenKey, "");
    QString refresh = config.ReadValue(kRefreshTokenKey, "");
    {
        const std::lock_guard saveLock(m_SaveMutex);
        m_KeyringFile = settingsFile;
        m_KeyringAnswers.reset();
        m_KeyringHolds.reset();
        const MTokenStoreMode mode = TokenStoreModeFromSetting(config.ReadValue(kTokenStoreKey, ""));
        if (mode != MTokenStoreMode::File) {
            const std::optional<MKeyring::Tokens> held = MKeyring::Read(settingsFile, &m_KeyringError);
            m_KeyringAnswers = held.has_value();
            if (!held) {
                if (mode == MTokenStoreMode::Keyring || !access.isEmpty() || !refresh.isEmpty())
                    WarnNoKeyring(mode, settingsFile, m_KeyringError);
            } else if (access.isEmpty() && refresh.isEmpty()) {
                access = held->access;
                refresh = held->refresh;
                m_KeyringHolds = {access, refresh};
            } else {
                // Tokens in the file while a keyring answers: a version before the keyring wrote
                // them, or a run that found no keyring did. Either way they are the newest.
                m_KeyringHolds = {held->access, held->refresh};
                StoreTokens(
                    config, access, refresh, config.ReadValue(QStringLiteral("OnlineOneNoteUserPrincipalName"), ""));
                config.Save();
            }
        }
    }
    const std::lock_guard lock(m_Mutex);
    m_SettingsFile = settingsFile;
    m_Endpoints = endpoints;
    m_MSAccountType = static_cast<int>(config.ReadValue(QStringLiteral("MSAccountType"), qint64(NoAccount)));
    m_RetrieveTokensTime = config.ReadValue(QStringLiteral("RetrieveTokensTime"), m_RetrieveTokensTime);
    m_TokenExpires_in = config.ReadValue(QStringLiteral("TokenExpires_in"), m_TokenExpires_in);
    m_OnlineOneNoteAccessToken = access;
    m_OnlineOneNoteRefreshToken = refresh;
    m_ClientUrlAccountId = config.ReadValue(QStringLiteral("ClientUrlAccountId"), "");
    m_UserId = config.ReadValue(QStringLiteral("OnlineOneNoteUserId"), "");
    m_UserPrincipalName = config.ReadValue(QStringLiteral("OnlineOneNoteUserPrincipalName"), "");
    m_AuthorizationState = config.ReadValue(kStateKey, "");
    m_CodeVerifier = config.ReadValue(kVerifierKey, "");
}

void MAccount::SaveConfig(const QString& settingsFile) const
{
    // Saves are serialised and each takes its copy inside, so the file always ends with the newest
    // state even when two threads save at once.
    const std::lock_guard saveLock(m_SaveMutex);
    MConfig config(settingsFile);
    QString access;
    QString refresh;
    QString who;
    {
        const std::lock_guard lock(m_Mutex);
        config.WriteValue(QStringLiteral("MSAccountType"), qint64(m_MSAccountType));
        config.WriteValue(QStringLiteral("RetrieveTokensTime"), m_RetrieveTokensTime);
        config.WriteValue(QStringLiteral("TokenExpires_in"), m_TokenExpires_in);
        config.WriteValue(QStringLiteral("ClientUrlAccountId"), m_ClientUrlAccountId);
        config.WriteValue(QStringLiteral("OnlineOneNoteUserId"), m_UserId);
        config.WriteValue(QStringLiteral("OnlineOneNoteUserPrincipalName"), m_UserPrincipalName);
        access = m_OnlineOneNoteAccessToken;
        refresh = m_OnlineOneNoteRefreshToken;
        who = m_UserPrincipalName;
    }
    // The keyring is called outside the fields' lock: other threads read the token meanwhile.
    StoreTokens(config, access, refresh, who);
    config.Save();
}

void MAccount::StoreTokens(MConfig& config, const QString& access, const QString& refresh, const QString& who) const
{
    const MTokenStoreMode mode = TokenStoreModeFromSetting(config.ReadValue(kTokenStoreKey, ""));
    if (mode == MTokenStoreMode::File) {
        config.WriteValue(kAccessTokenKey, access);
        config.WriteValue(kRefreshTokenKey, refresh);
        return;
    }
    if (m_KeyringFile != config.FilePath()) {
        m_KeyringFile = config.FilePath();
        m_KeyringAnswers.reset();
        m_KeyringHolds.reset();
    }
    const std::pair<QString, QString> tokens {access, refresh};
    if (m_KeyringAnswers != false && m_KeyringHolds != tokens) {
        m_KeyringAnswers = MKeyring::Write(config.FilePath(), {access, refresh}, who, &m_KeyringError);
        if (*m_KeyringAnswers)
            m_KeyringHolds = tokens;
        else
            m_KeyringHolds.reset();
    }
    // Nothing to say while there are no tokens to keep, unless the user asked for the keyring.
    if (m_KeyringAnswers == false && (mode == MTokenStoreMode::Keyring || !access.isEmpty() || !refresh.isEmpty()))
        WarnNoKeyring(mode, config.FilePath(), m_KeyringError);
    if (m_KeyringAnswers == true || mode == MTokenStoreMode::Keyring) {
        config.RemoveValue(kAccessTokenKey);
        config.RemoveValue(kRefreshTokenKey);
    } else {
        config.WriteValue(kAccessTokenKey, access);
        config.WriteValue(kRefreshTokenKey, refresh);
    }
}

void MAccount::SaveConfig() const
{
    SaveConfig(SettingsFile());
}

QString MAccount::SettingsFile() const
{
    const QString file = Guarded(m_SettingsFile);
    return file.isEmpty() ? AppPaths().settingsFile : file;
}

bool MAccount::SetAccountTypeByUrl(const QString& url)
{
    if (!url.startsWith(QLatin1String("http://msalogin.")))
        return false;
    static const std::pair<const char*, int> kSignals[] = {
        {"http://msalogin.mspa/", Personal},
        {"http://msalogin.msgswa/", GlobalWork},
        {"http://msalogin.mscswa/", ChinaWork},
        {"http://msalogin.opa/", OneNotePersonal},
    };
    for (const auto& [address, type] : kSignals) {
        if (StringEqualsIgnoreCase(url, QString::fromLatin1(address)))
            setMSAccountType(type);
    }
    return true;
}

QString MAccount::GetAccountDescription() const
{
    switch (MSAccountType()) {
    case NoAccount:
        return QStringLiteral("No Account");
    case Personal:
        return QStringLiteral("Microsoft Personal Account");
    case GlobalWork:
        return QStringLiteral("Microsoft Global School or Work Account");
    case ChinaWork:
        return QStringLiteral("Microsoft Chinese School or Work Account");
    case OneNotePersonal:
        return QStringLiteral("OneNote Personal Account");
    default:
        return QStringLiteral("None");
    }
}

QString MAccount::GetLoginDomain() const
{
    return GetLoginDomain(MSAccountType());
}

QString MAccount::GetLoginDomain(int type) const
{
    return LoginDomain(Endpoints(), type);
}

QString MAccount::GetLoginRedirectUrl() const
{
    const std::lock_guard lock(m_Mutex);
    return LoginRedirectUrl(m_Endpoints, m_MSAccountType);
}

QString MAccount::GetTokenUrl() const
{
    const std::lock_guard lock(m_Mutex);
    if (m_MSAccountType == OneNotePersonal)
        return m_Endpoints.consumerLogin + QStringLiteral("/oauth20_token.srf");
    return LoginDomain(m_Endpoints, m_MSAccountType) + QStringLiteral("/common/oauth2/v2.0/token");
}

QString MAccount::GetAPIClientID() const
{
    const std::lock_guard lock(m_Mutex);
    return ClientId(m_Endpoints, m_MSAccountType);
}

QString MAccount::GetAPIClientID(int type) const
{
    return ClientId(Endpoints(), type);
}

QString MAccount::ClientIdKey(int type)
{
    return type == OneNotePersonal ? QStringLiteral("ClientId_OneNote") : QStringLiteral("ClientId_Graph");
}

bool MAccount::SaveClientId(int type, const QString& id)
{
    const QString trimmed = id.trimmed();
    if (!trimmed.isEmpty() && !IsApplicationId(trimmed))
        return false;
    {
        const std::lock_guard lock(m_Mutex);
        (type == OneNotePersonal ? m_Endpoints.clientIdOneNote : m_Endpoints.clientIdGraph) = trimmed;
    }
    MConfig config(SettingsFile());
    if (trimmed.isEmpty())
        config.RemoveValue(ClientIdKey(type));
    else
        config.WriteValue(ClientIdKey(type), trimmed);
    return config.Save();
}

QString MAccount::GetLoginUrl() const
{
    const std::lock_guard lock(m_Mutex);
    return LoginUrl(m_Endpoints, m_MSAccountType) + AuthorizationFields(m_CodeVerifier, m_AuthorizationState);
}

QString MAccount::BeginAuthorization()
{
    const QString verifier = NewCodeVerifier();
    const QString state = RandomText(32);
    {
        const std::lock_guard lock(m_Mutex);
        m_CodeVerifier = verifier;
        m_AuthorizationState = state;
    }
    MConfig config(SettingsFile());
    config.WriteValue(kStateKey, state);
    config.WriteValue(kVerifierKey, verifier);
    config.Save();
    return GetLoginUrl();
}

QString MAccount::TakeCodeVerifier()
{
    QString verifier;
    {
        const std::lock_guard lock(m_Mutex);
        verifier = std::exchange(m_CodeVerifier, QString());
        m_AuthorizationState.clear();
    }
    MConfig config(SettingsFile());
    if (config.Contains(kStateKey) || config.Contains(kVerifierKey)) {
        config.RemoveValue(kStateKey);
        config.RemoveValue(kVerifierKey);
        config.Save();
    }
    return verifier;
}

MAuthorizationReply MAccount::ReadAuthorizationReply(const QString& redirect) const
{
    MAuthorizationReply reply;
    // Parsed as a query: the platform adds "session_state", which a search for "state=" would find,
    // and an empty "code=" followed by other fields must stay empty.
    const QUrlQuery query {QUrl(redirect)};
    const QString state = query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
    {
        const std::lock_guard lock(m_Mutex);
        // Without an open authorization no redirect is this application's to accept.
        reply.stateMatches = !m_AuthorizationState.isEmpty() && state == m_AuthorizationState;
    }
    reply.code = query.queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
    reply.error = IdentityErrorFromRedirect(redirect);
    return reply;
}

QString MAccount::GetLogoutUrl() const
{
    return GetLogoutUrl(MSAccountType());
}

QString MAccount::GetLogoutUrl(int type) const
{
    return LogoutUrl(Endpoints(), type);
}

std::optional<QString> MAccount::APIUrl() const
{
    const std::lock_guard lock(m_Mutex);
    return ApiUrl({m_MSAccountType, m_Endpoints, m_UserId});
}

QString MAccount::BaseUrl() const
{
    int type = NoAccount;
    std::optional<QString> api;
    {
        const std::lock_guard lock(m_Mutex);
        type = m_MSAccountType;
        api = ApiUrl({m_MSAccountType, m_Endpoints, m_UserId});
    }
    if (!api)
        return QStringLiteral("");
    return *api + (type == OneNotePersonal ? QStringLiteral("/notes") : QStringLiteral("/onenote"));
}

QString MAccount::GetDeviceCodeUrl(int type) const
{
    if (type != Personal && type != GlobalWork && type != ChinaWork)
        return QString();
    return GetLoginDomain(type) + QStringLiteral("/common/oauth2/v2.0/devicecode");
}

QString MAccount::ScopesFor(int type)
{
    return type == OneNotePersonal ? kOneNoteScopes : kGraphScopes;
}

MAccount& TheAccount()
{
    static MAccount account;
    return account;
}

bool IsApplicationId(const QString& text)
{
    static const QRegularExpression kGuid(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    return kGuid.match(text.trimmed()).hasMatch();
}

QString NewCodeVerifier()
{
    return RandomText(64);
}

QString CodeChallengeS256(const QString& verifier)
{
    return QString::fromLatin1(
        SHA256Data(verifier).toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}
