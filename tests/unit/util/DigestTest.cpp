#include "util/Digest.h"

#include <gtest/gtest.h>

TEST(Digest, KnownVectorsInLowerCaseHex)
{
    EXPECT_EQ(MD5String(QByteArray()), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(MD5String(QByteArray("abc")), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_EQ(SHA1String(QByteArray("abc")), QStringLiteral("a9993e364706816aba3e25717850c26c9cd0d89d"));
    EXPECT_EQ(SHA256String(QByteArray("abc")),
        QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(SHA512String(QByteArray("abc")).left(16), QStringLiteral("ddaf35a193617aba"));
}

TEST(Digest, TextIsHashedOverItsUtf8Bytes)
{
    const QString text = QStringLiteral("Zürich 日本");
    EXPECT_EQ(MD5(text), MD5String(text.toUtf8()));
    EXPECT_NE(MD5(text), MD5String(text.toLatin1()));
    EXPECT_EQ(MD5Data(text), MD5(text.toUtf8()));
    EXPECT_EQ(SHA256(text), SHA256String(text.toUtf8()));
    EXPECT_EQ(UTF8Length(text), 14);
}

TEST(Digest, HexWritingZeroesTheBuffer)
{
    unsigned char bytes[] = {0x00, 0x0f, 0xa0, 0xff};
    EXPECT_EQ(toHexString(bytes, 4), QStringLiteral("000fa0ff"));
    for (unsigned char b : bytes)
        EXPECT_EQ(b, 0);
}
