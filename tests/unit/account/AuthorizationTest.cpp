// PKCE and state of the authorization request, application ids, and the identity platform's answers.
#include "account/MAccount.h"

#include "TempDir.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Authorization, ChallengeIsRfc7636sAndVerifiersAreFreshAndUnreserved)
{
    // RFC 7636, appendix B.
    EXPECT_EQ(CodeChallengeS256(u"dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"_s),
        u"E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"_s);
    const QString a = NewCodeVerifier();
    EXPECT_NE(a, NewCodeVerifier());
    EXPECT_TRUE(QRegularExpression(u"^[A-Za-z0-9._~-]{64}$"_s).match(a).hasMatch()) << a.toStdString();
}

TEST(Authorization, TheAddressCarriesTheChallengeAndOnlyTheLastStateIsAccepted)
{
    const MTempDir dir;
    const QString file = dir.FilePath(u"zephapp.plist"_s);
    MAccount account;
    account.LoadConfig(file);
    account.setMSAccountType(MAccount::Personal);
    const QUrlQuery first(QUrl(account.BeginAuthorization()));
    const QString state = first.queryItemValue(u"state"_s);
    ASSERT_FALSE(state.isEmpty());

    const QString page = u"https://login.live.com/oauth20_desktop.srf?code=C1"_s;
    const MAuthorizationReply reply = account.ReadAuthorizationReply(page + u"&state="_s + state + u"&lc=1033"_s);
    EXPECT_TRUE(reply.stateMatches);
    EXPECT_EQ(reply.code, u"C1"_s);
    EXPECT_FALSE(reply.error.has_value());
    for (const QString& refused : {page, page + u"&state="_s + state + u"x"_s, page + u"&session_state="_s + state,
             page + u"&state=&session_state="_s + state})
        EXPECT_FALSE(account.ReadAuthorizationReply(refused).stateMatches) << refused.toStdString();

    // A new authorization replaces the open one; the command line's second step, another process,
    // finds it in the settings.
    const QString second = QUrlQuery(QUrl(account.BeginAuthorization())).queryItemValue(u"state"_s);
    MAccount nextStep;
    nextStep.LoadConfig(file);
    nextStep.setMSAccountType(MAccount::Personal);
    EXPECT_TRUE(nextStep.ReadAuthorizationReply(page + u"&state="_s + second).stateMatches);
    EXPECT_EQ(nextStep.GetLoginUrl(), account.GetLoginUrl());
}

TEST(ApplicationId, OnlyAGuidAsTheAdminCenterShowsIt)
{
    for (const char* id : {"3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f13", " 3F6C2A71-9D4E-4B8A-A1C5-7E20D9B64F13 "})
        EXPECT_TRUE(IsApplicationId(QString::fromUtf8(id))) << id;
    for (const char* id : {"", "{3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f13}", "3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f1g"})
        EXPECT_FALSE(IsApplicationId(QString::fromUtf8(id))) << id;
}

// Error answers as the platform writes them are read in TokenRulesTest, and device codes in the
// command line's device sign-in against the emulator; here what neither meets.
TEST(IdentityAnswers, OnlyTheUnknownApplicationCodeCountsAndADeviceCodeNeedsItsUserCode)
{
    EXPECT_FALSE(ParseIdentityError(uR"({"error":{"code":"InvalidAuthenticationToken"}})"_s).has_value());
    EXPECT_FALSE(ParseIdentityError(uR"({"error":"slow_down"})"_s)->IsUnknownApplication());
    EXPECT_FALSE(ParseDeviceCodeAnswer(uR"({"device_code":"B","verification_uri":"https://x"})"_s).has_value());
}
