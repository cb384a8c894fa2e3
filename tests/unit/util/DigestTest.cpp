#include "util/Digest.h"

#include <gtest/gtest.h>

TEST(Digest, KnownVectorsInLowerCaseHex)
{
    EXPECT_EQ(MD5String(QByteArray()), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(MD5String(QByteArray("abc")), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_EQ(SHA256String(QByteArray("abc")),
        QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    // Text is hashed over its UTF-8 bytes.
    EXPECT_EQ(QString::fromLatin1(SHA256Data(QStringLiteral("Zürich 日本")).toHex()),
        SHA256String(QStringLiteral("Zürich 日本").toUtf8()));
}

TEST(Digest, HexWritingZeroesTheBuffer)
{
    unsigned char bytes[] = {0x00, 0x0f, 0xa0, 0xff};
    EXPECT_EQ(toHexString(bytes, 4), QStringLiteral("000fa0ff"));
    for (unsigned char b : bytes)
        EXPECT_EQ(b, 0);
}
