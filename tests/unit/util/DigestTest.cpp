#include "util/Digest.h"

#include <gtest/gtest.h>

TEST(Digest, HexWritingZeroesTheBuffer)
{
    unsigned char bytes[] = {0x00, 0x0f, 0xa0, 0xff};
    EXPECT_EQ(toHexString(bytes, 4), QStringLiteral("000fa0ff"));
    for (unsigned char b : bytes)
        EXPECT_EQ(b, 0);
}
