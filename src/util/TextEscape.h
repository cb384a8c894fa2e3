#pragma once

#include <QString>

// Text that goes into markup or a request body is escaped for the place it lands in, so a title
// such as "A<B & C" or a section name with a double quote arrives as the user wrote it.

// Element text: & < > become entities.
QString EscapeHtmlText(const QString& text);
// A double-quoted attribute value: & < > " become entities.
QString EscapeHtmlAttribute(const QString& text);
// The inside of a JSON string: quote, backslash and control characters are escaped.
QString EscapeJsonString(const QString& text);
