// The identity platform (Azure AD v2 endpoints, global and China) and the consumer account service,
// plus the maker's web server and the emulator's own inspection addresses.
#include "MEmuInternal.h"
#include "MEmuPageRenderer.h"
#include "MEmuPng.h"

#include <QJsonArray>
#include <QJsonDocument>
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

QString RedirectWithCode(MEmulator::Impl& emu, const MEmuAccount& account, const QString& clientId,
    const QString& redirectUri, const QString& stateValue, bool consumer)
{
    const QString code = emu.state.NewToken(consumer ? "M.C5_" : "0.AX");
    emu.codes[code] = {account.key, clientId, redirectUri};
    QString location = redirectUri + (redirectUri.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?'))
        + QStringLiteral("code=") + UrlEncode(code);
    if (!stateValue.isEmpty())
        location += QStringLiteral("&state=") + UrlEncode(stateValue);
    location += consumer ? QStringLiteral("&lc=1033")
                         : QStringLiteral("&session_state=") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    return location;
}

MEmuResponse SignInPage(MEmulator::Impl& emu, const MEmuRequest& request)
{
    const QString clientId = request.Query(QStringLiteral("client_id"));
    const QString redirectUri = request.Query(QStringLiteral("redirect_uri"));
    if (!emu.clientIds.contains(clientId))
        return HtmlAnswer(400,
            "<!DOCTYPE html><html><head><title>Sign in to your account</title>" + PageStyle()
                + "</head><body><div class=\"card\"><div class=\"brand\">Microsoft</div><h1>Sorry, but we're "
                  "having trouble signing you in.</h1><p>AADSTS700016: Application with identifier '"
                + EscapeXhtmlText(clientId, true) + "' was not found in the directory.</p></div></body></html>");
    if (redirectUri.isEmpty())
        return HtmlAnswer(400,
            "<!DOCTYPE html><html><body><p>AADSTS900144: The request body must contain the "
            "following parameter: 'redirect_uri'.</p></body></html>");
    const bool consumer = IsConsumer(request.path);
    MEmuAccount* account = ChosenAccount(emu.state, request.Query(QStringLiteral("login_hint")));
    if (emu.options.autoConsent)
        return Redirect(
            RedirectWithCode(emu, *account, clientId, redirectUri, request.Query(QStringLiteral("state")), consumer));

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
    MEmuAccount* account = emu.state.Account(FormValue(form, QStringLiteral("account")));
    const QString clientId = FormValue(form, QStringLiteral("client_id"));
    const QString redirectUri = FormValue(form, QStringLiteral("redirect_uri"));
    if (!account || !emu.clientIds.contains(clientId) || redirectUri.isEmpty())
        return HtmlAnswer(
            400, "<!DOCTYPE html><html><body><p>AADSTS90014: The sign-in form is incomplete.</p></body></html>");
    return Redirect(RedirectWithCode(
        emu, *account, clientId, redirectUri, FormValue(form, QStringLiteral("state")), IsConsumer(request.path)));
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

MEmuResponse Token(MEmulator::Impl& emu, const MEmuRequest& request)
{
    const auto form = ParseForm(request.body);
    const QString grant = FormValue(form, QStringLiteral("grant_type"));
    const QString clientId = FormValue(form, QStringLiteral("client_id"));
    const QString scope = FormValue(form, QStringLiteral("scope"));
    const bool consumer = IsConsumer(request.path);
    if (!emu.clientIds.contains(clientId))
        return IdentityError(400, QStringLiteral("unauthorized_client"),
            QStringLiteral("AADSTS700016: Application with identifier '%1' was not found in the directory.")
                .arg(clientId),
            700016);
    if (grant == QLatin1String("authorization_code")) {
        auto it = emu.codes.find(FormValue(form, QStringLiteral("code")));
        if (it == emu.codes.end())
            return IdentityError(400, QStringLiteral("invalid_grant"),
                QStringLiteral("AADSTS70008: The provided authorization code or refresh token has expired due to "
                               "inactivity, or was already redeemed."),
                70008);
        const MEmuCode code = it->second;
        emu.codes.erase(it); // single use
        if (code.clientId != clientId)
            return IdentityError(400, QStringLiteral("invalid_grant"),
                QStringLiteral("AADSTS70000: The provided authorization code was issued to another client."), 70000);
        const QString redirectUri = FormValue(form, QStringLiteral("redirect_uri"));
        if (!redirectUri.isEmpty() && redirectUri != code.redirectUri)
            return IdentityError(400, QStringLiteral("invalid_grant"),
                QStringLiteral("AADSTS50011: The redirect URI does not match the one of the authorization request."),
                50011);
        return TokenAnswer(emu, code.accountKey, scope, consumer);
    }
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
