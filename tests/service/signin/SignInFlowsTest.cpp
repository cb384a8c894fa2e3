// Sign-in against the emulator as a real account would meet it: application ids the platform knows or
// not, PKCE and state, single-use codes, and the device-code sign-in of the command line with every
// ending answer (polling waits go through a sleeper that moves a fixed clock: nothing sleeps).
#include "FixedClock.h"
#include "ServiceFixture.h"
#include "Signin.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "net/MHttpClient.h"
#include "util/MSleeper.h"

#include <QJsonArray>
#include <gtest/gtest.h>

namespace {

const QString kOurs = QStringLiteral("6731de76-14a6-49ae-97bc-6eba6914391e");
const QString kStranger = QStringLiteral("11111111-2222-3333-4444-555555555555");

QJsonObject FixtureKnowing(const QString& id, qint64 deviceInterval = 5)
{
    QJsonObject fixture = MServiceFixture::DemoFixture();
    fixture.insert(QStringLiteral("clientIds"), QJsonArray {id});
    fixture.insert(QStringLiteral("deviceInterval"), deviceInterval);
    return fixture;
}

TEST(SignInFlows, AnUnknownApplicationIdIsToldInWordsAndTheKnownOneSignsIn)
{
    MServiceFixture f(FixtureKnowing(kOurs));
    MAccount& account = f.Account();
    account.Reset();
    account.setMSAccountType(MAccount::Personal);
    EXPECT_FALSE(account.SaveClientId(MAccount::Personal, QStringLiteral("not-a-guid")));
    ASSERT_TRUE(account.SaveClientId(MAccount::Personal, kStranger));
    const MAuthorizationReply page = account.ReadAuthorizationReply(f.FollowSignIn());
    EXPECT_TRUE(page.stateMatches);
    ASSERT_TRUE(page.error.has_value());
    EXPECT_TRUE(page.error->IsUnknownApplication());

    // The token endpoint's refusal: a code issued to the known id, exchanged under the other.
    ASSERT_TRUE(account.SaveClientId(MAccount::Personal, kOurs));
    account.setOnlineOneNoteCode(account.ReadAuthorizationReply(f.FollowSignIn()).code);
    ASSERT_TRUE(account.SaveClientId(MAccount::Personal, kStranger));
    const MTokenFailure refused = account.GetTokens(QString());
    EXPECT_EQ(refused, UnknownApplicationMessage(kStranger));
    EXPECT_TRUE(refused.value_or(QString()).contains(kStranger));
    EXPECT_TRUE(account.OnlineOneNoteAccessToken().isEmpty());

    ASSERT_TRUE(account.SaveClientId(MAccount::Personal, kOurs));
    MAccount reloaded; // the id was saved, not only set
    reloaded.LoadConfig(f.SettingsFile());
    EXPECT_EQ(reloaded.GetAPIClientID(MAccount::Personal), kOurs);
    const MAuthorizationReply reply = account.ReadAuthorizationReply(f.FollowSignIn());
    ASSERT_TRUE(reply.stateMatches);
    account.setOnlineOneNoteCode(reply.code);
    EXPECT_EQ(account.GetTokens(QString()), std::nullopt);
    EXPECT_FALSE(account.UserId().isEmpty());
}

TEST(SignInFlows, AnotherVerifierOrStateIsRefusedAndACodeWorksOnce)
{
    MServiceFixture f;
    MAccount& account = f.Account();
    account.Reset();
    account.setMSAccountType(MAccount::Personal);
    const QString first = f.FollowSignIn();
    account.BeginAuthorization(); // a second sign-in begun meanwhile: new state, new verifier
    const MAuthorizationReply stale = account.ReadAuthorizationReply(first);
    EXPECT_FALSE(stale.stateMatches);
    account.setOnlineOneNoteCode(stale.code); // sent anyway: the platform checks the verifier
    account.RetrieveTokensByCode();
    EXPECT_TRUE(account.OnlineOneNoteAccessToken().isEmpty());
    ASSERT_TRUE(account.LastSignInError().has_value());
    EXPECT_EQ(account.LastSignInError()->error, QStringLiteral("invalid_grant"));
    EXPECT_TRUE(account.LastSignInError()->description.contains(QLatin1String("code_verifier")));

    const MAuthorizationReply reply = account.ReadAuthorizationReply(f.FollowSignIn());
    ASSERT_TRUE(reply.stateMatches);
    account.setOnlineOneNoteCode(reply.code);
    account.RetrieveTokensByCode();
    EXPECT_FALSE(account.OnlineOneNoteAccessToken().isEmpty());
    account.RetrieveTokensByCode();
    EXPECT_TRUE(account.OnlineOneNoteAccessToken().isEmpty());
    EXPECT_TRUE(
        account.LastSignInError().value_or(MIdentityError()).description.startsWith(QLatin1String("AADSTS70008")));
}

// Waits by moving the fixed clock; before each wait it lets the test act as the user would.
class MPollSleeper final : public MSleeper
{
public:
    MPollSleeper(MFixedClock& clock, std::function<void(int wait)> beforeWait)
        : m_Clock(clock)
        , m_BeforeWait(std::move(beforeWait))
    { }
    bool Sleep(qint64 ms, const std::atomic<bool>* running) override
    {
        if (waits.size() >= 10)
            return false; // a sign-in that polls on and on stops here, as Ctrl-C would stop it
        m_BeforeWait(int(waits.size()));
        waits.push_back(ms);
        m_Clock.AdvanceSeconds(ms / 1000);
        return !running || running->load();
    }
    std::vector<qint64> waits;

private:
    MFixedClock& m_Clock;
    std::function<void(int)> m_BeforeWait;
};

struct DeviceCase
{
    const char* name;
    // What the user (or the platform's clock) does before the first and the second wait.
    const char* first;
    const char* second;
    int status;
    const char* says;
    std::vector<qint64> waits;
};

void PrintTo(const DeviceCase& c, std::ostream* out)
{
    *out << c.name;
}

class DeviceSignIn : public ::testing::TestWithParam<DeviceCase>
{ };

TEST_P(DeviceSignIn, EveryEndingHasItsLineAndStatus)
{
    const DeviceCase c = GetParam();
    // Interval 0: with waits that take no real time, any other interval makes every poll "too soon".
    MServiceFixture f(FixtureKnowing(kOurs, 0), QStringLiteral("personal"), MAccount::Personal, false);
    MFixedClockScope clock(QDateTime(QDate(2024, 6, 1), QTime(10, 0)));
    auto act = [&](const char* what) {
        const QString action = QString::fromLatin1(what);
        if (action == QLatin1String("forget"))
            f.Emulator().Reset(); // the platform no longer knows the device code
        else if (action == QLatin1String("outlive"))
            clock->AdvanceSeconds(901); // the code's lifetime passes while the platform says "pending"
        else if (!action.isEmpty()) {
            MHttpRequest request {"POST", f.Origin() + QStringLiteral("/_emulator/device/") + action, {}, {}, 10, {}};
            ASSERT_EQ(MHttpClient::ForCurrentThread().Send(request).status, 204) << what;
        }
    };
    auto sleeper = std::make_shared<MPollSleeper>(*clock, [&](int wait) {
        act(wait == 0 ? c.first : wait == 1 ? c.second : "");
    });
    MSleeper::SetInstance(sleeper);
    if (QLatin1String(c.name) == QLatin1String("unknown_application")) {
        MConfig config(f.SettingsFile());
        config.WriteValue(QStringLiteral("ClientId_Graph"), kStranger);
        config.Save();
    }
    InitAppPaths(f.AppFolder()); // the command line's account: the fixture's, signed in as personal

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = MCliSignin().Run(
        {QStringLiteral("signin"), QStringLiteral("--type"), QStringLiteral("work"), QStringLiteral("--device")});
    const QString said
        = QString::fromStdString(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr());
    MSleeper::SetInstance(nullptr);

    EXPECT_EQ(status, c.status) << said.toStdString();
    EXPECT_TRUE(said.contains(QLatin1String(c.says))) << said.toStdString();
    EXPECT_EQ(sleeper->waits, c.waits);
    // Only a sign-in that finished replaces the stored one.
    EXPECT_EQ(TheAccount().MSAccountType() == MAccount::GlobalWork, c.status == kExitSuccess);
}

INSTANTIATE_TEST_SUITE_P(Answers, DeviceSignIn,
    ::testing::Values(DeviceCase {"approved", "approve", "", kExitSuccess, "Signed in as", {0}},
        DeviceCase {"slow_down", "slow-down", "approve", kExitSuccess, "Signed in as", {0, 5000}},
        DeviceCase {"declined", "decline", "", kExitDeclined, "declined", {0}},
        DeviceCase {"expired", "expire", "", kExitExpired, "expired", {0}},
        DeviceCase {"outlived", "", "outlive", kExitExpired, "expired", {0, 0}},
        DeviceCase {"bad_code", "forget", "", kExitBadCode, "did not recognise", {0}},
        DeviceCase {"unknown_application", "", "", kExitUsage, "does not know the application id", {}}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
