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

QString NewUuidString()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

namespace {

constexpr signed char kSkip = -1;
constexpr signed char kPad = -2;

struct MBase64Table
{
    signed char value[256];
    constexpr MBase64Table()
        : value()
    {
        for (int i = 0; i < 256; ++i)
            value[i] = kSkip;
        for (int i = 0; i < 26; ++i) {
            value['A' + i] = static_cast<signed char>(i);
            value['a' + i] = static_cast<signed char>(26 + i);
        }
        for (int i = 0; i < 10; ++i)
            value['0' + i] = static_cast<signed char>(52 + i);
        value['+'] = 62;
        value['/'] = 63;
        value['='] = kPad;
    }
};
constexpr MBase64Table kBase64;

} // namespace

// One pass, without first copying out the alphabet: ENEX resources are megabytes of wrapped lines,
// and this runs once per resource. Padding follows the strict rule: one or two "=" close the text,
// and with them the alphabet characters make a multiple of four; unpadded text of any length
// decodes, its spare bits dropped.
std::optional<QByteArray> Base64Decode(const QByteArray& text)
{
    const auto* in = reinterpret_cast<const unsigned char*>(text.constData());
    const qsizetype size = text.size();
    QByteArray out(size / 4 * 3 + 3, Qt::Uninitialized);
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    qsizetype written = 0;
    qsizetype counted = 0; // alphabet characters seen
    quint32 bits = 0;
    int bitCount = 0;
    qsizetype i = 0;
    for (; i < size; ++i) {
        if (bitCount == 0 && i + 4 <= size) {
            const int a = kBase64.value[in[i]];
            const int b = kBase64.value[in[i + 1]];
            const int c = kBase64.value[in[i + 2]];
            const int d = kBase64.value[in[i + 3]];
            if ((a | b | c | d) >= 0) {
                const quint32 group = quint32(a) << 18 | quint32(b) << 12 | quint32(c) << 6 | quint32(d);
                o[written] = static_cast<unsigned char>(group >> 16);
                o[written + 1] = static_cast<unsigned char>(group >> 8);
                o[written + 2] = static_cast<unsigned char>(group);
                written += 3;
                counted += 4;
                i += 3;
                continue;
            }
        }
        const int value = kBase64.value[in[i]];
        if (value == kSkip)
            continue;
        if (value == kPad)
            break;
        ++counted;
        bits = (bits << 6) | quint32(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            o[written++] = static_cast<unsigned char>(bits >> bitCount);
            bits &= (1u << bitCount) - 1;
        }
    }
    if (i < size) {
        qsizetype pads = 0;
        for (; i < size; ++i) {
            const int value = kBase64.value[in[i]];
            if (value == kSkip)
                continue;
            if (value != kPad || ++pads > 2)
                return std::nullopt;
        }
        if ((counted + pads) % 4 != 0)
            return std::nullopt;
    }
    out.truncate(written);
    return out;
}

std::optional<QByteArray> Base64Decode(const QString& text)
{
    return Base64Decode(text.toLatin1());
}
