#include "util/TextUtils.h"

#include <gtest/gtest.h>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}
} // namespace

TEST(MarkerScan, MissingEndMarkerGivesEmptyNeverTheRest)
{
    EXPECT_EQ(GetStringBetween(S("a=1;b=2"), S("b="), S(";")), S(""));
    EXPECT_EQ(GetStringBetween(S("a=1;b=2"), S("b="), S("")), S("2"));
    EXPECT_EQ(GetStringBetween(S("abc"), S("x"), S("")), S(""));
    EXPECT_EQ(GetStringBetween(S("abc"), S(""), S("")), S("abc"));
    EXPECT_EQ(GetStringBetween(S("abc;d"), S(""), S(";")), S("abc"));
    EXPECT_EQ(GetStringBetween(S(R"({"access_token":"T1","x":"y"})"), S(R"("access_token":")"), S("\"")), S("T1"));
}

TEST(MarkerScan, LastStartMarker)
{
    EXPECT_EQ(GetStringBetweenLast(S("k=1;k=2;"), S("k="), S(";")), S("2"));
    EXPECT_EQ(GetStringBetweenLast(S("k=1;k=2;"), S(""), S(";")), S(""));
    EXPECT_EQ(GetStringBetweenLast(S("k=1;k=2"), S("k="), S("")), S("2"));
}

TEST(MarkerScan, RemoveAllBetween)
{
    EXPECT_EQ(RemoveAllBetween(S("x<a1>y<a2>z"), S("<a"), S(">")), S("xyz"));
    EXPECT_EQ(RemoveAllBetween(S("x<a1>y<a2"), S("<a"), S(">")), S("xy<a2"));
    EXPECT_EQ(RemoveAllBetween(S("plain"), S("<a"), S(">")), S("plain"));
    // The end is searched from the start marker itself: a start marker ending in the end text
    // removes just the marker.
    EXPECT_EQ(RemoveAllBetween(S("a<b>c"), S("<b>"), S(">")), S("ac"));
}

TEST(StringTests, EmptyPartNeverMatches)
{
    EXPECT_FALSE(StringStartsWith(S(""), S("abc")));
    EXPECT_FALSE(StringEndsWith(S(""), S("abc")));
    EXPECT_FALSE(StringContains(S(""), S("abc")));
    EXPECT_FALSE(StringContainsIgnoreCase(S(""), S("abc")));
    EXPECT_TRUE(StringEndsWith(S(" "), S("ends with space ")));
    EXPECT_FALSE(StringEndsWith(S(" "), S("inner space")));
    EXPECT_TRUE(StringContainsIgnoreCase(S("WORLD"), S("hello world")));
    EXPECT_TRUE(StringEqualsIgnoreCase(S("Owner"), S("OWNER")));
}

TEST(StringTests, AllWordsSplitAtSingleSpaces)
{
    EXPECT_TRUE(StringContainsAllWords(S("Hello World"), S("world  hello"), false));
    EXPECT_FALSE(StringContainsAllWords(S("Hello World"), S("world  hello"), true));
    EXPECT_TRUE(StringContainsAllWords(S("Hello World"), S(""), true));
    EXPECT_TRUE(StringContainsAllWords(S("Hello World"), S("   "), false));
    EXPECT_FALSE(StringContainsAllWords(S("Hello World"), S("hello moon"), false));
}

TEST(PercentEncoding, EscapesDecodeAsUtf8AndAnythingElseIsNoEncoding)
{
    EXPECT_EQ(RemovePercentEncoding(S("code %41%42")), S("code AB"));
    EXPECT_EQ(RemovePercentEncoding(S("caf%C3%A9")), S("café"));
    EXPECT_EQ(RemovePercentEncoding(S("no escapes at all")), S("no escapes at all"));
    // A bare percent sign, half an escape, a sign in it or bytes that are not UTF-8.
    EXPECT_FALSE(RemovePercentEncoding(S("20% off")).has_value());
    EXPECT_FALSE(RemovePercentEncoding(S("ends in %4")).has_value());
    EXPECT_FALSE(RemovePercentEncoding(S("%+1")).has_value());
    EXPECT_FALSE(RemovePercentEncoding(S("%C3")).has_value());
}
