#include "MServiceAnswer.h"

#include "app/MStrings.h"
#include "net/AnswerJson.h"
#include "util/HtmlText.h"
#include "util/TextUtils.h"

#include <QDateTime>
#include <QLocale>

namespace {

constexpr int kShownBodyCharacters = 160;

QString StatusWords(const MHttpResponse& response)
{
    QString words = QStringLiteral("HTTP %1").arg(response.status);
    // "Not Found" says something beside the number; "OK" beside a success that is not one only confuses.
    if (!response.statusText.isEmpty() && response.status >= 400)
        words += QLatin1Char(' ') + QString::fromUtf8(response.statusText);
    return words;
}

// What an error answer without the service's error object says: an HTML page's title, or the start
// of its text.
QString BodyGist(const QString& text)
{
    QString gist = GetStringBetween(text, QStringLiteral("<title>"), QStringLiteral("</title>"));
    if (gist.isEmpty())
        gist = text;
    gist = StripHtmlToText(gist).simplified();
    if (gist.size() > kShownBodyCharacters)
        gist = gist.left(kShownBodyCharacters) + QStringLiteral("...");
    return gist;
}

MServiceAnswer Failed(MServiceAnswer answer, MAnswerFailure failure, const QString& reason)
{
    answer.failure = failure;
    answer.reason = reason;
    return answer;
}

bool CarriesExpected(const MServiceAnswer& answer, MExpect expect, QString* missing)
{
    const QByteArray& body = *answer.response.body;
    switch (expect) {
    case MExpect::Success:
        return true;
    case MExpect::Text:
    case MExpect::Bytes:
        return true; // emptiness is judged before
    case MExpect::Json:
    case MExpect::List:
    case MExpect::Created:
        break;
    }
    const std::optional<QJsonObject> object = AnswerObject(body);
    if (!object) {
        *missing = Localized("reasonNotJson");
        return false;
    }
    if (expect == MExpect::List && !object->value(QLatin1String("value")).isArray()) {
        *missing = Localized("reasonNotList");
        return false;
    }
    if (expect == MExpect::Created && object->value(QLatin1String("id")).toString().isEmpty()) {
        *missing = Localized("reasonNoId");
        return false;
    }
    return true;
}

} // namespace

QJsonObject MServiceAnswer::Object() const
{
    return response.body ? AnswerObject(*response.body).value_or(QJsonObject()) : QJsonObject();
}

QJsonArray MServiceAnswer::List() const
{
    return response.body ? ReadList(*response.body).value_or(QJsonArray()) : QJsonArray();
}

MServiceAnswer JudgeAnswer(MHttpResponse response, MExpect expect)
{
    MServiceAnswer answer;
    answer.response = std::move(response);
    const MHttpResponse& r = answer.response;
    if (!r.sent)
        return Failed(std::move(answer), MAnswerFailure::NotSent, Localized("reasonNotSignedIn"));
    if (!r.HasBody()) {
        const QString detail = r.transportError.isEmpty() ? Localized("reasonNoDetail") : r.transportError;
        return Failed(std::move(answer), MAnswerFailure::Transport, Localized("reasonNoAnswer").arg(detail));
    }

    if (const std::optional<MServiceError> error = ReadServiceError(*r.body)) {
        answer.errorCode = error->code;
        answer.errorMessage = StripHtmlToText(error->message);
        QString reason = StatusWords(r);
        if (!answer.errorCode.isEmpty())
            reason += QStringLiteral(", ") + answer.errorCode;
        if (!answer.errorMessage.isEmpty())
            reason += QStringLiteral(": ") + answer.errorMessage;
        return Failed(std::move(answer), MAnswerFailure::Service, reason);
    }
    if (r.status < 200 || r.status >= 300) {
        const QString gist = BodyGist(r.Text());
        const QString reason = gist.isEmpty() ? StatusWords(r) : StatusWords(r) + QStringLiteral(": ") + gist;
        return Failed(std::move(answer), MAnswerFailure::Service, reason);
    }
    if (r.body->isEmpty() && expect != MExpect::Success)
        return Failed(std::move(answer), MAnswerFailure::Empty,
            StatusWords(r) + QStringLiteral(": ") + Localized("reasonEmptyAnswer"));
    QString missing;
    if (!CarriesExpected(answer, expect, &missing))
        return Failed(std::move(answer), MAnswerFailure::Unexpected, StatusWords(r) + QStringLiteral(": ") + missing);
    return answer;
}

bool IsThrottled(const MServiceAnswer& answer)
{
    if (answer.failure != MAnswerFailure::Service)
        return false;
    const long status = answer.Status();
    if (status == 429 || status == 503 || status == 504)
        return true;
    // The OneNote interface's "too many requests", "too many active requests" and "server busy",
    // and Graph's throttling codes; they may come with another status.
    static const QStringList kCodes {QStringLiteral("20166"), QStringLiteral("10003"), QStringLiteral("10007"),
        QStringLiteral("activityLimitReached"), QStringLiteral("TooManyRequests"),
        QStringLiteral("serviceNotAvailable")};
    for (const QString& code : kCodes)
        if (StringEqualsIgnoreCase(answer.errorCode, code))
            return true;
    return false;
}

bool IsInvalidToken(const MServiceAnswer& answer)
{
    return answer.failure == MAnswerFailure::Service
        && StringEqualsIgnoreCase(answer.errorCode, QStringLiteral("InvalidAuthenticationToken"));
}

std::optional<qint64> RetryAfterMs(const MHttpResponse& response, qint64 nowMs)
{
    const QByteArray value = response.Header("Retry-After").trimmed();
    if (value.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 seconds = value.toLongLong(&ok);
    if (ok)
        return seconds < 0 ? std::nullopt : std::optional<qint64>(seconds * 1000);
    // An HTTP date: "Wed, 21 Oct 2015 07:28:00 GMT".
    const QDateTime when = QLocale::c().toDateTime(
        QString::fromLatin1(value).remove(QStringLiteral(" GMT")), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss"));
    if (!when.isValid())
        return std::nullopt;
    QDateTime utc = when;
    utc.setTimeSpec(Qt::UTC);
    return std::max<qint64>(0, utc.toMSecsSinceEpoch() - nowMs);
}
