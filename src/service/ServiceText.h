#pragma once

#include <QString>
#include <optional>

// Percent-encodes a whole URL with the characters a URL query may hold: letters, digits and
// ! $ & ' ( ) * + , - . / : ; = ? @ _ ~ stay; every other character, "%" included, becomes "%XX"
// per UTF-8 byte.
QString UrlQueryEncode(const QString& url);

// A service error answer contains {"error":{"code": ; its code is the text between the first
// {"code":" and the next quote. No result for any other text.
std::optional<QString> ServiceErrorCode(const QString& text);
bool IsServiceError(const QString& text);
// The message of an error answer: "message": "..." with a blank after the colon, else without.
QString ServiceErrorMessage(const QString& text);
