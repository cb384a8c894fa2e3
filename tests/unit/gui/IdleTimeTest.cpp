#include "IdleTime.h"

#include <cstdlib>
#include <gtest/gtest.h>

TEST(IdleTime, NoDisplayMeansUnknown)
{
    // Each test runs in its own process, so the display connection has not been opened yet.
    ::unsetenv("DISPLAY");
    EXPECT_EQ(GetSystemIdleSeconds(), -1);
}

TEST(IdleTime, WithADisplayIsNeverNegative)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    EXPECT_GE(GetSystemIdleSeconds(), 0);
}
