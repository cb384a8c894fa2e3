#pragma once

#include <QString>

// Percent-encodes a whole URL with the characters a URL query may hold: letters, digits and
// ! $ & ' ( ) * + , - . / : ; = ? @ _ ~ stay; every other character, "%" included, becomes "%XX"
// per UTF-8 byte.
QString UrlQueryEncode(const QString& url);
