#pragma once

#include <QDateTime>
#include <QString>
#include <mutex>
#include <optional>

// The hosts every address is built from, and the OAuth client ids. Each is a setting of the
// application (keys "Host_GlobalLogin", ..., "ClientId_Graph", "ClientId_OneNote"); absent keys give
// the public Microsoft hosts. Hosts are origins such as "https://graph.microsoft.com".
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

// The value of `fieldName` in an address: the text after "<fieldName>=" up to the next "&", or to
// the end when that gives nothing; "" when the address does not hold the field.
QString GetFieldValueFromURL(const QString& url, const QString& fieldName);

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
    // Reads the saved fields and the endpoint settings; remembers the file for SaveConfig().
    void LoadConfig(const QString& settingsFile);
    void SaveConfig(const QString& settingsFile) const;
    // Saves to the settings file the account was last loaded from (AppPaths by default).
    void SaveConfig() const;

    // True for the sign-in window's signal addresses ("http://msalogin." ...); sets the type for the
    // four known ones.
    bool SetAccountTypeByUrl(const QString& url);
    QString GetAccountDescription() const;

    QString GetLoginDomain() const;
    QString GetLoginDomain(int type) const;
    QString GetLoginRedirectUrl() const;
    QString GetTokenUrl() const;
    QString GetAPIClientID() const;
    QString GetLoginUrl() const;
    QString GetLogoutUrl() const;
    QString GetLogoutUrl(int type) const;
    std::optional<QString> APIUrl() const; // absent for type 0 and unknown types
    QString BaseUrl() const; // "" when APIUrl is absent

    // Token exchange, refresh and identity. `showFailures` puts failures in a message box (the user
    // started the action); inside task loops it is false.

    // Exchanges the code, then fetches the identity; for the OneNote personal account a non-empty
    // display name from the sign-in pages becomes the sign-in name instead.
    void GetTokens(bool showFailures, const QString& browserDisplayName);
    void RetrieveTokensByCode(bool showFailures);
    // Refreshes only when the token is expired and a refresh token exists. Safe from any thread: a
    // thread that waited for another's refresh re-checks and does not refresh again.
    void RefreshTokens(bool showFailures);
    // Expired when the lifetime is below 1, or 20 hours or the lifetime have passed since retrieval.
    bool IsTokenExpired() const;
    void RetrieveUserIdByToken(bool showFailures);
    void RetrieveClientUrlAccountIdByToken(bool showFailures);
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
};

// The process-wide account. InitAppPaths loads it from the settings file.
MAccount& TheAccount();
