#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>

class MEmuState;
struct MEmuPage;

// One data part of a multipart page-creation body.
struct MEmuPart
{
    QString name;
    QString contentType;
    QByteArray bytes;
};

// A OneNote error answer: HTTP status, the numeric code (as text) and its message.
struct MEmuError
{
    int status = 400;
    QString code;
    QString message;
};

// Renders page-creation HTML into the form the service gives back from GET pages/{id}/content:
// XHTML with the title and a created meta in the head, element ids "kind:{GUID}{n}", data-tag kept,
// images and attachments turned into resources addressed under "{{base}}/resources/{id}/$value".
// Parts are referenced from the HTML as "name:part"; a data: address becomes a resource too.
// The input is read as the service reads it, leniently (libxml2's HTML parser).
std::optional<MEmuError> RenderPage(
    MEmuState& state, MEmuPage& page, const QByteArray& inputHtml, const std::map<QString, MEmuPart>& parts);

// Renders the HTML content of a change to a rendered page (a PATCH of its content) into `out`, in the
// page's output form: its elements get ids that continue the page's numbering, the ids the input gives
// are dropped, images and attachments become resources.
std::optional<MEmuError> RenderFragment(MEmuState& state, MEmuPage& page, const QByteArray& inputHtml,
    const std::map<QString, MEmuPart>& parts, QByteArray& out);

// Replaces the title of a rendered page.
void ReplaceRenderedTitle(MEmuPage& page, const QString& title);

// Escapes text for XHTML output the way the service writes it: &amp; &lt; &gt; and &nbsp; for U+00A0.
QByteArray EscapeXhtmlText(const QString& text, bool inAttribute);
