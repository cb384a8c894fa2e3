#include "AnswerJson.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace {

// The service's error objects are a few hundred bytes; a longer answer is the user's data.
constexpr qsizetype kLongestErrorObject = 64 * 1024;

QString TextOf(const QJsonValue& value)
{
    if (value.isString())
        return value.toString();
    // The OneNote interface's codes are numbers written as text; one written as a number is the same code.
    if (value.isDouble())
        return QString::number(value.toInteger());
    return QStringLiteral("");
}

MServiceError ErrorOf(const QJsonValue& error)
{
    if (!error.isObject())
        return {TextOf(error), QStringLiteral("")};
    const QJsonObject object = error.toObject();
    return {TextOf(object.value(QLatin1String("code"))), TextOf(object.value(QLatin1String("message")))};
}

std::optional<MServiceError> FindIn(const QJsonValue& value)
{
    if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            if (std::optional<MServiceError> found = FindIn(item))
                return found;
        return std::nullopt;
    }
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    if (object.contains(QLatin1String("error")))
        return ErrorOf(object.value(QLatin1String("error")));
    for (const QJsonValue& member : object)
        if (std::optional<MServiceError> found = FindIn(member))
            return found;
    return std::nullopt;
}

} // namespace

std::optional<QJsonObject> AnswerObject(const QByteArray& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<MServiceError> ReadServiceError(const QByteArray& body)
{
    if (body.size() > kLongestErrorObject || !body.trimmed().startsWith('{'))
        return std::nullopt;
    const std::optional<QJsonObject> answer = AnswerObject(body);
    if (!answer)
        return std::nullopt;
    const QJsonValue error = answer->value(QLatin1String("error"));
    if (!error.isObject() || !error.toObject().contains(QLatin1String("code")))
        return std::nullopt;
    return ErrorOf(error);
}

std::optional<QJsonArray> ReadList(const QByteArray& body)
{
    const std::optional<QJsonObject> answer = AnswerObject(body);
    const QJsonValue value = answer ? answer->value(QLatin1String("value")) : QJsonValue();
    if (!value.isArray())
        return std::nullopt;
    return value.toArray();
}

QString LinkHref(const QJsonObject& object, QLatin1String kind)
{
    return object.value(QLatin1String("links"))
        .toObject()
        .value(kind)
        .toObject()
        .value(QLatin1String("href"))
        .toString();
}

std::optional<MServiceError> FindErrorMember(const QJsonObject& answer)
{
    return FindIn(answer);
}

QString WithoutStringValues(const QString& json)
{
    QString out;
    out.reserve(json.size());
    for (qsizetype i = 0; i < json.size(); ++i) {
        if (json[i] != QLatin1Char('"')) {
            out += json[i];
            continue;
        }
        qsizetype end = i + 1;
        while (end < json.size() && json[end] != QLatin1Char('"'))
            end += json[end] == QLatin1Char('\\') ? 2 : 1;
        qsizetype next = end + 1;
        while (next < json.size() && json[next].isSpace())
            ++next;
        const bool name = next < json.size() && json[next] == QLatin1Char(':');
        out += name ? json.mid(i, end + 1 - i) : QStringLiteral("\"\"");
        i = end;
    }
    return out;
}
