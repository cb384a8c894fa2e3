#include "util/TextUtils.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// A missing end marker gives empty, never the rest; "Last" scans from the last start marker.
TEST(MarkerScan, BetweenFirstOrLastMarkerAndRemovingAllBetween)
{
    EXPECT_EQ(GetStringBetween(u"a=1;b=2"_s, u"b="_s, u";"_s), u""_s);
    EXPECT_EQ(GetStringBetween(u"a=1;b=2"_s, u"b="_s, u""_s), u"2"_s);
    EXPECT_EQ(GetStringBetween(u"abc"_s, u"x"_s, u""_s), u""_s);
    EXPECT_EQ(GetStringBetween(u"abc"_s, u""_s, u""_s), u"abc"_s);
    EXPECT_EQ(GetStringBetween(u"abc;d"_s, u""_s, u";"_s), u"abc"_s);
    EXPECT_EQ(GetStringBetween(uR"({"access_token":"T1","x":"y"})"_s, uR"("access_token":")"_s, u"\""_s), u"T1"_s);
    EXPECT_EQ(GetStringBetweenLast(u"k=1;k=2;"_s, u"k="_s, u";"_s), u"2"_s);
    EXPECT_EQ(GetStringBetweenLast(u"k=1;k=2;"_s, u""_s, u";"_s), u""_s);
    EXPECT_EQ(GetStringBetweenLast(u"k=1;k=2"_s, u"k="_s, u""_s), u"2"_s);
    EXPECT_EQ(RemoveAllBetween(u"x<a1>y<a2>z"_s, u"<a"_s, u">"_s), u"xyz"_s);
    EXPECT_EQ(RemoveAllBetween(u"x<a1>y<a2"_s, u"<a"_s, u">"_s), u"xy<a2"_s);
    EXPECT_EQ(RemoveAllBetween(u"plain"_s, u"<a"_s, u">"_s), u"plain"_s);
    // The end is searched from the start marker itself: a start marker ending in the end text
    // removes just the marker.
    EXPECT_EQ(RemoveAllBetween(u"a<b>c"_s, u"<b>"_s, u">"_s), u"ac"_s);
}

// An empty part never matches; words are split at single spaces.
TEST(StringTests, EmptyPartNeverMatchesAndAllWordsSplitAtSingleSpaces)
{
    EXPECT_FALSE(StringStartsWith(u""_s, u"abc"_s));
    EXPECT_FALSE(StringEndsWith(u""_s, u"abc"_s));
    EXPECT_FALSE(StringContains(u""_s, u"abc"_s));
    EXPECT_FALSE(StringContainsIgnoreCase(u""_s, u"abc"_s));
    EXPECT_TRUE(StringEndsWith(u" "_s, u"ends with space "_s));
    EXPECT_FALSE(StringEndsWith(u" "_s, u"inner space"_s));
    EXPECT_TRUE(StringContainsIgnoreCase(u"WORLD"_s, u"hello world"_s));
    EXPECT_TRUE(StringEqualsIgnoreCase(u"Owner"_s, u"OWNER"_s));
    EXPECT_TRUE(StringContainsAllWords(u"Hello World"_s, u"world  hello"_s, false));
    EXPECT_FALSE(StringContainsAllWords(u"Hello World"_s, u"world  hello"_s, true));
    EXPECT_TRUE(StringContainsAllWords(u"Hello World"_s, u""_s, true));
    EXPECT_TRUE(StringContainsAllWords(u"Hello World"_s, u"   "_s, false));
    EXPECT_FALSE(StringContainsAllWords(u"Hello World"_s, u"hello moon"_s, false));
}

TEST(PercentEncoding, EscapesDecodeAsUtf8AndAnythingElseIsNoEncoding)
{
    EXPECT_EQ(RemovePercentEncoding(u"code %41%42"_s), u"code AB"_s);
    EXPECT_EQ(RemovePercentEncoding(u"caf%C3%A9"_s), u"café"_s);
    EXPECT_EQ(RemovePercentEncoding(u"no escapes at all"_s), u"no escapes at all"_s);
    // A bare percent sign, half an escape, a sign in it or bytes that are not UTF-8.
    EXPECT_FALSE(RemovePercentEncoding(u"20% off"_s).has_value());
    EXPECT_FALSE(RemovePercentEncoding(u"ends in %4"_s).has_value());
    EXPECT_FALSE(RemovePercentEncoding(u"%+1"_s).has_value());
    EXPECT_FALSE(RemovePercentEncoding(u"%C3"_s).has_value());
}
