// The account against the emulator: sign-in for every kind of account, the refresh rules, identity,
// timeouts and the notebook tree's fallback when the service fails it.
#include "RecordingReporter.h"
#include "ServiceFixture.h"
#include "TempDir.h"
#include "account/AuthorizedCall.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "model/MNotebookTree.h"
#include "net/AnswerJson.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

struct Kind
{
    const char* name;
    int type;
    const char* account;
    const char* userPrefix; // the API address names the user for work accounts
};

void PrintTo(const Kind& kind, std::ostream* out)
{
    *out << kind.name;
}

class SignInTest : public ::testing::TestWithParam<Kind>
{ };

TEST_P(SignInTest, CodeExchangeGivesTokensIdentityAndSavesThem)
{
    const Kind kind = GetParam();
    MServiceFixture f(MServiceFixture::DemoFixture(), QString::fromLatin1(kind.account), kind.type);
    MAccount& account = f.Account();
    account.Reset();
    account.setMSAccountType(kind.type);
    const MAuthorizationReply reply = account.ReadAuthorizationReply(f.FollowSignIn());
    ASSERT_FALSE(reply.code.isEmpty());
    account.setOnlineOneNoteCode(reply.code);
    const MTokenFailure failure = account.GetTokens(
        kind.type == MAccount::OneNotePersonal ? QStringLiteral("alex.morgan@outlook.example") : QString());
    EXPECT_FALSE(failure.has_value()) << qPrintable(failure.value_or(QString()));
    EXPECT_FALSE(account.OnlineOneNoteAccessToken().isEmpty());
    EXPECT_FALSE(account.OnlineOneNoteRefreshToken().isEmpty());
    EXPECT_FALSE(account.UserId().isEmpty());
    EXPECT_GT(account.TokenExpires_in(), 0);
    MConfig saved(f.SettingsFile());
    EXPECT_EQ(saved.ReadValue(QStringLiteral("OnlineOneNoteAccessToken"), ""), account.OnlineOneNoteAccessToken());
    EXPECT_EQ(saved.ReadValue(QStringLiteral("OnlineOneNoteUserId"), ""), account.UserId());
    EXPECT_TRUE(account.BaseUrl().contains(QLatin1String(kind.userPrefix))) << account.BaseUrl().toStdString();
    EXPECT_FALSE(f.FetchTree()->children().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryAccountKind, SignInTest,
    ::testing::Values(Kind {"personal", MAccount::Personal, "personal", "/v1.0/me/onenote"},
        Kind {"global_work", MAccount::GlobalWork, "work", "/v1.0/users/"},
        Kind {"china_work", MAccount::ChinaWork, "work", "/v1.0/users/"},
        Kind {"onenote_personal", MAccount::OneNotePersonal, "personal", "/api/v1.0/me/notes"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(AccountServiceTest, RefreshHappensOnlyWhenDueRotatesTheRefreshTokenAndARefusalIsTold)
{
    MServiceFixture f;
    MAccount& account = f.Account();
    const QString access = account.OnlineOneNoteAccessToken();
    const QString refresh = account.OnlineOneNoteRefreshToken();
    account.RefreshTokens();
    EXPECT_EQ(f.RequestCount(QStringLiteral("/token")), 0) << "a fresh token was refreshed";
    EXPECT_EQ(account.OnlineOneNoteAccessToken(), access);

    account.setRetrieveTokensTime(QDateTime::currentDateTime().addSecs(-21 * 3600));
    account.RefreshTokens();
    EXPECT_EQ(f.RequestCount(QStringLiteral("/token")), 1);
    EXPECT_NE(account.OnlineOneNoteAccessToken(), access);
    EXPECT_NE(account.OnlineOneNoteRefreshToken(), refresh);
    EXPECT_FALSE(account.IsTokenExpired());
    EXPECT_EQ(MConfig(f.SettingsFile()).ReadValue(QStringLiteral("OnlineOneNoteRefreshToken"), ""),
        account.OnlineOneNoteRefreshToken());

    // A refused refresh is told.
    account.setOnlineOneNoteRefreshToken(QStringLiteral("spent"));
    account.setTokenExpires_in(0);
    EXPECT_TRUE(account.RefreshTokens().has_value());
    EXPECT_EQ(f.RequestCount(QStringLiteral("/token")), 2);
}

TEST(AccountServiceTest, IdentityFailuresFromAnHtmlPageOrADroppedConnectionLeaveNoUserId)
{
    for (const char* fault : {"GET /v1.0/me html", "GET /v1.0/me drop", "GET /v1.0/me empty"}) {
        MServiceFixture f;
        f.Account().setUserId(QString());
        ASSERT_FALSE(f.Emulator().AddFault(QString::fromLatin1(fault)).has_value());
        const MTokenFailure failure = f.Account().RetrieveUserIdByToken();
        EXPECT_TRUE(f.Account().UserId().isEmpty()) << fault;
        EXPECT_TRUE(failure.has_value()) << fault << ": the failure was not told";
    }
}

TEST(AccountServiceTest, AccountIdComesFromTheFirstUnsharedNotebook)
{
    MServiceFixture f;
    f.Account().RetrieveClientUrlAccountIdByToken();
    EXPECT_EQ(f.Account().ClientUrlAccountId(), QStringLiteral("8f3a2c1d0b9e7f64"));
}

TEST(AccountServiceTest, AnExpiredTokenAnswerMarksTheTokenExpiredAndTheNextRefreshRenewsIt)
{
    MServiceFixture f;
    MAccount& account = f.Account();
    const QString url = account.BaseUrl() + QStringLiteral("/notebooks");
    f.Emulator().ExpireAccessTokens();
    const std::optional<QString> refused = GetAuthorizedText(account, url, 10);
    ASSERT_TRUE(refused.has_value());
    EXPECT_FALSE(account.IsTokenExpired()) << "by the clock the token is still young";
    EXPECT_TRUE(MarkTokenExpiredOnInvalidToken(account, *refused));
    EXPECT_TRUE(account.IsTokenExpired());
    account.RefreshTokens();
    EXPECT_TRUE(ReadList(GetAuthorizedText(account, url, 10).value_or(QString()).toUtf8()).has_value());
}

TEST(AccountServiceTest, ARequestEndsAtItsTimeoutWhenTheServiceDoesNotAnswer)
{
    MServiceFixture f;
    ASSERT_FALSE(f.Emulator().AddFault(QStringLiteral("GET /v1.0/me/onenote/notebooks delay ms=4000")).has_value());
    QElapsedTimer timer;
    timer.start();
    const std::optional<QString> text
        = GetAuthorizedText(f.Account(), f.Account().BaseUrl() + QStringLiteral("/notebooks"), 1);
    EXPECT_FALSE(text.has_value());
    EXPECT_LT(timer.elapsed(), 3500) << "the wait outlasted the request's timeout";
}

TEST(NotebookTreeServiceTest, ANotebookThatFailsToExpandStaysWithWhatTheListSaidAndIsNamedWithItsReason)
{
    MServiceFixture f;
    const QString travel = MServiceFixture::FindPath(*f.FetchTree(), QStringLiteral("Travel Journal"))->id;
    ASSERT_FALSE(f.Emulator()
                     .AddFault(QStringLiteral("GET /v1.0/me/onenote/notebooks error status=500 code=10001"))
                     .has_value());
    ASSERT_FALSE(
        f.Emulator()
            .AddFault(QStringLiteral("GET /v1.0/me/onenote/notebooks/%1 error status=404 code=20102").arg(travel))
            .has_value());
    MRecordingTreeReporter reporter;
    MNotebookNode root;
    MNotebookTree tree(f.Account(), root, f.CacheFile(), &reporter);
    const MTreeBuildResult result = tree.CreateNotebooksTree(true, false);
    EXPECT_TRUE(result.built);
    EXPECT_TRUE(result.stepByStep);
    EXPECT_TRUE(reporter.alerts.value(0).startsWith(QLatin1String("First attempt to get the notebook list failed!")));
    EXPECT_FALSE(result.tooManyItems);
    EXPECT_EQ(root.childCount(), 3u) << "a notebook that could not be read was left out as if it were gone";
    const MNotebookNode* kept = MServiceFixture::FindPath(root, QStringLiteral("Travel Journal"));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->id, travel);
    EXPECT_EQ(kept->childCount(), 0u);
    EXPECT_NE(MServiceFixture::FindPath(root, QStringLiteral("Recipes/Baking")), nullptr);
    ASSERT_EQ(result.incomplete.size(), 1);
    EXPECT_TRUE(result.incomplete[0].startsWith(QLatin1String("Travel Journal: "))) << qPrintable(result.incomplete[0]);
    EXPECT_TRUE(result.incomplete[0].contains(QLatin1String("20102"))) << qPrintable(result.incomplete[0]);
    ASSERT_FALSE(reporter.alerts.isEmpty());
    EXPECT_EQ(reporter.alerts.last(), Localized("msgTreeNotebooksIncomplete").arg(result.incomplete[0]));
    const QString cache = QString::fromUtf8(ReadAll(f.CacheFile()));
    EXPECT_TRUE(cache.contains(QLatin1String("\"Recipes\"")));
    EXPECT_TRUE(cache.contains(QLatin1String("\"Travel Journal\"")));
}

TEST(NotebookTreeServiceTest, AnHtmlErrorPageOrBrokenJsonKeepsTheLastTreeAndCache)
{
    for (const char* fault :
        {"GET /v1.0/me/onenote/notebooks* html count=10", "GET /v1.0/me/onenote/notebooks* empty count=10"}) {
        MServiceFixture f;
        MNotebookNode root;
        MNotebookTree tree(f.Account(), root, f.CacheFile());
        ASSERT_TRUE(tree.CreateNotebooksTree(true, false).isList);
        const QByteArray goodCache = ReadAll(f.CacheFile());
        const size_t notebooks = root.childCount();
        ASSERT_FALSE(f.Emulator().AddFault(QString::fromLatin1(fault)).has_value());
        const MTreeBuildResult result = tree.CreateNotebooksTree(true, false);
        EXPECT_FALSE(result.isList) << fault;
        // The failed refresh leaves the tree and the cache of the last good answer.
        EXPECT_FALSE(result.built) << fault;
        EXPECT_EQ(root.childCount(), notebooks) << fault;
        EXPECT_EQ(ReadAll(f.CacheFile()), goodCache) << fault;
    }
}

} // namespace
