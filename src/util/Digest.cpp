#include "Digest.h"

#include <QCryptographicHash>

namespace {

QString Hex(QByteArray digest)
{
    return toHexString(reinterpret_cast<unsigned char*>(digest.data()), digest.size());
}

} // namespace

QString MD5String(const QByteArray& data)
{
    return Hex(QCryptographicHash::hash(data, QCryptographicHash::Md5));
}

QString SHA256String(const QByteArray& data)
{
    return Hex(QCryptographicHash::hash(data, QCryptographicHash::Sha256));
}

QByteArray SHA256Data(const QString& text)
{
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256);
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
