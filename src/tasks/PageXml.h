#pragma once

#include <QString>
#include <pugixml.hpp>

// Page HTML as the service writes it is XHTML with HTML entities, which an XML parser rejects; the
// ampersands are protected before parsing and every text taken out is unprotected again.

// Parses protected page HTML keeping whitespace-only text and CDATA. False when it is not
// well-formed XML.
bool ParseProtectedPageHtml(const QString& html, pugi::xml_document& document);
// A node's own text value or an attribute value, as read from the parse (still protected).
QString XmlText(const char* utf8);
// The element's name in lower case, for the case-insensitive comparisons of page HTML.
QString LowerName(const pugi::xml_node& node);
// The whole document as XML text, unprotected.
QString SerializeUnprotected(const pugi::xml_document& document);
// The document as XML text as it stands (still protected), for searching in it.
QString SerializeProtected(const pugi::xml_document& document);
// The text of an element and of everything below it, in document order, as read from the parse
// (still protected).
QString XmlWholeText(const pugi::xml_node& node);
// Protected text from the parse as a reader sees it: the ampersands back first, then what is left of
// tags removed and entities decoded ("Fish &amp; chips" in the page reads "Fish & chips").
QString ReadableXmlText(const QString& protectedText);
