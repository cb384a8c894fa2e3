#include "account/MAccount.h"

#include "FixedClock.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

const QDateTime kTen(QDate(2024, 6, 1), QTime(10, 0));

} // namespace

TEST(TokenAnswer, MarkersAndLifetime)
{
    const MTokenAnswer a = ParseTokenAnswer(
        S(R"({"token_type":"Bearer","expires_in": 3600 ,"access_token":"AT1","refresh_token":"RT1","user_id":"u9"})"));
    EXPECT_EQ(a.accessToken, S("AT1"));
    EXPECT_EQ(a.refreshToken, S("RT1"));
    EXPECT_EQ(a.userId, S("u9"));
    EXPECT_EQ(a.expiresIn.value_or(-1), 3600); // white space around the number is ignored

    const MTokenAnswer b = ParseTokenAnswer(S(R"({"access_token":"AT2","refresh_token":"RT2"})"));
    EXPECT_FALSE(b.expiresIn.has_value());

    const MTokenAnswer error = ParseTokenAnswer(S(R"({"error":"invalid_grant","error_description":"AADSTS70008"})"));
    EXPECT_TRUE(error.accessToken.isEmpty());
    EXPECT_TRUE(error.refreshToken.isEmpty());
}

TEST(TokenExpiry, StatedLifetimeAndTwentyHours)
{
    MFixedClockScope clock(kTen);
    MAccount account;
    account.setRetrieveTokensTime(kTen);

    account.setTokenExpires_in(3600);
    clock->Set(kTen.addSecs(3600));
    EXPECT_FALSE(account.IsTokenExpired()); // valid up to its stated end, no margin
    clock->AdvanceSeconds(1);
    EXPECT_TRUE(account.IsTokenExpired());

    account.setTokenExpires_in(86400); // a day is more than the 20 hours the program trusts
    clock->Set(QDateTime(QDate(2024, 6, 2), QTime(6, 0)));
    EXPECT_FALSE(account.IsTokenExpired());
    clock->AdvanceSeconds(1);
    EXPECT_TRUE(account.IsTokenExpired());
}

TEST(TokenExpiry, NoLifetimeIsExpired)
{
    MFixedClockScope clock(kTen);
    MAccount account;
    account.setRetrieveTokensTime(kTen);
    account.setTokenExpires_in(0);
    EXPECT_TRUE(account.IsTokenExpired());
    account.setTokenExpires_in(-5);
    EXPECT_TRUE(account.IsTokenExpired());
}

TEST(TokenExpiry, RestartCountsFromMidnight)
{
    // After a restart only the day of receipt is known: a token received at 23:30 with an hour to
    // live counts from midnight, so it is expired already at 23:30.
    MFixedClockScope clock(QDateTime(QDate(2024, 6, 1), QTime(23, 30)));
    MAccount account;
    account.setRetrieveTokensTime(QDateTime(QDate(2024, 6, 1), QTime(0, 0)));
    account.setTokenExpires_in(3600);
    EXPECT_TRUE(account.IsTokenExpired());
}

TEST(TokenExpiry, UnreadableStoredTimeIsExpired)
{
    MFixedClockScope clock(kTen);
    MAccount account;
    account.setRetrieveTokensTime(QDateTime());
    account.setTokenExpires_in(3600);
    EXPECT_TRUE(account.IsTokenExpired());
}

TEST(TokenRefresh, NothingWithoutARefreshToken)
{
    MFixedClockScope clock(kTen);
    MAccount account;
    account.setMSAccountType(MAccount::Personal);
    account.setOnlineOneNoteAccessToken(S("still-here"));
    account.setTokenExpires_in(0);
    // No request, no failure, and the access token is not emptied.
    EXPECT_FALSE(account.RefreshTokens().has_value());
    EXPECT_EQ(account.OnlineOneNoteAccessToken(), S("still-here"));
}

TEST(TokenExchange, NothingWithoutACode)
{
    MAccount account;
    account.setMSAccountType(MAccount::Personal);
    EXPECT_FALSE(account.RetrieveTokensByCode().has_value());
    EXPECT_EQ(account.OnlineOneNoteAccessToken(), S(""));
}

TEST(SignInAddress, CodeField)
{
    const QString base = S("https://login.live.com/oauth20_desktop.srf?code=M.C1-abc");
    EXPECT_EQ(GetFieldValueFromURL(base + S("&lc=1033"), S("code")), S("M.C1-abc"));
    EXPECT_EQ(GetFieldValueFromURL(base, S("code")), S("M.C1-abc"));
    EXPECT_EQ(GetFieldValueFromURL(S("https://x/cb?state=1"), S("code")), S(""));
}

TEST(AccountIdFromNotebooks, FirstUnsharedNotebook)
{
    MAccount account;
    qint64 count = -1;
    EXPECT_EQ(account.GetAccountIdFromNotebookJson(S(""), count), S(""));
    EXPECT_EQ(count, -1); // untouched for an empty text

    const QString json = S(R"({"value":[
        {"id":"1-a","isShared":true,"links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/SHARER/Documents/A"}}},
        {"id":"1-b","links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/OWNER1/Documents/B"}}},
        {"id":"1-c","isShared":false,"links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/OTHER/C"}}}]})");
    EXPECT_EQ(account.GetAccountIdFromNotebookJson(json, count), S("OWNER1"));
    EXPECT_EQ(count, 3);

    const QString allShared = S(R"({"value":[{"id":"1-a","isShared":true,
        "links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/SHARER/Documents/A"}}}]})");
    EXPECT_EQ(account.GetAccountIdFromNotebookJson(allShared, count), S(""));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(account.GetAccountIdFromNotebookJson(S(R"({"value":[]})"), count), S(""));
    EXPECT_EQ(count, 0);
}
