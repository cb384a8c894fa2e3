// The identity platform (Azure AD v2 endpoints, global and China: authorization with PKCE, tokens,
// device codes) and the consumer account service, plus the maker's web server and the emulator's own
// inspection addresses.
#include "MEmuInternal.h"
#include "MEmuPageRenderer.h"
#include "MEmuPng.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUuid>

namespace {

bool IsConsumer(const QString& path)
{
    return path.startsWith(QLatin1String("/oauth20_"));
}

QByteArray PageStyle()
{
    return "<style>body{margin:0;font-family:'Segoe UI',system-ui,sans-serif;background:#f2f2f2;color:#1b1b1b}"
           ".card{max-width:440px;margin:64px auto;background:#fff;padding:44px;box-shadow:0 2px 6px rgba(0,0,0,.2)}"
           ".brand{font-weight:600;color:#737373;letter-spacing:.02em}h1{font-size:24px;font-weight:600;margin:16px 0}"
           "#displayName{display:block;font-size:15px;margin-bottom:16px}"
           "input[type=password]{width:100%;box-sizing:border-box;font-size:15px;padding:6px 0;border:0;"
           "border-bottom:1px solid #666;margin-bottom:24px}"
           "button{background:#0067b8;color:#fff;border:0;padding:8px 32px;font-size:15px;float:right;cursor:pointer}"
           ".others{clear:both;padding-top:32px;font-size:13px}.others a{color:#0067b8;display:block;margin:4px 0}"
           "</style>";
}

QString QueryWithout(const MEmuRequest& request, const QString& skip)
{
    QStringList pairs;
    for (const auto& [key, value] : request.query)
        if (key != skip)
            pairs << UrlEncode(key) + QLatin1Char('=') + UrlEncode(value);
    return pairs.join(QLatin1Char('&'));
}

MEmuAccount* ChosenAccount(MEmuState& state, const QString& hint)
{
    if (!hint.isEmpty())
        if (MEmuAccount* account = state.AccountByMail(hint))
            return account;
    return state.Account(state.AccountOrder().front());
}

constexpr qint64 kDeviceCodeLifetime = 900; // seconds, as the platform documents

// Applies `fn` to the pending device codes with this user code (every pending one for ""); the
// count of codes it was applied to.
template<class Fn> int ForPendingDeviceCodes(MEmulator::Impl& emu, const QString& userCode, Fn fn)
{
    int count = 0;
    for (auto& [deviceCode, code] : emu.deviceCodes)
        if (code.state == MEmuDeviceCode::Pending && (userCode.isEmpty() || code.userCode == userCode)) {
            fn(code);
            ++count;
        }
    return count;
}

// The user's answer on the verification page; an unknown account approves as the fixture's first.
int DecideDeviceCodes(
    MEmulator::Impl& emu, const QString& userCode, MEmuDeviceCode::State decision, const QString& accountKey)
{
    const QString account = emu.state.Account(accountKey) ? accountKey : emu.state.AccountOrder().front();
    return ForPendingDeviceCodes(emu, userCode, [&](MEmuDeviceCode& code) {
        code.state = decision;
        code.accountKey = account;
    });
}

// What an authorization request carries, from the page's query or from its sign-in form.
struct MAuthorizeRequest
{
    QString clientId;
    QString redirectUri;
    QString state;
    QString codeChallenge;
    QString codeChallengeMethod;

    template<class Get> static MAuthorizeRequest From(Get value)
    {
        return {value(QStringLiteral("client_id")), value(QStringLiteral("redirect_uri")),
            value(QStringLiteral("state")), value(QStringLiteral("code_challenge")),
            value(QStringLiteral("code_challenge_method"))};
    }
};

QString WithQuery(const QString& address, const QString& query)
{
    return address + (address.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) + query;
}

// The platform hands an error back to the application's redirect address, as it does a code.
MEmuResponse RedirectWithError(const MAuthorizeRequest& a, const QString& error, const QString& description)
{
    QString query = QStringLiteral("error=%1&error_description=%2").arg(UrlEncode(error), UrlEncode(description));
    if (!a.state.isEmpty())
        query += QStringLiteral("&state=") + UrlEncode(a.state);
    return Redirect(WithQuery(a.redirectUri, query));
}

QString UnknownApplication(const QString& clientId)
{
    return QStringLiteral("AADSTS700016: Application with identifier '%1' was not found in the directory "
                          "'Microsoft Accounts'. This can happen if the application has not been installed by the "
                          "administrator of the tenant or consented to by any user in the tenant.")
        .arg(clientId);
}

MEmuResponse RedirectWithCode(
    MEmulator::Impl& emu, const MEmuAccount& account, const MAuthorizeRequest& a, bool consumer)
{
    const QString code = emu.state.NewToken(consumer ? "M.C5_" : "0.AX");
    // RFC 7636: a challenge without a method is a plain one.
    const QString method = a.codeChallenge.isEmpty() ? QString()
        : a.codeChallengeMethod.isEmpty()            ? QStringLiteral("plain")
                                                     : a.codeChallengeMethod;
    emu.codes[code] = {account.key, a.clientId, a.redirectUri, a.codeChallenge, method};
    QString location = WithQuery(a.redirectUri, QStringLiteral("code=") + UrlEncode(code));
    if (!a.state.isEmpty())
        location += QStringLiteral("&state=") + UrlEncode(a.state);
    location += consumer ? QStringLiteral("&lc=1033")
                         : QStringLiteral("&session_state=") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    return Redirect(location);
}

// Errors every authorization request gets before any page is shown; absent when it may go on.
std::optional<MEmuResponse> RefuseAuthorization(MEmulator::Impl& emu, const MAuthorizeRequest& a)
{
    if (a.redirectUri.isEmpty()) {
        if (!emu.clientIds.contains(a.clientId))
            return HtmlAnswer(400,
                "<!DOCTYPE html><html><head><title>Sign in to your account</title>" + PageStyle()
                    + "</head><body><div class=\"card\"><div class=\"brand\">Microsoft</div><h1>Sorry, but we're "
                      "having trouble signing you in.</h1><p>"
                    + EscapeXhtmlText(UnknownApplication(a.clientId), false) + "</p></div></body></html>");
        return HtmlAnswer(400,
            "<!DOCTYPE html><html><body><p>AADSTS900144: The request body must contain the "
            "following parameter: 'redirect_uri'.</p></body></html>");
    }
    if (!emu.clientIds.contains(a.clientId))
        return RedirectWithError(a, QStringLiteral("unauthorized_client"), UnknownApplication(a.clientId));
    const QString method = a.codeChallengeMethod;
    if (!a.codeChallenge.isEmpty() && !method.isEmpty() && method != QLatin1String("S256")
        && method != QLatin1String("plain"))
        return RedirectWithError(a, QStringLiteral("invalid_request"),
            QStringLiteral("AADSTS501491: Invalid size of Code_Challenge parameter or unsupported "
                           "code_challenge_method '%1'.")
                .arg(method));
    return std::nullopt;
}

MEmuResponse SignInPage(MEmulator::Impl& emu, const MEmuRequest& request)
{
    const auto a = MAuthorizeRequest::From([&](const QString& name) { return request.Query(name); });
    if (std::optional<MEmuResponse> refused = RefuseAuthorization(emu, a))
        return *refused;
    const bool consumer = IsConsumer(request.path);
    MEmuAccount* account = ChosenAccount(emu.state, request.Query(QStringLiteral("login_hint")));
    if (emu.options.autoConsent)
        return RedirectWithCode(emu, *account, a, consumer);

    QByteArray html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Sign in to your account</title>"
        + PageStyle() + "</head><body><div class=\"card\"><div class=\"brand\">Microsoft</div><h1>Enter password</h1>"
        + "<span id=\"displayName\">" + EscapeXhtmlText(account->mail, false) + "</span>"
        + "<form method=\"post\" action=\"" + EscapeXhtmlText(request.path, true) + "\">";
    for (const auto& [key, value] : request.query)
        if (key != QLatin1String("login_hint"))
            html += "<input type=\"hidden\" name=\"" + EscapeXhtmlText(key, true) + "\" value=\""
                + EscapeXhtmlText(value, true) + "\">";
    html += "<input type=\"hidden\" name=\"account\" value=\"" + EscapeXhtmlText(account->key, true) + "\">"
        + "<input type=\"password\" name=\"passwd\" placeholder=\"Password\" autofocus>"
        + "<button type=\"submit\" id=\"idSIButton9\">Sign in</button></form><div class=\"others\">";
    for (const QString& key : emu.state.AccountOrder()) {
        const MEmuAccount* other = emu.state.Account(key);
        if (other->key == account->key)
            continue;
        html += "<a href=\""
            + EscapeXhtmlText(request.path + QLatin1Char('?') + QueryWithout(request, QStringLiteral("login_hint"))
                    + QStringLiteral("&login_hint=") + UrlEncode(other->mail),
                true)
            + "\">Sign in as " + EscapeXhtmlText(other->mail, false) + "</a>";
    }
    html += "</div></div></body></html>";
    return HtmlAnswer(200, html);
}

MEmuResponse Consent(MEmulator::Impl& emu, const MEmuRequest& request)
{
    const auto form = ParseForm(request.body);
    const auto a = MAuthorizeRequest::From([&](const QString& name) { return FormValue(form, name); });
    MEmuAccount* account = emu.state.Account(FormValue(form, QStringLiteral("account")));
    if (!account || a.redirectUri.isEmpty())
        return HtmlAnswer(
            400, "<!DOCTYPE html><html><body><p>AADSTS90014: The sign-in form is incomplete.</p></body></html>");
    if (std::optional<MEmuResponse> refused = RefuseAuthorization(emu, a))
        return *refused;
    return RedirectWithCode(emu, *account, a, IsConsumer(request.path));
}

MEmuResponse TokenAnswer(MEmulator::Impl& emu, const QString& accountKey, const QString& scope, bool consumer)
{
    const MEmulator::Tokens tokens = emu.IssueLocked(accountKey);
    MJsonWriter w;
    w.BeginObject()
        .Field("token_type", QStringLiteral("Bearer"))
        .Field("scope", scope)
        .Field("expires_in", emu.state.tokenLifetime)
        .Field("ext_expires_in", emu.state.tokenLifetime)
        .Field("access_token", tokens.accessToken)
        .Field("refresh_token", tokens.refreshToken);
    if (consumer)
        w.Field("user_id", emu.state.Account(accountKey)->cid.toLower());
    else
        w.Field("id_token",
            QStringLiteral("eyJ0eXAiOiJKV1QifQ.") + QString::fromLatin1(accountKey.toUtf8().toBase64())
                + QStringLiteral(".sig"));
    w.EndObject();
    MEmuResponse r = JsonAnswer(200, w.Text());
    r.headers.emplace_back("Cache-Control", "no-store, no-cache");
    return r;
}

// RFC 7636: S256 compares BASE64URL(SHA256(verifier)) without padding, plain the verifier itself.
bool VerifierMatches(const MEmuCode& code, const QString& verifier)
{
    if (code.codeChallengeMethod == QLatin1String("S256"))
        return QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256)
                   .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)
            == code.codeChallenge.toLatin1();
    return verifier == code.codeChallenge;
}

MEmuResponse RedeemCode(MEmulator::Impl& emu, const std::vector<std::pair<QString, QString>>& form,
    const QString& clientId, const QString& scope, bool consumer)
{
    auto it = emu.codes.find(FormValue(form, QStringLiteral("code")));
    if (it == emu.codes.end())
        return IdentityError(400, QStringLiteral("invalid_grant"),
            QStringLiteral("AADSTS70008: The provided authorization code or refresh token has expired due to "
                           "inactivity, or was already redeemed."),
            70008);
    const MEmuCode code = it->second;
    emu.codes.erase(it); // single use, whatever the outcome
    if (code.clientId != clientId)
        return IdentityError(400, QStringLiteral("invalid_grant"),
            QStringLiteral("AADSTS70000: The provided authorization code was issued to another client."), 70000);
    const QString redirectUri = FormValue(form, QStringLiteral("redirect_uri"));
    if (!redirectUri.isEmpty() && redirectUri != code.redirectUri)
        return IdentityError(400, QStringLiteral("invalid_grant"),
            QStringLiteral("AADSTS50011: The redirect URI does not match the one of the authorization request."),
            50011);
    if (!code.codeChallenge.isEmpty()) {
        const QString verifier = FormValue(form, QStringLiteral("code_verifier"));
        if (verifier.isEmpty())
            return IdentityError(400, QStringLiteral("invalid_grant"),
                QStringLiteral("AADSTS50148: The code_verifier is missing, but the authorization request carried a "
                               "code_challenge."),
                50148);
        if (!VerifierMatches(code, verifier))
            return IdentityError(400, QStringLiteral("invalid_grant"),
                QStringLiteral("AADSTS50148: The code_verifier does not match the code_challenge supplied in the "
                               "authorization request for PKCE."),
                50148);
    }
    return TokenAnswer(emu, code.accountKey, scope, consumer);
}

// A device-code poll (RFC 8628 section 3.5). The error codes of the answers the platform does not
// document (declined, slow_down) are the emulator's choice.
MEmuResponse PollDeviceCode(MEmulator::Impl& emu, const QString& deviceCode, const QString& clientId)
{
    auto it = emu.deviceCodes.find(deviceCode);
    if (it == emu.deviceCodes.end() || it->second.clientId != clientId)
        return IdentityError(400, QStringLiteral("bad_verification_code"),
            QStringLiteral("AADSTS70000: The provided value for the input parameter 'device_code' is not valid."),
            70000);
    MEmuDeviceCode& code = it->second;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (now >= code.expires) {
        emu.deviceCodes.erase(it);
        return IdentityError(
            400, QStringLiteral("expired_token"), QStringLiteral("AADSTS70019: Verification code expired."), 70019);
    }
    if (code.state == MEmuDeviceCode::Declined) {
        emu.deviceCodes.erase(it);
        return IdentityError(400, QStringLiteral("authorization_declined"),
            QStringLiteral("AADSTS65004: User declined to consent to access the app."), 65004);
    }
    const bool tooSoon
        = code.interval > 0 && code.lastPoll.isValid() && code.lastPoll.msecsTo(now) < code.interval * 1000;
    code.lastPoll = now;
    // The client is to add 5 seconds to its interval (RFC 8628); what is too soon stays measured by
    // the interval the code was given, so that a client that obeys is not told again.
    if (tooSoon || code.slowDownNext) {
        code.slowDownNext = false;
        return IdentityError(400, QStringLiteral("slow_down"),
            QStringLiteral("AADSTS70016: The client polls faster than the interval allows; wait 5 seconds more "
                           "between polls."),
            70016);
    }
    if (code.state == MEmuDeviceCode::Pending)
        return IdentityError(400, QStringLiteral("authorization_pending"),
            QStringLiteral("AADSTS70016: OAuth 2.0 device flow error. Authorization is pending. Continue polling."),
            70016);
    const QString accountKey = code.accountKey;
    const QString scope = code.scope;
    emu.deviceCodes.erase(it); // redeemed once
    return TokenAnswer(emu, accountKey, scope, false);
}

MEmuResponse Token(MEmulator::Impl& emu, const MEmuRequest& request)
{
    const auto form = ParseForm(request.body);
    const QString grant = FormValue(form, QStringLiteral("grant_type"));
    const QString clientId = FormValue(form, QStringLiteral("client_id"));
    const QString scope = FormValue(form, QStringLiteral("scope"));
    const bool consumer = IsConsumer(request.path);
    if (!emu.clientIds.contains(clientId))
        return IdentityError(400, QStringLiteral("unauthorized_client"), UnknownApplication(clientId), 700016);
    if (grant == QLatin1String("authorization_code"))
        return RedeemCode(emu, form, clientId, scope, consumer);
    if (grant == QLatin1String("urn:ietf:params:oauth:grant-type:device_code") && !consumer)
        return PollDeviceCode(emu, FormValue(form, QStringLiteral("device_code")), clientId);
    if (grant == QLatin1String("refresh_token")) {
        auto it = emu.refreshTokens.find(FormValue(form, QStringLiteral("refresh_token")));
        if (it == emu.refreshTokens.end())
            return IdentityError(400, QStringLiteral("invalid_grant"),
                QStringLiteral("AADSTS70000: The provided refresh token is malformed or not valid."), 70000);
        const QString accountKey = it->second;
        emu.refreshTokens.erase(it); // refresh tokens rotate
        return TokenAnswer(emu, accountKey, scope, consumer);
    }
    return IdentityError(400, QStringLiteral("unsupported_grant_type"),
        QStringLiteral("AADSTS70003: The app requested an unsupported grant type '%1'.").arg(grant), 70003);
}

// POST /{tenant}/oauth2/v2.0/devicecode (RFC 8628 section 3.1).
MEmuResponse StartDeviceCode(MEmulator::Impl& emu, const MEmuRequest& request)
{
    const auto form = ParseForm(request.body);
    const QString clientId = FormValue(form, QStringLiteral("client_id"));
    const QString scope = FormValue(form, QStringLiteral("scope"));
    if (!emu.clientIds.contains(clientId))
        return IdentityError(400, QStringLiteral("unauthorized_client"), UnknownApplication(clientId), 700016);
    if (scope.isEmpty())
        return IdentityError(400, QStringLiteral("invalid_request"),
            QStringLiteral("AADSTS900144: The request body must contain the following parameter: 'scope'."), 900144);
    MEmuDeviceCode code;
    code.userCode = MEmuState::NewHex(9);
    code.clientId = clientId;
    code.scope = scope;
    code.interval = emu.state.deviceInterval;
    code.expires = QDateTime::currentDateTimeUtc().addSecs(kDeviceCodeLifetime);
    if (emu.options.autoConsent) {
        code.state = MEmuDeviceCode::Approved;
        code.accountKey = emu.state.AccountOrder().front();
    }
    const QString deviceCode = emu.state.NewToken("DAQABAAEAAAD");
    emu.deviceCodes[deviceCode] = code;
    const QString page = request.origin + QStringLiteral("/devicelogin");
    MJsonWriter w;
    w.BeginObject()
        .Field("user_code", code.userCode)
        .Field("device_code", deviceCode)
        .Field("verification_uri", page)
        .Field("expires_in", kDeviceCodeLifetime)
        .Field("interval", code.interval)
        .Field("message",
            QStringLiteral("To sign in, use a web browser to open the page %1 and enter the code %2 to authenticate.")
                .arg(page, code.userCode))
        .EndObject();
    return JsonAnswer(200, w.Text());
}

// The verification page: the user enters the code shown on the device and approves or declines.
MEmuResponse DeviceLoginPage(MEmulator::Impl& emu, const MEmuRequest& request)
{
    QByteArray text;
    if (request.method == QLatin1String("POST")) {
        const auto form = ParseForm(request.body);
        const bool approve = FormValue(form, QStringLiteral("action")) != QLatin1String("decline");
        const int changed = DecideDeviceCodes(emu, FormValue(form, QStringLiteral("user_code")).trimmed().toUpper(),
            approve ? MEmuDeviceCode::Approved : MEmuDeviceCode::Declined, FormValue(form, QStringLiteral("account")));
        text = changed == 0 ? "<h1>That code was not recognised</h1><p>Check the code and try again.</p>"
            : approve ? "<h1>You have signed in</h1><p>You may now close this window and return to the device.</p>"
                      : "<h1>You declined</h1><p>The device was not signed in.</p>";
    } else {
        text = "<h1>Enter code</h1><form method=\"post\"><p>Enter the code displayed on your device.</p>"
               "<input name=\"user_code\" autofocus style=\"font-size:18px;width:100%;margin-bottom:16px\"><p><select "
               "name=\"account\">";
        for (const QString& key : emu.state.AccountOrder())
            text += "<option value=\"" + EscapeXhtmlText(key, true) + "\">"
                + EscapeXhtmlText(emu.state.Account(key)->mail, false) + "</option>";
        text += "</select></p><button type=\"submit\" name=\"action\" value=\"approve\">Sign in</button> "
                "<button type=\"submit\" name=\"action\" value=\"decline\" style=\"background:#666\">Decline</button>"
                "</form>";
    }
    return HtmlAnswer(200,
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Enter code</title>" + PageStyle()
            + "</head><body><div class=\"card\"><div class=\"brand\">Microsoft</div>" + text + "</div></body></html>");
}

MEmuResponse BlankPage(const char* title)
{
    return HtmlAnswer(
        200, QByteArray("<!DOCTYPE html><html><head><title>") + title + "</title></head><body></body></html>");
}

// The application writes the sign-out return address in double quotes.
QString Unquoted(QString text)
{
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

// /_emulator/device/approve|decline|expire|slow-down, form "user_code=...&account=..." (both optional:
// no user code means every pending code; approval is by the fixture's first account unless named).
MEmuResponse DecideDevice(
    MEmulator::Impl& emu, const QString& what, const std::vector<std::pair<QString, QString>>& form)
{
    const QString userCode = FormValue(form, QStringLiteral("user_code")).trimmed().toUpper();
    const std::lock_guard lock(emu.stateMutex);
    int count = 0;
    if (what == QLatin1String("approve") || what == QLatin1String("decline"))
        count = DecideDeviceCodes(emu, userCode,
            what == QLatin1String("approve") ? MEmuDeviceCode::Approved : MEmuDeviceCode::Declined,
            FormValue(form, QStringLiteral("account")));
    else if (what == QLatin1String("expire"))
        count = ForPendingDeviceCodes(
            emu, userCode, [](MEmuDeviceCode& code) { code.expires = QDateTime::currentDateTimeUtc().addSecs(-1); });
    else if (what == QLatin1String("slow-down"))
        count = ForPendingDeviceCodes(emu, userCode, [](MEmuDeviceCode& code) { code.slowDownNext = true; });
    else
        return GraphError(404, QStringLiteral("itemNotFound"), QStringLiteral("No such inspection address."));
    return count > 0
        ? JsonAnswer(204, {})
        : GraphError(404, QStringLiteral("itemNotFound"), QStringLiteral("No pending device code matches."));
}

} // namespace

bool HandleIdentity(MEmulator::Impl& emu, const MEmuRequest& request, MEmuResponse& response)
{
    const QString& path = request.path;
    const bool get = request.method == QLatin1String("GET");
    const bool post = request.method == QLatin1String("POST");
    if (path == QLatin1String("/common/oauth2/v2.0/authorize") || path == QLatin1String("/oauth20_authorize.srf")) {
        response = get ? SignInPage(emu, request) : post ? Consent(emu, request) : HtmlAnswer(405, {});
        return true;
    }
    if (path == QLatin1String("/common/oauth2/v2.0/token") || path == QLatin1String("/oauth20_token.srf")) {
        response = post ? Token(emu, request)
                        : IdentityError(405, QStringLiteral("invalid_request"),
                            QStringLiteral("AADSTS900561: The endpoint only accepts POST requests."), 900561);
        return true;
    }
    static const QRegularExpression kDeviceCodePath(QStringLiteral("^/[^/]+/oauth2/v2\\.0/devicecode$"));
    if (kDeviceCodePath.match(path).hasMatch()) {
        response = post ? StartDeviceCode(emu, request)
                        : IdentityError(405, QStringLiteral("invalid_request"),
                            QStringLiteral("AADSTS900561: The endpoint only accepts POST requests."), 900561);
        return true;
    }
    if (path == QLatin1String("/devicelogin")) {
        response = DeviceLoginPage(emu, request);
        return true;
    }
    if (path == QLatin1String("/common/oauth2/nativeclient")) {
        response = BlankPage("Native client");
        return true;
    }
    if (path == QLatin1String("/oauth20_desktop.srf")) {
        response = BlankPage("Microsoft account");
        return true;
    }
    if (path == QLatin1String("/logout.srf") || path == QLatin1String("/common/oauth2/v2.0/logout")) {
        const QString back = Unquoted(request.Query(QStringLiteral("post_logout_redirect_uri")));
        response = back.isEmpty() ? BlankPage("You signed out of your account") : Redirect(back);
        return true;
    }
    if (path == QLatin1String("/oauth20_logout.srf")) {
        // The consumer service lands on its desktop page after signing out, without "removed=true".
        response = Redirect(request.origin + QStringLiteral("/oauth20_desktop.srf?lc=1033"));
        return true;
    }
    return false;
}

bool HandleMakerWeb(MEmulator::Impl& emu, const MEmuRequest& request, MEmuResponse& response)
{
    const QString& path = request.path;
    if (path == QLatin1String("/uploads/soft/pagewright/pagewrightinfo.txt")) {
        response = HtmlAnswer(200, emu.state.makerVersion.toUtf8() + "\n");
        response.contentType = "text/plain; charset=utf-8";
        return true;
    }
    if (path == QLatin1String("/a/addins/pagewright.html")) {
        response = HtmlAnswer(200,
            "<!DOCTYPE html><html><head><title>Pagewright</title></head><body><h1>Pagewright "
                + emu.state.makerVersion.toUtf8() + "</h1><p>Batch work on OneNote notebooks.</p></body></html>");
        return true;
    }
    const QString tags = QStringLiteral("/uploads/soft/quillview/apptags/");
    if (path.startsWith(tags) && path.endsWith(QLatin1String(".png"))) {
        // A colour of its own per tag name, so that exported pages show which icon they refer to.
        const quint32 rgb = qHash(path.mid(tags.size())) & 0xFFFFFF;
        response = HtmlAnswer(200, MakeSolidPng(16, 16, rgb | 0x404040));
        response.contentType = "image/png";
        return true;
    }
    return false;
}

bool HandleInspection(MEmulator::Impl& emu, const MEmuRequest& request, MEmuResponse& response)
{
    const QString& path = request.path;
    if (!path.startsWith(QLatin1String("/_emulator/")))
        return false;
    const QString what = path.mid(11);
    const bool get = request.method == QLatin1String("GET");
    if (what == QLatin1String("requests") && get) {
        MJsonWriter w;
        w.BeginArray();
        const std::lock_guard lock(emu.logMutex);
        for (const MEmuLoggedRequest& r : emu.log) {
            w.BeginObject().Field("method", r.method).Field("path", r.path).Key("headers").BeginObject();
            for (const auto& [name, value] : r.headers)
                w.Field(name.toUtf8().constData(), value);
            w.EndObject().Field("bodySize", r.bodySize).Field("body", QString::fromUtf8(r.body)).EndObject();
        }
        w.EndArray();
        response = JsonAnswer(200, w.Text());
    } else if (what == QLatin1String("requests") && request.method == QLatin1String("DELETE")) {
        const std::lock_guard lock(emu.logMutex);
        emu.log.clear();
        emu.loggedBodyBytes = 0;
        response = JsonAnswer(204, {});
    } else if (what == QLatin1String("state") && get) {
        const std::lock_guard lock(emu.stateMutex);
        response = JsonAnswer(200, emu.state.ToJson());
    } else if (what == QLatin1String("reset") && request.method == QLatin1String("POST")) {
        emu.ResetAll();
        response = JsonAnswer(204, {});
    } else if (what == QLatin1String("faults") && request.method == QLatin1String("POST")) {
        QString error;
        std::optional<MEmuFault> fault = ParseFault(QString::fromUtf8(request.body).trimmed(), &error);
        if (fault) {
            emu.faults.Add(*fault);
            response = JsonAnswer(204, {});
        } else {
            response = GraphError(400, QStringLiteral("BadRequest"), error);
        }
    } else if (what == QLatin1String("throttle") && request.method == QLatin1String("POST")) {
        const std::lock_guard lock(emu.stateMutex);
        if (auto error = emu.state.throttle.Configure(QString::fromUtf8(request.body)))
            response = GraphError(400, QStringLiteral("BadRequest"), *error);
        else
            response = JsonAnswer(204, {});
    } else if (what == QLatin1String("item-limit") && request.method == QLatin1String("POST")) {
        bool ok = false;
        const qint64 items = QString::fromUtf8(request.body).trimmed().toLongLong(&ok);
        if (!ok || items < 0) {
            response = GraphError(400, QStringLiteral("BadRequest"),
                QStringLiteral("The item limit is a count of OneNote items, 0 for none."));
        } else {
            const std::lock_guard lock(emu.stateMutex);
            emu.state.limits.oneNoteItems = items;
            response = JsonAnswer(204, {});
        }
    } else if (what == QLatin1String("faults") && request.method == QLatin1String("DELETE")) {
        emu.faults.Clear();
        response = JsonAnswer(204, {});
    } else if (what.startsWith(QLatin1String("device/")) && request.method == QLatin1String("POST")) {
        response = DecideDevice(emu, what.mid(7), ParseForm(request.body));
    } else if (what == QLatin1String("change-after-read") && request.method == QLatin1String("POST")) {
        response = ChangeAfterRead(emu, request.body);
    } else if (what == QLatin1String("expire-tokens") && request.method == QLatin1String("POST")) {
        const std::lock_guard lock(emu.stateMutex);
        for (auto& [token, access] : emu.accessTokens)
            access.expires = QDateTime::currentDateTimeUtc().addSecs(-1);
        response = JsonAnswer(204, {});
    } else {
        response = GraphError(404, QStringLiteral("itemNotFound"), QStringLiteral("No such inspection address."));
    }
    return true;
}
