#pragma once

#include <QByteArray>
#include <QString>

// Digests as lower-case hexadecimal text: MD5 names an ENEX resource, SHA-256 what a mirror wrote.
QString MD5String(const QByteArray& data);
QString SHA256String(const QByteArray& data);
// The raw SHA-256 of text's UTF-8 bytes (the sign-in's S256 challenge).
QByteArray SHA256Data(const QString& text);

// Writes each byte as two lower-case hexadecimal digits and zeroes it, so no digest stays behind
// in the working buffer.
QString toHexString(unsigned char* bytes, qsizetype length);
