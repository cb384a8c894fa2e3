#pragma once

#include <QString>
#include <optional>

// Marker scanning and string tests. The program reads most service answers by scanning the text
// between literal markers, so the behaviour at the edges (marker missing, marker empty) is what the
// protocol code relies on. Positions and lengths count UTF-16 code units, as QString does.

// Text after the first `start` up to the next `end`. An empty start scans from 0; an empty end takes
// the rest. A missing start or a missing end gives "" (never the rest of the text).
QString GetStringBetween(const QString& text, const QString& start, const QString& end);
// As GetStringBetween, anchored at the last `start`; an empty start is never found.
QString GetStringBetweenLast(const QString& text, const QString& start, const QString& end);
// Removes every stretch from `start` through the next `end` (searched from the start marker itself).
QString RemoveAllBetween(const QString& text, const QString& start, const QString& end);

// String tests take the part searched for first and the text second. An empty part never matches.
bool StringStartsWith(const QString& prefix, const QString& text);
bool StringEndsWith(const QString& suffix, const QString& text);
bool StringContains(const QString& part, const QString& text);
bool StringContainsIgnoreCase(const QString& part, const QString& text);
bool StringEqualsIgnoreCase(const QString& a, const QString& b);
// Every space-separated word of `query` occurs in `text`; a query without words is true.
bool StringContainsAllWords(const QString& text, const QString& query, bool matchCase);

// Percent-escapes ("%41") turned back into the characters they stand for, read as UTF-8. Absent when
// a "%" is not followed by two hexadecimal digits or the bytes are not UTF-8.
std::optional<QString> RemovePercentEncoding(const QString& text);
