#include "TextUtils.h"

#include <QStringDecoder>
#include <QStringList>
#include <cctype>

QString GetStringBetween(const QString& text, const QString& start, const QString& end)
{
    qsizetype from = 0;
    if (!start.isEmpty()) {
        const qsizetype s = text.indexOf(start);
        if (s < 0)
            return QString();
        from = s + start.size();
    }
    const QString rest = text.mid(from);
    if (end.isEmpty())
        return rest;
    const qsizetype e = rest.indexOf(end);
    return e < 0 ? QString() : rest.left(e);
}

QString GetStringBetweenLast(const QString& text, const QString& start, const QString& end)
{
    if (start.isEmpty())
        return QString();
    const qsizetype s = text.lastIndexOf(start);
    if (s < 0)
        return QString();
    const QString rest = text.mid(s + start.size());
    if (end.isEmpty())
        return rest;
    const qsizetype e = rest.indexOf(end);
    return e < 0 ? QString() : rest.left(e);
}

QString RemoveAllBetween(const QString& text, const QString& start, const QString& end)
{
    QString result = text;
    if (start.isEmpty() || end.isEmpty())
        return result;
    for (;;) {
        const qsizetype s = result.indexOf(start);
        if (s < 0)
            return result;
        const qsizetype e = result.indexOf(end, s);
        if (e < 0)
            return result;
        result.remove(s, e + end.size() - s);
    }
}

bool StringStartsWith(const QString& prefix, const QString& text)
{
    return !prefix.isEmpty() && text.startsWith(prefix);
}

bool StringEndsWith(const QString& suffix, const QString& text)
{
    return !suffix.isEmpty() && text.endsWith(suffix);
}

bool StringContains(const QString& part, const QString& text)
{
    return !part.isEmpty() && text.contains(part);
}

bool StringContainsIgnoreCase(const QString& part, const QString& text)
{
    return !part.isEmpty() && text.toLower().contains(part.toLower());
}

bool StringEqualsIgnoreCase(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool StringContainsAllWords(const QString& text, const QString& query, bool matchCase)
{
    const QStringList words = query.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words) {
        const bool found = matchCase ? StringContains(word, text) : StringContainsIgnoreCase(word, text);
        if (!found)
            return false;
    }
    return true;
}

std::optional<QString> RemovePercentEncoding(const QString& text)
{
    if (!text.contains(QLatin1Char('%')))
        return text;
    const QByteArray utf8 = text.toUtf8();
    QByteArray bytes;
    bytes.reserve(utf8.size());
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8.at(i) != '%') {
            bytes += utf8.at(i);
            continue;
        }
        bool ok = false;
        const int value = i + 2 < utf8.size() ? utf8.mid(i + 1, 2).toInt(&ok, 16) : 0;
        // toInt accepts a sign and blanks; an escape is exactly two hexadecimal digits.
        if (!ok || !isxdigit(uchar(utf8.at(i + 1))) || !isxdigit(uchar(utf8.at(i + 2))))
            return std::nullopt;
        bytes += char(value);
        i += 2;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return decoded;
}
