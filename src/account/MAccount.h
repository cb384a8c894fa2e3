#pragma once

#include "MIdentityAnswers.h"

#include <QDateTime>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

// The hosts every address is built from, and the OAuth client ids. Each is a setting of the
// application (keys "Host_GlobalLogin", ..., "ClientId_Graph", "ClientId_OneNote"); absent hosts give
// the public Microsoft hosts. Hosts are origins such as "https://graph.microsoft.com". No client id
// is built in: each user registers the application with Microsoft and sets its id, so an absent
// id stays "".
struct MEndpoints
{
    QString globalLogin;
    QString chinaLogin;
    QString consumerLogin;
    QString globalGraph;
    QString chinaGraph;
    QString oneNoteService;
    QString consumerDocuments; // the consumer OneDrive document host of notebook links
    QString makerWeb;
    QString clientIdGraph;
    QString clientIdOneNote;

    static MEndpoints Defaults();
    // The settings' values, each absent or empty one replaced by its default; a trailing "/" is dropped.
    static MEndpoints Load(const QString& settingsFile);
    // "d.docs.live.net" of "https://d.docs.live.net" (the port stays when there is one).
    static QString HostOf(const QString& origin);
};

// The account id in a notebook's client link: the first path segment on the consumer OneDrive
// document host (`documentsHost`, a host name such as "d.docs.live.net"), else the second.
QString AccountIdFromClientUrl(const QString& clientUrl, const QString& documentsHost);

// What a token answer holds; each field is null when the answer does not hold it (an error answer,
// a text that is not JSON). `expiresIn` is absent when the answer has no lifetime field.
struct MTokenAnswer
{
    QString accessToken;
    QString refreshToken;
    std::optional<qint64> expiresIn;
    QString userId; // only the OneNote personal account's answer carries one
};
MTokenAnswer ParseTokenAnswer(const QString& text);

// What Graph's /me answer says of the signed-in user; null fields when it does not say it.
struct MUserAnswer
{
    QString id;
    QString userPrincipalName;
};
MUserAnswer ParseUserAnswer(const QString& text);
// True for a GUID written as 8-4-4-4-12 hexadecimal digits, the form the Entra admin center shows
// an application id in (blanks around it are allowed).
bool IsApplicationId(const QString& text);

// PKCE (RFC 7636): a new verifier of 64 unreserved characters from the system's random source, and
// its S256 challenge, BASE64URL(SHA256(verifier)) without padding.
QString NewCodeVerifier();
QString CodeChallengeS256(const QString& verifier);

// What a redirect to the application brought back from an authorization request.
struct MAuthorizationReply
{
    bool stateMatches = false; // the "state" is the one this sign-in sent
    QString code; // "" when none came
    std::optional<MIdentityError> error; // the platform's refusal, when it sent one
};

// What went wrong in a step of the sign-in or of a token refresh, in words the user can read; absent
// when the step went well or had nothing to do. The account never shows it: its callers do.
using MTokenFailure = std::optional<QString>;

// How a device-code sign-in ended.
enum class MDeviceSignInEnd {
    SignedIn,
    Declined, // authorization_declined or access_denied
    Expired, // expired_token, or the code's lifetime passed
    BadCode, // bad_verification_code
    UnknownApplication, // AADSTS700016
    Refused, // any other error of the platform
    NoAnswer, // the platform did not answer, or not in a form that reads
    NoIdentity, // tokens came, the user's identity did not
    Stopped, // the caller's running flag was cleared
};
struct MDeviceSignInResult
{
    MDeviceSignInEnd end = MDeviceSignInEnd::NoAnswer;
    QString detail; // the platform's description, when it gave one
};

// The one signed-in Microsoft account of the process, shared by every thread. Its fields are
// guarded by a mutex and read as copies; token refreshes are serialised so that two threads never
// spend the same (single-use) refresh token.
class MAccount
{
public:
    enum Type : int { NoAccount = 0, Personal = 1, GlobalWork = 2, ChinaWork = 3, OneNotePersonal = 100 };

    MAccount();
    MAccount(const MAccount&) = delete;
    MAccount& operator=(const MAccount&) = delete;

    // Fields (copies under the lock).
    int MSAccountType() const;
    void setMSAccountType(int type);
    QDateTime RetrieveTokensTime() const;
    void setRetrieveTokensTime(const QDateTime& time);
    qint64 TokenExpires_in() const;
    void setTokenExpires_in(qint64 seconds);
    QString OnlineOneNoteCode() const;
    void setOnlineOneNoteCode(const QString& code);
    QString OnlineOneNoteAccessToken() const;
    void setOnlineOneNoteAccessToken(const QString& token);
    QString OnlineOneNoteRefreshToken() const;
    void setOnlineOneNoteRefreshToken(const QString& token);
    QString ClientUrlAccountId() const;
    void setClientUrlAccountId(const QString& id);
    QString UserId() const;
    void setUserId(const QString& id);
    QString UserPrincipalName() const;
    void setUserPrincipalName(const QString& name);

    MEndpoints Endpoints() const;
    void setEndpoints(const MEndpoints& endpoints);

    // Clears code, tokens and identity; the tokens' time becomes now, their lifetime 0. Keeps the type.
    void Reset();
    // Reads the saved fields and the endpoint settings; remembers the file for SaveConfig(). The
    // tokens come from the keyring or the file as "TokenStore" says; tokens found in the file while
    // a keyring answers move into it and leave the file.
    void LoadConfig(const QString& settingsFile);
    // Writes every saved field. The tokens go to the keyring unless "TokenStore" is "file"; when no
    // keyring answers, "auto" writes them to the file and "keyring" keeps them for this run only,
    // either with one warning line. Empty tokens (signed out) leave both.
    void SaveConfig(const QString& settingsFile) const;
    // Saves to the settings file the account was last loaded from (AppPaths by default).
    void SaveConfig() const;
    QString SettingsFile() const;

    // True for the sign-in window's signal addresses ("http://msalogin." ...); sets the type for the
    // four known ones.
    bool SetAccountTypeByUrl(const QString& url);
    QString GetAccountDescription() const;

    QString GetLoginDomain() const;
    QString GetLoginDomain(int type) const;
    QString GetLoginRedirectUrl() const;
    QString GetTokenUrl() const;
    QString GetAPIClientID() const;
    QString GetAPIClientID(int type) const;
    // The settings key of `type`'s application id: "ClientId_OneNote" for the OneNote personal
    // account, "ClientId_Graph" for the others.
    static QString ClientIdKey(int type);
    // Stores `id` under `type`'s key in the settings file and uses it from now on; false, and nothing
    // stored, for text that is no GUID. An empty id removes the setting.
    bool SaveClientId(int type, const QString& id);
    // The sign-in address; it carries the PKCE challenge and the state of the authorization begun last.
    QString GetLoginUrl() const;
    // Begins an authorization: a fresh PKCE verifier and state are kept (and saved with the
    // settings, so that the command line's two steps find them) until the code is exchanged. Returns
    // the sign-in address.
    QString BeginAuthorization();
    // Reads a redirect to the application against the authorization begun last.
    MAuthorizationReply ReadAuthorizationReply(const QString& redirect) const;
    QString GetLogoutUrl() const;
    QString GetLogoutUrl(int type) const;
    std::optional<QString> APIUrl() const; // absent for type 0 and unknown types
    QString BaseUrl() const; // "" when APIUrl is absent

    // Token exchange, refresh and identity. Each returns its failure in words the user can read; the
    // front end shows it where the user started the action, and inside task loops it is dropped.

    // Exchanges the code, then fetches the identity; for the OneNote personal account a non-empty
    // display name from the sign-in pages becomes the sign-in name instead.
    MTokenFailure GetTokens(const QString& browserDisplayName);
    // Sends the kept PKCE verifier with the code; the authorization is spent afterwards, whatever
    // the answer. An unknown application id is told in words the user can act on.
    MTokenFailure RetrieveTokensByCode();
    // The identity platform's refusal of the last code exchange or device-code sign-in, if any.
    std::optional<MIdentityError> LastSignInError() const;

    // Device-code sign-in (RFC 8628) for a Microsoft Graph kind of account: asks for a code, hands it
    // to `show` (which tells the user where to enter it), then polls at the interval the platform
    // gives, 5 seconds more after each "slow_down", waiting through MSleeper and timing the code's
    // lifetime by MClock. On success the account becomes `type`, signed in, with tokens and identity
    // saved as the sign-in window saves them; otherwise the stored sign-in is left as it was.
    MDeviceSignInResult SignInWithDeviceCode(
        int type, const std::function<void(const MDeviceCode&)>& show, const std::atomic<bool>* running);
    // "" for the OneNote personal account, which has no device-code sign-in.
    QString GetDeviceCodeUrl(int type) const;
    // The permissions a sign-in asks for, space-separated.
    static QString ScopesFor(int type);
    // Refreshes only when the token is expired and a refresh token exists. Safe from any thread: a
    // thread that waited for another's refresh re-checks and does not refresh again.
    MTokenFailure RefreshTokens();
    // Expired when the lifetime is below 1, or 20 hours or the lifetime have passed since retrieval.
    bool IsTokenExpired() const;
    MTokenFailure RetrieveUserIdByToken();
    MTokenFailure RetrieveClientUrlAccountIdByToken();
    // The account id of the first unshared notebook's client link; `notebooksCount` becomes the
    // number of notebooks (untouched for an empty text).
    QString GetAccountIdFromNotebookJson(const QString& json, qint64& notebooksCount) const;

private:
    template<class T> T Guarded(const T& field) const
    {
        const std::lock_guard lock(m_Mutex);
        return field;
    }
    template<class T> void SetGuarded(T& field, const T& value)
    {
        const std::lock_guard lock(m_Mutex);
        field = value;
    }
    bool IsTokenExpiredLocked() const;
    void ApplyTokenAnswer(const MTokenAnswer& answer, bool keepRefreshTokenWhenAbsent);
    void SetLastSignInError(const std::optional<MIdentityError>& error);
    // The open authorization's verifier; the authorization is closed, in memory and on disk.
    QString TakeCodeVerifier();
    // Puts the tokens where "TokenStore" says (see SaveConfig); the caller holds m_SaveMutex and
    // saves `config` afterwards.
    void StoreTokens(class MConfig& config, const QString& access, const QString& refresh, const QString& who) const;

    mutable std::mutex m_Mutex;
    std::mutex m_RefreshMutex;
    mutable std::mutex m_SaveMutex;
    QString m_SettingsFile;
    MEndpoints m_Endpoints;
    int m_MSAccountType = NoAccount;
    QDateTime m_RetrieveTokensTime;
    qint64 m_TokenExpires_in = 0;
    QString m_OnlineOneNoteCode;
    QString m_OnlineOneNoteAccessToken;
    QString m_OnlineOneNoteRefreshToken;
    QString m_ClientUrlAccountId;
    QString m_UserId;
    QString m_UserPrincipalName;
    QString m_AuthorizationState; // of the authorization begun last; "" when none is open
    QString m_CodeVerifier;
    std::optional<MIdentityError> m_LastSignInError;
    // What the keyring holds for m_KeyringFile as far as this process knows, so that a save with
    // unchanged tokens makes no keyring call; m_KeyringAnswers is false once it did not answer.
    mutable QString m_KeyringFile;
    mutable std::optional<bool> m_KeyringAnswers;
    mutable std::optional<std::pair<QString, QString>> m_KeyringHolds;
    mutable QString m_KeyringError; // why it did not answer
};

// The process-wide account. InitAppPaths loads it from the settings file.
MAccount& TheAccount();
