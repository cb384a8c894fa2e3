#include "util/Formats.h"

#include "FixedClock.h"

#include <gtest/gtest.h>
#include <limits>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}
} // namespace

TEST(Formats, StringToIntegerReadsTheLeadingNumberAndClamps)
{
    EXPECT_EQ(StringToInteger(S("  42px")), 42);
    EXPECT_EQ(StringToInteger(S("-7")), -7);
    EXPECT_EQ(StringToInteger(S("+3600,")), 3600);
    EXPECT_EQ(StringToInteger(S("px")), 0);
    EXPECT_EQ(StringToInteger(S("")), 0);
    EXPECT_EQ(StringToInteger(S("99999999999999999999")), std::numeric_limits<qint64>::max());
    EXPECT_EQ(StringToInteger(S("-99999999999999999999")), std::numeric_limits<qint64>::min());
    EXPECT_EQ(StringToInteger(S("-9223372036854775808")), std::numeric_limits<qint64>::min());
    EXPECT_EQ(StringToInteger(S("9223372036854775807")), std::numeric_limits<qint64>::max());
}

TEST(Formats, ByteSizeBoundariesTruncate)
{
    EXPECT_EQ(FormatByteSize(-5), S("-5 B"));
    EXPECT_EQ(FormatByteSize(0), S("0 B"));
    EXPECT_EQ(FormatByteSize(1024), S("1024 B"));
    EXPECT_EQ(FormatByteSize(1025), S("1 KB"));
    EXPECT_EQ(FormatByteSize(1536), S("1 KB"));
    EXPECT_EQ(FormatByteSize(1048576), S("1024 KB"));
    EXPECT_EQ(FormatByteSize(1048577), S("1 MB"));
    EXPECT_EQ(FormatByteSize(1073741824), S("1024 MB"));
    EXPECT_EQ(FormatByteSize(1073741825), S("1 GB"));
}

TEST(Formats, OneNoteDateIsLocalWallClockWithZeroSuffix)
{
    const QDateTime local(QDate(2021, 3, 5), QTime(9, 7, 2), Qt::LocalTime);
    EXPECT_EQ(FormatDateForOneNote(local), S("2021-03-05T09:07:02-00:00"));
    const MFixedClockScope clock(local);
    EXPECT_EQ(CurrentDate(), local);
}
