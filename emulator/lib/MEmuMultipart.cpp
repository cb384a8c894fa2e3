#include "MEmuMultipart.h"

#include <QByteArrayView>
#include <QList>

namespace {

QByteArray BoundaryOf(const QByteArray& contentType)
{
    const qsizetype at = contentType.indexOf("boundary=");
    if (at < 0)
        return {};
    QByteArray boundary = contentType.mid(at + 9);
    const qsizetype semicolon = boundary.indexOf(';');
    if (semicolon >= 0)
        boundary.truncate(semicolon);
    boundary = boundary.trimmed();
    if (boundary.size() >= 2 && boundary.startsWith('"') && boundary.endsWith('"'))
        boundary = boundary.mid(1, boundary.size() - 2);
    return boundary;
}

QByteArray HeaderParameter(const QByteArray& header, const QByteArray& name)
{
    const QByteArray key = name + "=";
    qsizetype at = 0;
    while ((at = header.indexOf(key, at)) >= 0) {
        if (at == 0 || header[at - 1] == ' ' || header[at - 1] == ';')
            break;
        at += key.size();
    }
    if (at < 0)
        return {};
    QByteArray value = header.mid(at + key.size());
    if (value.startsWith('"'))
        return value.mid(1, value.indexOf('"', 1) - 1);
    const qsizetype end = value.indexOf(';');
    return (end < 0 ? value : value.left(end)).trimmed();
}

} // namespace

std::optional<std::vector<MEmuPart>> ParseMultipart(
    const QByteArray& contentType, const QByteArray& body, QString* error)
{
    const QByteArray boundary = BoundaryOf(contentType);
    if (boundary.isEmpty()) {
        *error = QStringLiteral("The multipart request has no boundary.");
        return std::nullopt;
    }
    const QByteArray delimiter = "--" + boundary;
    qsizetype at = body.indexOf(delimiter);
    if (at < 0) {
        *error = QStringLiteral("The multipart request holds no part.");
        return std::nullopt;
    }
    std::vector<MEmuPart> parts;

    while (true) {
        at += delimiter.size();
        if (QByteArrayView(body).sliced(std::min(at, body.size())).startsWith("--"))
            return parts; // the closing boundary
        if (!QByteArrayView(body).sliced(std::min(at, body.size())).startsWith("\r\n")) {
            *error = QStringLiteral("A multipart boundary is not followed by a line break.");
            return std::nullopt;
        }
        at += 2;
        const qsizetype headersEnd = body.indexOf("\r\n\r\n", at);
        if (headersEnd < 0) {
            *error = QStringLiteral("A part of the multipart request has no end of headers.");
            return std::nullopt;
        }
        MEmuPart part;
        for (const QByteArray& line : body.mid(at, headersEnd - at).split('\n')) {
            const QByteArray trimmed = line.trimmed();
            const qsizetype colon = trimmed.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = trimmed.left(colon).trimmed().toLower();
            const QByteArray value = trimmed.mid(colon + 1).trimmed();
            if (name == "content-disposition")
                part.name = QString::fromUtf8(HeaderParameter(value, "name"));
            else if (name == "content-type")
                part.contentType = QString::fromUtf8(value);
        }
        const qsizetype dataStart = headersEnd + 4;
        const qsizetype next = body.indexOf("\r\n" + delimiter, dataStart);
        if (next < 0) {
            *error = QStringLiteral("The multipart request has no closing boundary.");
            return std::nullopt;
        }
        if (part.name.isEmpty()) {
            *error = QStringLiteral("A part of the multipart request has no name.");
            return std::nullopt;
        }
        part.bytes = body.mid(dataStart, next - dataStart);
        parts.push_back(std::move(part));
        at = next + 2;
    }
}
