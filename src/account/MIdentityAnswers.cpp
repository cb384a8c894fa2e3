#include "MIdentityAnswers.h"

#include "app/MStrings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUrlQuery>

namespace {

constexpr qint64 kUnknownApplication = 700016;

QJsonObject ObjectOf(const QString& json)
{
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

} // namespace

bool MIdentityError::IsUnknownApplication() const
{
    return codes.contains(kUnknownApplication) || description.startsWith(QLatin1String("AADSTS700016"));
}

std::optional<MIdentityError> ParseIdentityError(const QString& json)
{
    const QJsonObject object = ObjectOf(json);
    const QJsonValue error = object.value(QLatin1String("error"));
    if (!error.isString())
        return std::nullopt; // Graph's errors are objects; they are not the identity platform's
    MIdentityError result;
    result.error = error.toString();
    result.description = object.value(QLatin1String("error_description")).toString();
    for (const QJsonValue& code : object.value(QLatin1String("error_codes")).toArray())
        result.codes.append(code.toInteger());
    return result;
}

std::optional<MIdentityError> IdentityErrorFromRedirect(const QString& url)
{
    const qsizetype query = url.indexOf(QLatin1Char('?'));
    if (query < 0)
        return std::nullopt;
    // A "+" in a query is a blank; a real plus comes as "%2B".
    const QUrlQuery fields(url.mid(query + 1).replace(QLatin1Char('+'), QLatin1Char(' ')));
    if (!fields.hasQueryItem(QStringLiteral("error")))
        return std::nullopt;
    MIdentityError result;
    result.error = fields.queryItemValue(QStringLiteral("error"), QUrl::FullyDecoded);
    result.description = fields.queryItemValue(QStringLiteral("error_description"), QUrl::FullyDecoded);
    return result;
}

std::optional<MDeviceCode> ParseDeviceCodeAnswer(const QString& json)
{
    const QJsonObject object = ObjectOf(json);
    MDeviceCode code;
    code.deviceCode = object.value(QLatin1String("device_code")).toString();
    code.userCode = object.value(QLatin1String("user_code")).toString();
    // The platform's v1 endpoints wrote "verification_url"; RFC 8628 and v2 write "verification_uri".
    code.verificationUri = object.value(QLatin1String("verification_uri"))
                               .toString(object.value(QLatin1String("verification_url")).toString());
    code.message = object.value(QLatin1String("message")).toString();
    code.expiresIn = object.value(QLatin1String("expires_in")).toInteger(900);
    code.interval = object.value(QLatin1String("interval")).toInteger(5);
    if (code.deviceCode.isEmpty() || code.userCode.isEmpty() || code.verificationUri.isEmpty())
        return std::nullopt;
    return code;
}

QString UnknownApplicationMessage(const QString& clientId)
{
    return Localized("msgUnknownApplicationId").arg(clientId);
}
