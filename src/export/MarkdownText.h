#pragma once

#include <QString>
#include <optional>
#include <pugixml.hpp>

// The text rules of the Markdown export: what the page's text and styles mean, and how text, link
// destinations and front-matter values are written so that a CommonMark reader gets them back as
// they were.

// HTML character references decoded: every numeric one, and the named ones page text carries. An
// unknown name stays as written.
QString DecodeCharacterReferences(const QString& text);
// A text node's or an attribute's value from the protected parse, as the reader sees it.
QString PageText(const char* protectedValue);
QString PageAttribute(const pugi::xml_node& element, const char* name);
// The text of an element and everything below it, as the reader sees it.
QString PageWholeText(const pugi::xml_node& element);

// CommonMark's idea of whitespace and punctuation, which decides where emphasis may open and close.
// Readers differ on symbols (CommonMark counts them as punctuation since 0.31, cmark-gfm does not):
// `symbolsToo` picks the reading.
bool IsMarkdownWhitespace(char32_t c);
bool IsMarkdownPunctuation(char32_t c, bool symbolsToo);
// The code point that starts at `i` / ends just before `end` (surrogate pairs taken whole).
char32_t CodePointAt(const QString& text, qsizetype i);
char32_t CodePointBefore(const QString& text, qsizetype end);

// Text escaped so that no character of it starts Markdown syntax.
QString EscapeMarkdownText(const QString& text);
// The escapes a line needs only at its start (block markers: "-", "+", "=", ">", ":", "1.").
QString EscapeLineStart(const QString& escapedLine);

// A link destination: written as it is when it can be, inside <...> when it holds blanks or
// unbalanced parentheses.
QString MarkdownDestination(const QString& target);
// A relative file path as a link destination: "%", "#" and "?" encoded so readers take them as
// part of the name.
QString MarkdownPathDestination(const QString& path);

// A YAML scalar in double quotes.
QString YamlQuoted(const QString& text);

// The inline style properties the export keeps. Each is set, unset, or left to the enclosing
// element.
struct MInlineStyle
{
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> code; // a monospace font family
    bool strike = false;
};
MInlineStyle ParseInlineStyle(const QString& style);

// One property's value in a style attribute ("top" of "position:absolute;top:120px" is "120px");
// "" when the style does not set it.
QString StyleProperty(const QString& style, const QString& name);
