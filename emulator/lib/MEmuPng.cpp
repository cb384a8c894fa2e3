#include "MEmuPng.h"

#include <QtEndian>

namespace {

quint32 Crc32(const QByteArray& bytes)
{
    static quint32 table[256] = {};
    if (table[1] == 0)
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    quint32 crc = 0xFFFFFFFFu;
    for (const char b : bytes)
        crc = table[(crc ^ quint8(b)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray BigEndian(quint32 value)
{
    QByteArray out(4, '\0');
    qToBigEndian(value, out.data());
    return out;
}

QByteArray Chunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return BigEndian(quint32(data.size())) + typed + BigEndian(Crc32(typed));
}

} // namespace

QByteArray MakeSolidPng(int width, int height, quint32 rgb)
{
    QByteArray header = BigEndian(quint32(width)) + BigEndian(quint32(height));
    header += char(8); // bit depth
    header += char(2); // colour type: RGB
    header += QByteArray(3, '\0'); // compression, filter, interlace
    QByteArray row(1 + 3 * width, '\0');
    for (int x = 0; x < width; ++x) {
        row[1 + 3 * x] = char((rgb >> 16) & 0xFF);
        row[2 + 3 * x] = char((rgb >> 8) & 0xFF);
        row[3 + 3 * x] = char(rgb & 0xFF);
    }
    QByteArray pixels;
    pixels.reserve(row.size() * height);
    for (int y = 0; y < height; ++y)
        pixels += row;
    // qCompress gives a zlib stream behind a four-byte length, which PNG does not want.
    const QByteArray zlib = qCompress(pixels, 9).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", zlib) + Chunk("IEND", {});
}
