#include "Formats.h"

#include "MClock.h"
#include "TextUtils.h"

#include <QUuid>
#include <limits>

qint64 StringToInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    qint64 value = 0; // accumulated as a negative number so that the minimum fits
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        const int digit = text.at(i).unicode() - '0';
        if (value < (min + digit) / 10)
            return negative ? min : max;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == min ? max : -value;
}

QString FormatByteSize(qint64 bytes)
{
    if (bytes <= 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes <= 1048576)
        return QStringLiteral("%1 KB").arg(bytes >> 10);
    if (bytes <= 1073741824)
        return QStringLiteral("%1 MB").arg(bytes >> 20);
    return QStringLiteral("%1 GB").arg(bytes >> 30);
}

QDateTime CurrentDate()
{
    return MClock::Now();
}

QString FormatDateForOneNote(const QDateTime& date)
{
    return date.toLocalTime()
               .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
               .replace(QLatin1Char(' '), QLatin1Char('T'))
        + QStringLiteral("-00:00");
}

void ParseVersionString(const QString& text, qint64& a, qint64& b, qint64& c, qint64& d)
{
    a = b = c = d = 0;
    const QString dot = QStringLiteral(".");
    const QString first = GetStringBetween(text, QString(), dot);
    const QString p1 = first + dot;
    const QString second = GetStringBetween(text, p1, dot);
    const QString p2 = p1 + second + dot;
    const QString third = GetStringBetween(text, p2, dot);
    const QString p3 = p2 + third + dot;
    const QString fourth = GetStringBetween(text, p3, QString());
    a = StringToInteger(first);
    b = StringToInteger(second);
    c = StringToInteger(third);
    d = StringToInteger(fourth);
}

MVersion ParseVersionString(const QString& text)
{
    MVersion v;
    ParseVersionString(text, v.major, v.minor, v.patch, v.build);
    return v;
}

QString NewUuidString()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QByteArray> Base64Decode(const QByteArray& text)
{
    QByteArray clean;
    clean.reserve(text.size());
    for (const char ch : text) {
        const bool inAlphabet = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9')
            || ch == '+' || ch == '/' || ch == '=';
        if (inAlphabet)
            clean.append(ch);
    }
    auto decoded = QByteArray::fromBase64Encoding(clean, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded.decoded);
}

std::optional<QByteArray> Base64Decode(const QString& text)
{
    return Base64Decode(text.toLatin1());
}
