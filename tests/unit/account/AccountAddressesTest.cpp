#include "account/MAccount.h"
#include "app/MConfig.h"

#include "FixedClock.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The addresses each kind of account uses are walked on the real path by the sign-in tests against
// the emulator; what stays here is what those cannot see.
TEST(AccountTypeByUrl, OnlyTheFixedBeginningMarksASignalAndOnlyKnownWordsSetTheType)
{
    const struct
    {
        const char* url;
        bool signal;
        int type; // after the call, starting from the type the row before left
    } rows[] = {
        {"http://msalogin.MSGSWA/", true, 2},
        {"http://msalogin.OPA/", true, 100},
        {"HTTP://MSALOGIN.OPA/", false, 100},
        {"http://msalogin.other/", true, 100},
        {"https://login.live.com/", false, 100},
    };
    MAccount account;
    for (const auto& row : rows) {
        EXPECT_EQ(account.SetAccountTypeByUrl(QString::fromUtf8(row.url)), row.signal) << row.url;
        EXPECT_EQ(account.MSAccountType(), row.type) << row.url;
    }
}

// Tokens and identity saved and read back are checked after each sign-in against the emulator;
// here what must not be saved, and what a restart knows of the time of receipt.
TEST(AccountStore, TheCodeIsNotSavedAndOnlyTheDayOfReceiptIs)
{
    const MTempDir dir;
    const QString file = dir.FilePath(u"zephapp.plist"_s);
    const QDateTime received(QDate(2024, 3, 5), QTime(22, 40));
    MFixedClockScope clock(received);
    MAccount account;
    account.setMSAccountType(MAccount::GlobalWork);
    account.Reset();
    account.setOnlineOneNoteCode(u"code-is-not-saved"_s);
    account.setOnlineOneNoteAccessToken(u"at"_s);
    account.setTokenExpires_in(3600);
    account.SaveConfig(file);
    EXPECT_FALSE(MConfig(file).Contains(u"OnlineOneNoteCode"_s));

    MAccount loaded;
    loaded.LoadConfig(file);
    EXPECT_EQ(loaded.OnlineOneNoteCode(), u""_s);
    EXPECT_EQ(loaded.RetrieveTokensTime(), QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
}

TEST(AccountIdFromClientUrl, ByHost)
{
    const char* rows[][2] = {
        {"onenote:https://d.docs.live.net/8A3F/Documents/Notes", "8A3F"},
        {"onenote:https://D.DOCS.LIVE.NET/8A3F/Documents/Notes", "8A3F"},
        {"onenote:https://contoso-my.sharepoint.com/personal/ann_contoso_com/Documents/N", "ann_contoso_com"},
        {"onenote:https://contoso.sharepoint.com/sites", ""},
        {"", ""},
    };
    for (const auto& [url, id] : rows)
        EXPECT_EQ(AccountIdFromClientUrl(QString::fromUtf8(url), u"d.docs.live.net"_s), QString::fromUtf8(id)) << url;
}

TEST(AccountAddresses, AnUnknownAccountTypeBuildsNoCall)
{
    MAccount account;
    account.setMSAccountType(55);
    EXPECT_FALSE(account.APIUrl().has_value());
    EXPECT_EQ(account.GetLoginDomain(), u""_s);
    EXPECT_EQ(account.BaseUrl(), u""_s);
}
