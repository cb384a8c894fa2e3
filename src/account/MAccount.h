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
    static MEndpoints Load(const QString& settingsFile);
};

// The one signed-in Microsoft account of the process, shared by every thread. Its fields are
// guarded by a mutex and read as copies; token refreshes are serialised so that two threads never
// spend the same (single-use) refresh token.
class MAccount
{
public:
    enum Type : int { NoAccount = 0, Personal = 1, GlobalWork = 2, ChinaWork = 3, OneNotePersonal = 100 };

    MAccount();

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

    void Reset();
    void LoadConfig(const QString& settingsFile);
    void SaveConfig(const QString& settingsFile) const;
    // Saves to the settings file the account was last loaded from (AppPaths by default).
    void SaveConfig() const;

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

    // Token exchange, refresh and identity. `showFailures` puts failures in a message box.
    void GetTokens(bool showFailures, const QString& browserDisplayName);
    void RetrieveTokensByCode(bool showFailures);
    void RefreshTokens(bool showFailures);
    bool IsTokenExpired() const;
    void RetrieveUserIdByToken(bool showFailures);
    void RetrieveClientUrlAccountIdByToken(bool showFailures);
    QString GetAccountIdFromNotebookJson(const QString& json, qint64& notebooksCount) const;

private:
    mutable std::mutex m_Mutex;
    std::mutex m_RefreshMutex;
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
