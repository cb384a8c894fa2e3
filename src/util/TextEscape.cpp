#include "TextEscape.h"

namespace {

QString EscapeMarkup(const QString& text, bool quotes)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += quotes ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        default:
            out += ch;
        }
    }
    return out;
}

} // namespace

QString EscapeHtmlText(const QString& text)
{
    return EscapeMarkup(text, false);
}

QString EscapeHtmlAttribute(const QString& text)
{
    return EscapeMarkup(text, true);
}

QString EscapeJsonString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == '"' || c == '\\') {
            out += QLatin1Char('\\');
            out += ch;
        } else if (c == '\n') {
            out += QLatin1String("\\n");
        } else if (c == '\r') {
            out += QLatin1String("\\r");
        } else if (c == '\t') {
            out += QLatin1String("\\t");
        } else if (c < 0x20) {
            out += QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
        } else {
            out += ch;
        }
    }
    return out;
}
