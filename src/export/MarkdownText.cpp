#include "MarkdownText.h"

#include "model/MOLONUtils.h"
#include "tasks/PageXml.h"

#include <QHash>
#include <QStringList>

namespace {

// The named references of the HTML the service writes and of text pasted into OneNote from the web.
const QHash<QString, char32_t>& NamedReferences()
{
    static const QHash<QString, char32_t> names {{QStringLiteral("nbsp"), 0xA0}, {QStringLiteral("amp"), '&'},
        {QStringLiteral("lt"), '<'}, {QStringLiteral("gt"), '>'}, {QStringLiteral("quot"), '"'},
        {QStringLiteral("apos"), '\''}, {QStringLiteral("copy"), 0xA9}, {QStringLiteral("reg"), 0xAE},
        {QStringLiteral("trade"), 0x2122}, {QStringLiteral("hellip"), 0x2026}, {QStringLiteral("mdash"), 0x2014},
        {QStringLiteral("ndash"), 0x2013}, {QStringLiteral("lsquo"), 0x2018}, {QStringLiteral("rsquo"), 0x2019},
        {QStringLiteral("sbquo"), 0x201A}, {QStringLiteral("ldquo"), 0x201C}, {QStringLiteral("rdquo"), 0x201D},
        {QStringLiteral("bdquo"), 0x201E}, {QStringLiteral("bull"), 0x2022}, {QStringLiteral("middot"), 0xB7},
        {QStringLiteral("euro"), 0x20AC}, {QStringLiteral("pound"), 0xA3}, {QStringLiteral("yen"), 0xA5},
        {QStringLiteral("cent"), 0xA2}, {QStringLiteral("sect"), 0xA7}, {QStringLiteral("para"), 0xB6},
        {QStringLiteral("deg"), 0xB0}, {QStringLiteral("plusmn"), 0xB1}, {QStringLiteral("times"), 0xD7},
        {QStringLiteral("divide"), 0xF7}, {QStringLiteral("laquo"), 0xAB}, {QStringLiteral("raquo"), 0xBB},
        {QStringLiteral("iexcl"), 0xA1}, {QStringLiteral("iquest"), 0xBF}, {QStringLiteral("shy"), 0xAD},
        {QStringLiteral("ensp"), 0x2002}, {QStringLiteral("emsp"), 0x2003}, {QStringLiteral("thinsp"), 0x2009},
        {QStringLiteral("zwnj"), 0x200C}, {QStringLiteral("zwj"), 0x200D}, {QStringLiteral("lrm"), 0x200E},
        {QStringLiteral("rlm"), 0x200F}, {QStringLiteral("rarr"), 0x2192}, {QStringLiteral("larr"), 0x2190}};
    return names;
}

bool IsAsciiAlnum(QChar c)
{
    return c.unicode() < 128 && c.isLetterOrNumber();
}

// The reference that starts at text[at] ('&'), its length through ';' in `length`; absent when it is
// not one.
std::optional<char32_t> ReferenceAt(const QString& text, qsizetype at, qsizetype& length)
{
    const qsizetype semicolon = text.indexOf(QLatin1Char(';'), at + 1);
    if (semicolon < 0 || semicolon - at > 33)
        return std::nullopt;
    const QStringView body = QStringView(text).mid(at + 1, semicolon - at - 1);
    length = semicolon - at + 1;
    if (body.startsWith(QLatin1Char('#'))) {
        const bool hex = body.size() > 1 && (body[1] == QLatin1Char('x') || body[1] == QLatin1Char('X'));
        bool ok = false;
        const uint value = body.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok)
            return std::nullopt;
        const bool valid = value > 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        return valid ? char32_t(value) : char32_t(0xFFFD);
    }
    const auto named = NamedReferences().constFind(body.toString());
    if (named == NamedReferences().constEnd())
        return std::nullopt;
    return *named;
}

bool LooksLikeReference(const QString& text, qsizetype at)
{
    qsizetype end = at + 1;
    if (end < text.size() && text[end] == QLatin1Char('#'))
        ++end;
    const qsizetype first = end;
    while (end < text.size() && IsAsciiAlnum(text[end]))
        ++end;
    return end > first && end < text.size() && text[end] == QLatin1Char(';');
}

bool IsMonospaceFamily(const QString& families)
{
    static const QStringList monospace {QStringLiteral("consolas"), QStringLiteral("courier new"),
        QStringLiteral("courier"), QStringLiteral("lucida console"), QStringLiteral("monospace"),
        QStringLiteral("menlo"), QStringLiteral("monaco"), QStringLiteral("cascadia code"),
        QStringLiteral("cascadia mono"), QStringLiteral("source code pro"), QStringLiteral("dejavu sans mono")};
    for (QString family : families.split(QLatin1Char(','))) {
        family = family.trimmed().remove(QLatin1Char('"')).remove(QLatin1Char('\'')).toLower();
        if (monospace.contains(family))
            return true;
    }
    return false;
}

std::optional<bool> FontWeightIsBold(const QString& value)
{
    if (value == QLatin1String("bold") || value == QLatin1String("bolder"))
        return true;
    if (value == QLatin1String("normal") || value == QLatin1String("lighter"))
        return false;
    bool ok = false;
    const int weight = value.toInt(&ok);
    return ok ? std::optional<bool>(weight >= 600) : std::nullopt;
}

} // namespace

QString DecodeCharacterReferences(const QString& text)
{
    qsizetype at = text.indexOf(QLatin1Char('&'));
    if (at < 0)
        return text;
    QString out = text.left(at);
    while (at < text.size()) {
        qsizetype length = 0;
        if (text[at] == QLatin1Char('&')) {
            if (const std::optional<char32_t> c = ReferenceAt(text, at, length)) {
                out += QString::fromUcs4(&*c, 1);
                at += length;
                continue;
            }
        }
        out += text[at++];
    }
    return out;
}

QString PageText(const char* protectedValue)
{
    return DecodeCharacterReferences(UnprotectAmpersands(XmlText(protectedValue)));
}

QString PageAttribute(const pugi::xml_node& element, const char* name)
{
    return PageText(element.attribute(name).value());
}

QString PageWholeText(const pugi::xml_node& element)
{
    return DecodeCharacterReferences(UnprotectAmpersands(XmlWholeText(element)));
}

bool IsMarkdownWhitespace(char32_t c)
{
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || QChar::category(c) == QChar::Separator_Space;
}

bool IsMarkdownPunctuation(char32_t c, bool symbolsToo)
{
    if (c < 128)
        return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
    switch (QChar::category(c)) {
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
        return true;
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
        return symbolsToo;
    default:
        return false;
    }
}

char32_t CodePointAt(const QString& text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[i + 1]);
    return c.unicode();
}

char32_t CodePointBefore(const QString& text, qsizetype end)
{
    const QChar c = text[end - 1];
    if (c.isLowSurrogate() && end >= 2 && text[end - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(text[end - 2], c);
    return c.unicode();
}

QString EscapeMarkdownText(const QString& text)
{
    static const QString always = QStringLiteral("\\`*[]<#|~");
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        bool escape = always.contains(c);
        if (c == QLatin1Char('_')) // inside a word it can neither open nor close emphasis
            escape
                = !(i > 0 && i + 1 < text.size() && text[i - 1].isLetterOrNumber() && text[i + 1].isLetterOrNumber());
        else if (c == QLatin1Char('&'))
            escape = LooksLikeReference(text, i);
        if (escape)
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString EscapeLineStart(const QString& escapedLine)
{
    if (escapedLine.isEmpty())
        return escapedLine;
    // ":" because a line such as ":-" under another reads as a table's delimiter row.
    static const QString markers = QStringLiteral("-+=>:");
    if (markers.contains(escapedLine[0]))
        return QLatin1Char('\\') + escapedLine;
    qsizetype digits = 0;
    while (digits < escapedLine.size() && digits < 10 && escapedLine[digits].unicode() >= '0'
        && escapedLine[digits].unicode() <= '9')
        ++digits;
    if (digits > 0 && digits < escapedLine.size()
        && (escapedLine[digits] == QLatin1Char('.') || escapedLine[digits] == QLatin1Char(')')))
        return escapedLine.left(digits) + QLatin1Char('\\') + escapedLine.mid(digits);
    return escapedLine;
}

QString MarkdownDestination(const QString& target)
{
    QString out;
    bool pointy = target.isEmpty() || target.startsWith(QLatin1Char('<'));
    int depth = 0;
    for (qsizetype i = 0; i < target.size(); ++i) {
        const QChar c = target[i];
        if (c == QLatin1Char('\\') || (c == QLatin1Char('&') && LooksLikeReference(target, i)))
            out += QLatin1Char('\\');
        if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
            continue;
        }
        if (c.isSpace() || c.category() == QChar::Other_Control)
            pointy = true;
        depth += c == QLatin1Char('(') ? 1 : c == QLatin1Char(')') ? -1 : 0;
        pointy = pointy || depth < 0;
        out += c;
    }
    pointy = pointy || depth != 0;
    return pointy ? QLatin1Char('<') + out + QLatin1Char('>') : out;
}

QString MarkdownPathDestination(const QString& path)
{
    QString encoded = path;
    encoded.replace(QLatin1Char('%'), QStringLiteral("%25"))
        .replace(QLatin1Char('#'), QStringLiteral("%23"))
        .replace(QLatin1Char('?'), QStringLiteral("%3F"));
    return MarkdownDestination(encoded);
}

QString YamlQuoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '"' || u == '\\')
            out += QLatin1Char('\\') + c;
        else if (u == '\n')
            out += QStringLiteral("\\n");
        else if (u == '\t')
            out += QStringLiteral("\\t");
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029 || u == 0xFEFF)
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString StyleProperty(const QString& style, const QString& name)
{
    for (const QString& declaration : style.split(QLatin1Char(';'))) {
        const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
        if (colon > 0 && declaration.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return declaration.mid(colon + 1).trimmed();
    }
    return QString();
}

MInlineStyle ParseInlineStyle(const QString& style)
{
    MInlineStyle parsed;
    for (const QStringView declaration : QStringView(style).split(QLatin1Char(';'))) {
        const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString name = declaration.left(colon).trimmed().toString().toLower();
        const QString value = declaration.mid(colon + 1).trimmed().toString();
        if (name == QLatin1String("font-weight"))
            parsed.bold = FontWeightIsBold(value.toLower());
        else if (name == QLatin1String("font-style"))
            parsed.italic = value.compare(QLatin1String("italic"), Qt::CaseInsensitive) == 0
                || value.compare(QLatin1String("oblique"), Qt::CaseInsensitive) == 0;
        else if (name == QLatin1String("font-family"))
            parsed.code = IsMonospaceFamily(value);
        else if (name == QLatin1String("text-decoration") || name == QLatin1String("text-decoration-line"))
            parsed.strike = parsed.strike || value.contains(QLatin1String("line-through"), Qt::CaseInsensitive);
    }
    return parsed;
}
