#include "account/MAccount.h"
#include "account/MIdentityAnswers.h"

#include "FixedClock.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kTen(QDate(2024, 6, 1), QTime(10, 0));

} // namespace

// The success answer in every form the service writes it is read in AnswerReadersTest; here what
// is absent: no lifetime stated, and an error answer (as the platform writes it: spaces after the
// colons, CRLF, escaped "/" and non-ASCII) that must give no token at all, and be read as an error.
TEST(TokenAnswer, NoLifetimeAndErrorAnswers)
{
    EXPECT_FALSE(ParseTokenAnswer(uR"({"access_token": "AT2", "refresh_token": "RT2"})"_s).expiresIn.has_value());

    const QString written = u"{\r\n  \"error\": \"invalid_grant\",\r\n  \"error_description\": "
                            "\"AADSTS70008: caf\\u00e9 \\/ token\",\r\n  \"error_codes\": [ 70008 ]\r\n}"_s;
    const MTokenAnswer error = ParseTokenAnswer(written);
    EXPECT_TRUE(error.accessToken.isEmpty());
    EXPECT_TRUE(error.refreshToken.isEmpty());
    const std::optional<MIdentityError> read = ParseIdentityError(written);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->error, u"invalid_grant"_s);
    EXPECT_EQ(read->description, u"AADSTS70008: café / token"_s);
    EXPECT_EQ(read->codes, QList<qint64> {70008});
}

// Valid up to the stated end with no margin, never longer than the 20 hours the program trusts,
// expired without a lifetime or a readable time of receipt. After a restart only the day of receipt
// is known: an hour's token received at 23:30 counts from midnight, so is expired at 23:30 already.
TEST(TokenExpiry, Table)
{
    const QDateTime midnight(QDate(2024, 6, 1), QTime(0, 0));
    const QDateTime sixNextDay(QDate(2024, 6, 2), QTime(6, 0));
    const struct
    {
        QDateTime received;
        qint64 expiresIn;
        QDateTime now;
        bool expired;
    } cases[] = {
        {kTen, 3600, kTen.addSecs(3600), false},
        {kTen, 3600, kTen.addSecs(3601), true},
        {kTen, 86400, sixNextDay, false},
        {kTen, 86400, sixNextDay.addSecs(1), true},
        {kTen, -5, kTen, true},
        {midnight, 3600, QDateTime(QDate(2024, 6, 1), QTime(23, 30)), true},
        {QDateTime(), 3600, kTen, true},
    };
    for (const auto& c : cases) {
        MFixedClockScope clock(c.now);
        MAccount account;
        account.setRetrieveTokensTime(c.received);
        account.setTokenExpires_in(c.expiresIn);
        EXPECT_EQ(account.IsTokenExpired(), c.expired)
            << c.received.toString(Qt::ISODate).toStdString() << " +" << c.expiresIn << " at "
            << c.now.toString(Qt::ISODate).toStdString();
    }
}

// No request, no failure, and the access token is not emptied.
TEST(TokenRefresh, NothingWithoutARefreshTokenOrACode)
{
    MFixedClockScope clock(kTen);
    MAccount account;
    account.setMSAccountType(MAccount::Personal);
    EXPECT_FALSE(account.RetrieveTokensByCode().has_value());
    account.setOnlineOneNoteAccessToken(u"still-here"_s);
    account.setTokenExpires_in(0);
    EXPECT_FALSE(account.RefreshTokens().has_value());
    EXPECT_EQ(account.OnlineOneNoteAccessToken(), u"still-here"_s);
}

TEST(AccountIdFromNotebooks, FirstUnsharedNotebook)
{
    MAccount account;
    qint64 count = -1;
    EXPECT_EQ(account.GetAccountIdFromNotebookJson(u""_s, count), u""_s);
    EXPECT_EQ(count, -1); // untouched for an empty text

    const QString json = uR"({"value":[
        {"id":"1-a","isShared":true,"links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/SHARER/Documents/A"}}},
        {"id":"1-b","links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/OWNER1/Documents/B"}}},
        {"id":"1-c","isShared":false,"links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/OTHER/C"}}}]})"_s;
    EXPECT_EQ(account.GetAccountIdFromNotebookJson(json, count), u"OWNER1"_s);
    EXPECT_EQ(count, 3);

    const QString allShared = uR"({"value":[{"id":"1-a","isShared":true,
        "links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/SHARER/Documents/A"}}}]})"_s;
    EXPECT_EQ(account.GetAccountIdFromNotebookJson(allShared, count), u""_s);
    EXPECT_EQ(count, 1);
}
