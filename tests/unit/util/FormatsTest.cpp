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

TEST(Formats, VersionFieldsNeedTheirClosingDot)
{
    EXPECT_EQ(ParseVersionString(S("1.2.3.4")), (MVersion {1, 2, 3, 4}));
    EXPECT_EQ(ParseVersionString(S("1.2.3")), (MVersion {1, 2, 0, 0}));
    EXPECT_EQ(ParseVersionString(S("7")), (MVersion {0, 0, 0, 0}));
    EXPECT_EQ(ParseVersionString(S("1.2.3.4.5")), (MVersion {1, 2, 3, 4}));
    EXPECT_EQ(ParseVersionString(S("2.10.0.15")), (MVersion {2, 10, 0, 15}));
    EXPECT_GT(ParseVersionString(S("2.10.0.0")), ParseVersionString(S("2.9.9.9")));
}

TEST(Formats, UuidIsUpperCaseCanonical)
{
    const QString a = NewUuidString();
    EXPECT_EQ(a.size(), 36);
    EXPECT_EQ(a, a.toUpper());
    EXPECT_EQ(a.count(QLatin1Char('-')), 4);
    EXPECT_NE(a, NewUuidString());
}

TEST(Formats, Base64SkipsForeignCharactersAndRejectsGarbage)
{
    EXPECT_EQ(Base64Decode(S("SGVs\nbG8g\r\nV29y bGQ=")), QByteArray("Hello World"));
    EXPECT_EQ(Base64Decode(S("")), QByteArray());
    EXPECT_FALSE(Base64Decode(S("SGVsbG8=SGVs")).has_value());
}
