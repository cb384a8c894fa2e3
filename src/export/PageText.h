#pragma once

#include <QString>
#include <pugixml.hpp>

// Page HTML to plain text: the title, a separator line, the creation time, then the body text with
// a line feed after paragraphs and headings and list items indented by their depth. A page that is
// not well-formed XML still gives its text, by stripping the tags.
QString ConvertOnlineHtml2PlainText(const QString& html, const QString& fileName);
QString ConvertOnlineHtml2PlainText_Recurse(const pugi::xml_node& node, int indent);
// The creation time of a <meta name="created" content="..."> element as "yyyy-MM-dd HH:mm:ss";
// "" for any other element.
QString GetPageDateTimeFromMeta(const pugi::xml_node& meta);
