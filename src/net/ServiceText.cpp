#include "ServiceText.h"

namespace {

bool StaysInQuery(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case '-':
    case '.':
    case '/':
    case ':':
    case ';':
    case '=':
    case '?':
    case '@':
    case '_':
    case '~':
        return true;
    default:
        return false;
    }
}

} // namespace

QString UrlQueryEncode(const QString& url)
{
    static const char kHex[] = "0123456789ABCDEF";
    const QByteArray utf8 = url.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + utf8.size() / 4);
    for (const char c : utf8) {
        if (StaysInQuery(c)) {
            out.append(c);
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out.append('%');
        out.append(kHex[byte >> 4]);
        out.append(kHex[byte & 0x0F]);
    }
    return QString::fromLatin1(out);
}
