#include "util/Digest.h"

#include <gtest/gtest.h>

// ENEX parts are matched by these digests as exporters write them: lower-case hex.
TEST(Digest, KnownVectorsInLowerCaseHex)
{
    EXPECT_EQ(MD5String(QByteArray()), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(MD5String(QByteArray("abc")), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_EQ(SHA256String(QByteArray("abc")),
        QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}
