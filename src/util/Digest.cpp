#include "Digest.h"

#include <QCryptographicHash>

namespace {

QByteArray Hash(const QByteArray& data, QCryptographicHash::Algorithm algorithm)
{
    return QCryptographicHash::hash(data, algorithm);
}

QString Hex(QByteArray digest)
{
    return toHexString(reinterpret_cast<unsigned char*>(digest.data()), digest.size());
}

} // namespace

QByteArray MD5(const QByteArray& data)
{
    return Hash(data, QCryptographicHash::Md5);
}
QString MD5String(const QByteArray& data)
{
    return Hex(MD5(data));
}
QByteArray SHA1(const QByteArray& data)
{
    return Hash(data, QCryptographicHash::Sha1);
}
QString SHA1String(const QByteArray& data)
{
    return Hex(SHA1(data));
}
QByteArray SHA256(const QByteArray& data)
{
    return Hash(data, QCryptographicHash::Sha256);
}
QString SHA256String(const QByteArray& data)
{
    return Hex(SHA256(data));
}
QByteArray SHA512(const QByteArray& data)
{
    return Hash(data, QCryptographicHash::Sha512);
}
QString SHA512String(const QByteArray& data)
{
    return Hex(SHA512(data));
}

QString MD5(const QString& text)
{
    return MD5String(text.toUtf8());
}
QString SHA1(const QString& text)
{
    return SHA1String(text.toUtf8());
}
QString SHA256(const QString& text)
{
    return SHA256String(text.toUtf8());
}
QString SHA512(const QString& text)
{
    return SHA512String(text.toUtf8());
}
QByteArray MD5Data(const QString& text)
{
    return MD5(text.toUtf8());
}
QByteArray SHA1Data(const QString& text)
{
    return SHA1(text.toUtf8());
}
QByteArray SHA256Data(const QString& text)
{
    return SHA256(text.toUtf8());
}
QByteArray SHA512Data(const QString& text)
{
    return SHA512(text.toUtf8());
}

qsizetype UTF8Length(const QString& text)
{
    return text.toUtf8().size();
}

QString toHexString(unsigned char* bytes, qsizetype length)
{
    static const char digits[] = "0123456789abcdef";
    QString hex;
    hex.reserve(length * 2);
    for (qsizetype i = 0; i < length; ++i) {
        hex.append(QLatin1Char(digits[bytes[i] >> 4]));
        hex.append(QLatin1Char(digits[bytes[i] & 0x0f]));
        bytes[i] = 0;
    }
    return hex;
}
