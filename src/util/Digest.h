#pragma once

#include <QByteArray>
#include <QString>

// Digests on byte buffers: raw digest bytes, or lower-case hexadecimal text.
QByteArray MD5(const QByteArray& data);
QString MD5String(const QByteArray& data);
QByteArray SHA1(const QByteArray& data);
QString SHA1String(const QByteArray& data);
QByteArray SHA256(const QByteArray& data);
QString SHA256String(const QByteArray& data);
QByteArray SHA512(const QByteArray& data);
QString SHA512String(const QByteArray& data);

// Digests on text, taken over its UTF-8 bytes: hexadecimal text, or raw bytes (…Data).
QString MD5(const QString& text);
QString SHA1(const QString& text);
QString SHA256(const QString& text);
QString SHA512(const QString& text);
QByteArray MD5Data(const QString& text);
QByteArray SHA1Data(const QString& text);
QByteArray SHA256Data(const QString& text);
QByteArray SHA512Data(const QString& text);
qsizetype UTF8Length(const QString& text);

// Writes each byte as two lower-case hexadecimal digits and zeroes it, so no digest stays behind
// in the working buffer.
QString toHexString(unsigned char* bytes, qsizetype length);
