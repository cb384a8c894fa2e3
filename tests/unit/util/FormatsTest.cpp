#include "util/Formats.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

TEST(Formats, StringToIntegerReadsTheLeadingNumberAndClamps)
{
    EXPECT_EQ(StringToInteger(u"  42px"_s), 42);
    EXPECT_EQ(StringToInteger(u"-7"_s), -7);
    EXPECT_EQ(StringToInteger(u"+3600,"_s), 3600);
    EXPECT_EQ(StringToInteger(u"px"_s), 0);
    EXPECT_EQ(StringToInteger(u"99999999999999999999"_s), std::numeric_limits<qint64>::max());
    EXPECT_EQ(StringToInteger(u"-99999999999999999999"_s), std::numeric_limits<qint64>::min());
    EXPECT_EQ(StringToInteger(u"-9223372036854775808"_s), std::numeric_limits<qint64>::min());
    EXPECT_EQ(StringToInteger(u"9223372036854775807"_s), std::numeric_limits<qint64>::max());
}

TEST(Formats, ByteSizeBoundariesTruncate)
{
    EXPECT_EQ(FormatByteSize(-5), u"-5 B"_s);
    EXPECT_EQ(FormatByteSize(1024), u"1024 B"_s);
    EXPECT_EQ(FormatByteSize(1025), u"1 KB"_s);
    EXPECT_EQ(FormatByteSize(1536), u"1 KB"_s);
    EXPECT_EQ(FormatByteSize(1048576), u"1024 KB"_s);
    EXPECT_EQ(FormatByteSize(1048577), u"1 MB"_s);
    EXPECT_EQ(FormatByteSize(1073741824), u"1024 MB"_s);
    EXPECT_EQ(FormatByteSize(1073741825), u"1 GB"_s);
}

TEST(Formats, OneNoteDateIsLocalWallClockWithZeroSuffix)
{
    const QDateTime local(QDate(2021, 3, 5), QTime(9, 7, 2), Qt::LocalTime);
    EXPECT_EQ(FormatDateForOneNote(local), u"2021-03-05T09:07:02-00:00"_s);
}
