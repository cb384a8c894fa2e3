// PKCE and state of the authorization request, application ids, and the identity platform's answers.
#include "account/MAccount.h"

#include "TempDir.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

TEST(Authorization, ChallengeIsRfc7636sAndVerifiersAreFreshAndUnreserved)
{
    // RFC 7636, appendix B.
    EXPECT_EQ(CodeChallengeS256(S("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk")),
        S("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"));
    const QString a = NewCodeVerifier();
    EXPECT_NE(a, NewCodeVerifier());
    EXPECT_TRUE(QRegularExpression(S("^[A-Za-z0-9._~-]{64}$")).match(a).hasMatch()) << a.toStdString();
}

TEST(Authorization, TheAddressCarriesTheChallengeAndOnlyTheLastStateIsAccepted)
{
    const MTempDir dir;
    const QString file = dir.FilePath(S("zephapp.plist"));
    MAccount account;
    account.LoadConfig(file);
    account.setMSAccountType(MAccount::Personal);
    const QUrlQuery first(QUrl(account.BeginAuthorization()));
    EXPECT_EQ(first.queryItemValue(S("code_challenge_method")), S("S256"));
    EXPECT_EQ(first.queryItemValue(S("code_challenge")).size(), 43);
    const QString state = first.queryItemValue(S("state"));
    ASSERT_FALSE(state.isEmpty());

    const QString page = S("https://login.live.com/oauth20_desktop.srf?code=C1");
    const MAuthorizationReply reply = account.ReadAuthorizationReply(page + S("&state=") + state + S("&lc=1033"));
    EXPECT_TRUE(reply.stateMatches);
    EXPECT_EQ(reply.code, S("C1"));
    EXPECT_FALSE(reply.error.has_value());
    for (const QString& refused : {page, page + S("&state=") + state + S("x"), page + S("&session_state=") + state,
             page + S("&state=&session_state=") + state})
        EXPECT_FALSE(account.ReadAuthorizationReply(refused).stateMatches) << refused.toStdString();

    // A new authorization replaces the open one; the command line's second step, another process,
    // finds it in the settings.
    const QString second = QUrlQuery(QUrl(account.BeginAuthorization())).queryItemValue(S("state"));
    EXPECT_NE(second, state);
    EXPECT_FALSE(account.ReadAuthorizationReply(page + S("&state=") + state).stateMatches);
    MAccount nextStep;
    nextStep.LoadConfig(file);
    nextStep.setMSAccountType(MAccount::Personal);
    EXPECT_TRUE(nextStep.ReadAuthorizationReply(page + S("&state=") + second).stateMatches);
    EXPECT_EQ(nextStep.GetLoginUrl(), account.GetLoginUrl());

    const MAuthorizationReply refusal = account.ReadAuthorizationReply(
        S("https://login.live.com/oauth20_desktop.srf?error=unauthorized_client&error_description=AADSTS700016%3a+"
          "Application+with+identifier+%27x%27&state=")
        + second);
    ASSERT_TRUE(refusal.error.has_value());
    EXPECT_TRUE(refusal.error->IsUnknownApplication());
    EXPECT_EQ(refusal.error->description, S("AADSTS700016: Application with identifier 'x'"));
    EXPECT_TRUE(refusal.code.isEmpty());
}

TEST(ApplicationId, OnlyAGuidAsTheAdminCenterShowsIt)
{
    for (const char* id : {"3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f13", " 3F6C2A71-9D4E-4B8A-A1C5-7E20D9B64F13 "})
        EXPECT_TRUE(IsApplicationId(S(id))) << id;
    for (const char* id :
        {"", "my-own-app", "{3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f13}", "3f6c2a719d4e4b8aa1c57e20d9b64f13",
            "3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f1", "3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f1g"})
        EXPECT_FALSE(IsApplicationId(S(id))) << id;
}

// Error answers as the platform writes them are read in TokenRulesTest, and device codes in the
// command line's device sign-in against the emulator; here what neither meets.
TEST(IdentityAnswers, OnlyTheUnknownApplicationCodeCountsAndADeviceCodeNeedsItsUserCode)
{
    EXPECT_FALSE(ParseIdentityError(S(R"({"error":{"code":"InvalidAuthenticationToken"}})")).has_value());
    EXPECT_FALSE(ParseIdentityError(S(R"({"error":"slow_down"})"))->IsUnknownApplication());
    EXPECT_FALSE(ParseDeviceCodeAnswer(S(R"({"device_code":"B","verification_uri":"https://x"})")).has_value());
}
