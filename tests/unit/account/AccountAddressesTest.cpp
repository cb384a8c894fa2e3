#include "account/MAccount.h"
#include "app/MConfig.h"

#include "FixedClock.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

// Application ids as a user's settings give them: none is built in.
const char* kGraphId = "3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f13";
const char* kOneNoteId = "b82e5d40-6a17-4c93-8f2e-1d9a7c35e608";

void GiveIds(MAccount& account)
{
    MEndpoints endpoints = account.Endpoints();
    endpoints.clientIdGraph = QString::fromLatin1(kGraphId);
    endpoints.clientIdOneNote = QString::fromLatin1(kOneNoteId);
    account.setEndpoints(endpoints);
}

const char* kGraphScopesEncoded = "offline_access%20User.Read%20Files.ReadWrite.All%20Notes.Create%20Notes.ReadWrite%20"
                                  "Notes.ReadWrite.All";

} // namespace

TEST(AccountTypeByUrl, SignalAddresses)
{
    MAccount account;
    EXPECT_TRUE(account.SetAccountTypeByUrl(S("http://msalogin.mspa/")));
    EXPECT_EQ(account.MSAccountType(), 1);
    EXPECT_TRUE(account.SetAccountTypeByUrl(S("http://msalogin.MSGSWA/")));
    EXPECT_EQ(account.MSAccountType(), 2);
    EXPECT_TRUE(account.SetAccountTypeByUrl(S("http://msalogin.mscswa/")));
    EXPECT_EQ(account.MSAccountType(), 3);
    // Only the part after the fixed beginning may differ in case.
    EXPECT_TRUE(account.SetAccountTypeByUrl(S("http://msalogin.OPA/")));
    EXPECT_EQ(account.MSAccountType(), 100);
    EXPECT_FALSE(account.SetAccountTypeByUrl(S("HTTP://MSALOGIN.OPA/")));
    // An unknown word is still a signal, but leaves the type alone.
    EXPECT_TRUE(account.SetAccountTypeByUrl(S("http://msalogin.other/")));
    EXPECT_EQ(account.MSAccountType(), 100);
    EXPECT_FALSE(account.SetAccountTypeByUrl(S("https://login.live.com/")));
}

TEST(AccountAddresses, PersonalAccount)
{
    MAccount account;
    EXPECT_EQ(account.GetAPIClientID(MAccount::Personal), S(""));
    GiveIds(account);
    account.setMSAccountType(MAccount::Personal);
    EXPECT_EQ(account.GetLoginDomain(), S("https://login.microsoftonline.com"));
    EXPECT_EQ(account.GetLoginRedirectUrl(), S("https://login.live.com/oauth20_desktop.srf"));
    EXPECT_EQ(account.GetTokenUrl(), S("https://login.microsoftonline.com/common/oauth2/v2.0/token"));
    EXPECT_EQ(account.GetAPIClientID(), S("3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f13"));
    const QString login = S("https://login.microsoftonline.com/common/oauth2/v2.0/authorize?prompt=login"
                            "&client_id=3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f13&response_type=code&response_mode=query"
                            "&scope=")
        + S(kGraphScopesEncoded) + S("&redirect_uri=https://login.live.com/oauth20_desktop.srf");
    EXPECT_EQ(account.GetLoginUrl(), login);
    EXPECT_EQ(account.GetLogoutUrl(),
        S("https://login.microsoftonline.com/logout.srf?post_logout_redirect_uri=\"") + login + S("\""));
    EXPECT_EQ(account.APIUrl().value_or(S("absent")), S("https://graph.microsoft.com/v1.0/me"));
    EXPECT_EQ(account.BaseUrl(), S("https://graph.microsoft.com/v1.0/me/onenote"));
}

TEST(AccountAddresses, WorkAccountsAddressTheUser)
{
    MAccount account;
    account.setUserId(S("u-42"));
    account.setMSAccountType(MAccount::GlobalWork);
    EXPECT_EQ(account.GetLoginRedirectUrl(), S("https://login.microsoftonline.com/common/oauth2/nativeclient"));
    EXPECT_EQ(account.BaseUrl(), S("https://graph.microsoft.com/v1.0/users/u-42/onenote"));
    account.setMSAccountType(MAccount::ChinaWork);
    EXPECT_EQ(account.GetLoginDomain(), S("https://login.chinacloudapi.cn"));
    EXPECT_EQ(account.GetTokenUrl(), S("https://login.chinacloudapi.cn/common/oauth2/v2.0/token"));
    EXPECT_EQ(account.GetLoginRedirectUrl(), S("https://login.chinacloudapi.cn/common/oauth2/nativeclient"));
    EXPECT_EQ(account.BaseUrl(), S("https://microsoftgraph.chinacloudapi.cn/v1.0/users/u-42/onenote"));
}

TEST(AccountAddresses, OneNotePersonalAccount)
{
    MAccount account;
    GiveIds(account);
    account.setMSAccountType(MAccount::OneNotePersonal);
    EXPECT_EQ(account.GetTokenUrl(), S("https://login.live.com/oauth20_token.srf"));
    EXPECT_EQ(account.GetAPIClientID(), S("b82e5d40-6a17-4c93-8f2e-1d9a7c35e608"));
    const QString login = account.GetLoginUrl();
    EXPECT_TRUE(login.startsWith(S("https://login.live.com/oauth20_authorize.srf?client_id=b82e5d40-6a17-4c93-8f2e-"
                                   "1d9a7c35e608&scope=wl.signin%20wl.offline_access%20")))
        << login.toStdString();
    EXPECT_TRUE(login.endsWith(S("&response_type=code&redirect_uri=https://login.live.com/oauth20_desktop.srf")));
    const QString logout = account.GetLogoutUrl();
    EXPECT_TRUE(
        logout.startsWith(S("https://login.live.com/oauth20_logout.srf?client_id=b82e5d40-6a17-4c93-8f2e-"
                            "1d9a7c35e608&redirect_uri=https://login.live.com/oauth20_authorize.srf?prompt=login"
                            "&client_id=")))
        << logout.toStdString();
    EXPECT_EQ(account.BaseUrl(), S("https://www.onenote.com/api/v1.0/me/notes"));
}

TEST(AccountAddresses, NoAccountBuildsNoCall)
{
    MAccount account;
    EXPECT_EQ(account.MSAccountType(), 0);
    EXPECT_FALSE(account.APIUrl().has_value());
    EXPECT_EQ(account.GetLoginDomain(), S(""));
    EXPECT_EQ(account.BaseUrl(), S(""));
    account.setMSAccountType(55);
    EXPECT_FALSE(account.APIUrl().has_value());
    EXPECT_EQ(account.GetLoginDomain(), S(""));
}

TEST(AccountEndpoints, SettingsReplaceTheHosts)
{
    const MTempDir dir;
    const QString file = dir.FilePath(S("zephapp.plist"));
    MConfig config(file);
    config.WriteValue(S("Host_GlobalLogin"), S("http://127.0.0.1:8123/"));
    config.WriteValue(S("Host_GlobalGraph"), S("http://127.0.0.1:8123"));
    config.WriteValue(S("ClientId_Graph"), S("my-own-app"));
    config.WriteValue(S("Host_ChinaGraph"), S(""));
    ASSERT_TRUE(config.Save());

    MAccount account;
    account.LoadConfig(file);
    account.setMSAccountType(MAccount::Personal);
    EXPECT_EQ(account.GetTokenUrl(), S("http://127.0.0.1:8123/common/oauth2/v2.0/token"));
    EXPECT_EQ(account.BaseUrl(), S("http://127.0.0.1:8123/v1.0/me/onenote"));
    EXPECT_EQ(account.GetAPIClientID(), S("my-own-app"));
    // Absent and empty keys keep the public hosts.
    EXPECT_EQ(account.Endpoints().chinaGraph, S("https://microsoftgraph.chinacloudapi.cn"));
    EXPECT_EQ(account.GetLoginRedirectUrl(), S("https://login.live.com/oauth20_desktop.srf"));
    EXPECT_EQ(MEndpoints::HostOf(S("http://127.0.0.1:8123")), S("127.0.0.1:8123"));
}

TEST(AccountStore, SavesEveryFieldAndReadsTheDayBack)
{
    const MTempDir dir;
    const QString file = dir.FilePath(S("zephapp.plist"));
    const QDateTime received(QDate(2024, 3, 5), QTime(22, 40));
    MFixedClockScope clock(received);
    MAccount account;
    account.setMSAccountType(MAccount::GlobalWork);
    account.Reset();
    account.setOnlineOneNoteCode(S("code-is-not-saved"));
    account.setOnlineOneNoteAccessToken(S("at"));
    account.setOnlineOneNoteRefreshToken(S("rt"));
    account.setTokenExpires_in(3600);
    account.setClientUrlAccountId(S("acc"));
    account.setUserId(S("uid"));
    account.setUserPrincipalName(S("ann@example.com"));
    account.SaveConfig(file);

    const MConfig config(file);
    EXPECT_EQ(config.ReadValue(S("OnlineOneNoteUserId"), ""), S("uid"));
    EXPECT_EQ(config.ReadValue(S("OnlineOneNoteUserPrincipalName"), ""), S("ann@example.com"));
    EXPECT_FALSE(config.Contains(S("OnlineOneNoteCode")));

    MAccount loaded;
    loaded.LoadConfig(file);
    EXPECT_EQ(loaded.MSAccountType(), 2);
    EXPECT_EQ(loaded.OnlineOneNoteAccessToken(), S("at"));
    EXPECT_EQ(loaded.OnlineOneNoteRefreshToken(), S("rt"));
    EXPECT_EQ(loaded.TokenExpires_in(), 3600);
    EXPECT_EQ(loaded.ClientUrlAccountId(), S("acc"));
    EXPECT_EQ(loaded.OnlineOneNoteCode(), S(""));
    // The day is all that is stored: midnight of the day of retrieval.
    EXPECT_EQ(loaded.RetrieveTokensTime(), QDateTime(QDate(2024, 3, 5), QTime(0, 0)));

    loaded.Reset();
    EXPECT_EQ(loaded.OnlineOneNoteAccessToken(), S(""));
    EXPECT_EQ(loaded.UserId(), S(""));
    EXPECT_EQ(loaded.TokenExpires_in(), 0);
    EXPECT_EQ(loaded.RetrieveTokensTime(), received);
    EXPECT_EQ(loaded.MSAccountType(), 2);
}

TEST(AccountIdFromClientUrl, ByHost)
{
    const QString docs = S("d.docs.live.net");
    EXPECT_EQ(AccountIdFromClientUrl(S("onenote:https://d.docs.live.net/8A3F/Documents/Notes"), docs), S("8A3F"));
    EXPECT_EQ(AccountIdFromClientUrl(S("onenote:https://D.DOCS.LIVE.NET/8A3F/Documents/Notes"), docs), S("8A3F"));
    EXPECT_EQ(AccountIdFromClientUrl(
                  S("onenote:https://contoso-my.sharepoint.com/personal/ann_contoso_com/Documents/N"), docs),
        S("ann_contoso_com"));
    EXPECT_EQ(AccountIdFromClientUrl(S("onenote:https://contoso.sharepoint.com/sites"), docs), S(""));
    EXPECT_EQ(AccountIdFromClientUrl(S("onenote:https://hostonly"), docs), S(""));
    EXPECT_EQ(AccountIdFromClientUrl(S(""), docs), S(""));
}
