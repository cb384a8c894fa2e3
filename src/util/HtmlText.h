#pragma once

#include <QString>
#include <optional>

// Removes tags from the first "<" to its ">", one at a time; stops at an empty tag "<>" or at a
// "<" without a following ">", leaving the rest as it is.
QString StripHtmlTags(const QString& text);
// Decodes exactly eight entities, in a fixed order ("&amp;" before the numeric ones, so "&amp;#39;"
// becomes an apostrophe while "&amp;lt;" becomes "&lt;").
QString DecodeHtmlEntities(const QString& text);
QString StripHtmlToText(const QString& text);
// Replaces every match of an ICU pattern by an ICU template ($0..$9, backslash escapes).
// Case-insensitive unless matchCase. An invalid pattern gives no result.
std::optional<QString> RegexReplaceAll(
    const QString& text, const QString& pattern, const QString& replacement, bool matchCase);
// Whether an ICU pattern matches anywhere in the text (case-insensitive unless matchCase); absent for
// an invalid pattern.
std::optional<bool> RegexFind(const QString& text, const QString& pattern, bool matchCase);
