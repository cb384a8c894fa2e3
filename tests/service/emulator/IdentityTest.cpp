// Sign-in and token flows of the identity platform and the consumer service, and the 401 path.
#include "EmulatorTestBase.h"

#include <QUrlQuery>

namespace {

const QString kGraphClient = QString::fromLatin1(MEmulator::kApplicationId);

QString FormOf(std::initializer_list<std::pair<const char*, QString>> fields)
{
    QUrlQuery q;
    for (const auto& [k, v] : fields)
        q.addQueryItem(QString::fromLatin1(k), QString::fromLatin1(QUrl::toPercentEncoding(v)));
    return q.toString(QUrl::FullyEncoded);
}

class IdentityTest : public EmulatorTest
{
protected:
    // The code the emulator put into the redirect address (the client followed it, so it is in the log).
    QString CodeFromLastRedirect()
    {
        const auto log = m_Fixture.Emulator().Requests();
        const QString path = log.back().path;
        EXPECT_TRUE(path.contains(QLatin1String("code="))) << path.toStdString();
        return QUrlQuery(path.section(QLatin1Char('?'), 1)).queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
    }

    QString Authorize(const QString& endpoint, const QString& redirect)
    {
        const MHttpResponse page = Call("GET",
            endpoint + (endpoint.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?'))
                + QStringLiteral("client_id=%1&response_type=code&redirect_uri=%2&scope=Notes.ReadWrite")
                      .arg(kGraphClient, QString::fromLatin1(QUrl::toPercentEncoding(redirect))),
            {}, {}, false);
        return CodeFromLastRedirect();
    }

    MHttpResponse Token(const QString& endpoint, const QString& form)
    {
        return Call("POST", endpoint, form.toUtf8(), "application/x-www-form-urlencoded", false);
    }
};

TEST_F(IdentityTest, SignInPageShowsTheAccountAndItsFormRedirectsWithASingleUseCode)
{
    MEmulator::Options options;
    options.fixture = MServiceFixture::DemoFixture();
    MEmulator manual(options); // without automatic consent: the page is shown
    ASSERT_FALSE(manual.Start().has_value());
    const QString redirect = manual.Origin() + QStringLiteral("/common/oauth2/nativeclient");
    const MHttpResponse page = Call("GET",
        manual.Origin()
            + QStringLiteral("/common/oauth2/v2.0/authorize?client_id=%1&redirect_uri=%2").arg(kGraphClient, redirect),
        {}, {}, false);
    ASSERT_TRUE(page.HasBody());
    EXPECT_TRUE(page.Text().contains(QLatin1String("<span id=\"displayName\">alex.morgan@outlook.example</span>")));

    const MHttpResponse submitted = Call("POST", manual.Origin() + QStringLiteral("/common/oauth2/v2.0/authorize"),
        FormOf({{"client_id", kGraphClient}, {"redirect_uri", redirect}, {"account", QStringLiteral("work")}}).toUtf8(),
        "application/x-www-form-urlencoded", false);
    const auto log = manual.Requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(log[2].path.startsWith(QLatin1String("/common/oauth2/nativeclient?code=")));
    const QString code = QUrlQuery(log[2].path.section(QLatin1Char('?'), 1))
                             .queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);

    const QString form = FormOf({{"grant_type", QStringLiteral("authorization_code")}, {"client_id", kGraphClient},
        {"code", code}, {"redirect_uri", redirect}});
    auto exchange = [&] {
        return Call("POST", manual.Origin() + QStringLiteral("/common/oauth2/v2.0/token"), form.toUtf8(),
            "application/x-www-form-urlencoded", false);
    };
    const MHttpResponse first = exchange();
    EXPECT_TRUE(first.Text().startsWith(QLatin1String("{\"token_type\":\"Bearer\",")));
    EXPECT_TRUE(first.Text().contains(QLatin1String("\"expires_in\":3599,")));
    const QString token = QJsonDocument::fromJson(*first.body).object().value(QLatin1String("access_token")).toString();
    MHttpRequest me {"GET", manual.Origin() + QStringLiteral("/v1.0/me"),
        {{"Authorization", "Bearer " + token.toUtf8()}}, {}, 10, {}};
    EXPECT_TRUE(MHttpClient::ForCurrentThread().Send(me).Text().contains(
        QLatin1String("\"mail\":\"robin.lee@contoso.example\"")));

    const MHttpResponse again = exchange();
    EXPECT_EQ(again.status, 400);
    EXPECT_TRUE(
        again.Text().startsWith(QLatin1String("{\"error\":\"invalid_grant\",\"error_description\":\"AADSTS70008:")));
}

TEST_F(IdentityTest, RefreshTokensRotateAndTheOldOneIsRefused)
{
    const QString redirect = m_Fixture.Origin() + QStringLiteral("/common/oauth2/nativeclient");
    const QString code = Authorize(QStringLiteral("/common/oauth2/v2.0/authorize"), redirect);
    const QJsonObject tokens = Json(Token(QStringLiteral("/common/oauth2/v2.0/token"),
        FormOf({{"grant_type", QStringLiteral("authorization_code")}, {"client_id", kGraphClient}, {"code", code},
            {"redirect_uri", redirect}})));
    const QString refresh = tokens.value(QLatin1String("refresh_token")).toString();
    ASSERT_FALSE(refresh.isEmpty());
    const QString refreshForm = FormOf({{"grant_type", QStringLiteral("refresh_token")}, {"client_id", kGraphClient},
        {"refresh_token", refresh}, {"redirect_uri", redirect}});
    const QJsonObject renewed = Json(Token(QStringLiteral("/common/oauth2/v2.0/token"), refreshForm));
    EXPECT_NE(renewed.value(QLatin1String("refresh_token")).toString(), refresh);
    EXPECT_NE(renewed.value(QLatin1String("access_token")).toString(),
        tokens.value(QLatin1String("access_token")).toString());
    const MHttpResponse reused = Token(QStringLiteral("/common/oauth2/v2.0/token"), refreshForm);
    EXPECT_EQ(reused.status, 400);
    EXPECT_TRUE(reused.Text().contains(QLatin1String("\"error\":\"invalid_grant\"")));
}

TEST_F(IdentityTest, WrongClientIdAndUnknownGrantGetTheDocumentedErrors)
{
    const MHttpResponse wrong = Token(QStringLiteral("/common/oauth2/v2.0/token"),
        FormOf({{"grant_type", QStringLiteral("authorization_code")}, {"client_id", QStringLiteral("nobody")},
            {"code", QStringLiteral("x")}}));
    EXPECT_EQ(wrong.status, 400);
    EXPECT_TRUE(wrong.Text().contains(QLatin1String("\"error\":\"unauthorized_client\"")));
    EXPECT_TRUE(wrong.Text().contains(QLatin1String("\"error_codes\":[700016]")));
    // The sign-in page hands the error to the application's redirect address; without one it shows it.
    Call("GET",
        QStringLiteral("/common/oauth2/v2.0/authorize?client_id=nobody&state=s1&redirect_uri=") + m_Fixture.Origin()
            + QStringLiteral("/common/oauth2/nativeclient"),
        {}, {}, false);
    const QString landed = m_Fixture.Emulator().Requests().back().path;
    EXPECT_TRUE(landed.startsWith(QLatin1String("/common/oauth2/nativeclient?error=unauthorized_client"
                                                "&error_description=AADSTS700016")))
        << landed.toStdString();
    EXPECT_TRUE(landed.endsWith(QLatin1String("&state=s1")));
    const MHttpResponse page
        = Call("GET", QStringLiteral("/common/oauth2/v2.0/authorize?client_id=nobody"), {}, {}, false);
    EXPECT_EQ(page.status, 400);
    EXPECT_TRUE(page.Text().contains(QLatin1String("AADSTS700016")));
}

TEST_F(IdentityTest, AChallengedCodeIsRedeemedOnlyWithItsVerifier)
{
    const QString redirect = m_Fixture.Origin() + QStringLiteral("/common/oauth2/nativeclient");
    const QString verifier = QStringLiteral("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk");
    auto challenged = [&](const char* challenge, const char* method) {
        return Authorize(QStringLiteral("/common/oauth2/v2.0/authorize?code_challenge=%1&code_challenge_method=%2")
                             .arg(QLatin1String(challenge), QLatin1String(method)),
            redirect);
    };
    auto redeem = [&](const QString& code, const QString& with) {
        return Token(QStringLiteral("/common/oauth2/v2.0/token"),
            FormOf({{"grant_type", QStringLiteral("authorization_code")}, {"client_id", kGraphClient}, {"code", code},
                {"redirect_uri", redirect}, {"code_verifier", with}}));
    };
    const char* s256 = "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM";
    for (const QString& wrong : {verifier + QLatin1Char('x'), QString()}) {
        const MHttpResponse refused = redeem(challenged(s256, "S256"), wrong);
        EXPECT_EQ(refused.status, 400);
        EXPECT_EQ(Json(refused).value(QLatin1String("error")).toString(), QStringLiteral("invalid_grant"));
    }
    EXPECT_EQ(redeem(challenged(s256, "S256"), verifier).status, 200);
    EXPECT_EQ(redeem(challenged("plain-verifier-of-forty-three-characters-ok", "plain"),
                  QStringLiteral("plain-verifier-of-forty-three-characters-ok"))
                  .status,
        200);
}

TEST_F(IdentityTest, ConsumerServiceAnswersWithUserIdAndSignsOutToItsDesktopPage)
{
    const QString redirect = m_Fixture.Origin() + QStringLiteral("/oauth20_desktop.srf");
    const QString code = Authorize(QStringLiteral("/oauth20_authorize.srf"), redirect);
    const MHttpResponse answer = Token(QStringLiteral("/oauth20_token.srf"),
        FormOf({{"grant_type", QStringLiteral("authorization_code")}, {"client_id", kGraphClient}, {"code", code},
            {"redirect_uri", redirect}}));
    EXPECT_TRUE(answer.Text().contains(QLatin1String("\"user_id\":\"8f3a2c1d0b9e7f64\"")));

    Call("GET", QStringLiteral("/oauth20_logout.srf?client_id=x&redirect_uri=y"), {}, {}, false);
    const QString landed = m_Fixture.Emulator().Requests().back().path;
    EXPECT_TRUE(landed.startsWith(QLatin1String("/oauth20_desktop.srf?")));
    EXPECT_FALSE(landed.contains(QLatin1String("removed=true")));
}

TEST_F(IdentityTest, MissingUnknownAndExpiredTokensGet401InvalidAuthenticationToken)
{
    auto code = [](const MHttpResponse& r) { return QString::fromUtf8(*r.body).section(QLatin1Char('"'), 5, 5); };
    const MHttpResponse missing = Call("GET", QStringLiteral("/v1.0/me/onenote/notebooks"), {}, {}, false);
    EXPECT_EQ(missing.status, 401);
    EXPECT_EQ(code(missing), QStringLiteral("InvalidAuthenticationToken"));
    EXPECT_TRUE(missing.Text().startsWith(QLatin1String("{\"error\":{\"code\":\"InvalidAuthenticationToken\"")));
    MHttpRequest unknown {"GET", m_Fixture.Origin() + QStringLiteral("/v1.0/me/drive/root/children"),
        {{"Authorization", "Bearer nonsense"}}, {}, 10, {}};
    EXPECT_EQ(MHttpClient::ForCurrentThread().Send(unknown).status, 401);
    EXPECT_EQ(Call("GET", QStringLiteral("/v1.0/me")).status, 200);
    m_Fixture.Emulator().ExpireAccessTokens();
    const MHttpResponse expired = Call("GET", QStringLiteral("/v1.0/me"));
    EXPECT_EQ(expired.status, 401);
    EXPECT_TRUE(expired.Text().contains(QLatin1String("InvalidAuthenticationToken")));
}

} // namespace
