#include "net/ServiceText.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

TEST(UrlQueryEncode, KeepsTheQueryCharacters)
{
    // The "!" of drive item ids and the ":" and "/" of the address stay.
    EXPECT_EQ(UrlQueryEncode(S("https://graph.microsoft.com/v1.0/me/drive/items/ABC!123/children")),
        S("https://graph.microsoft.com/v1.0/me/drive/items/ABC!123/children"));
    EXPECT_EQ(UrlQueryEncode(S("a?b=c&d=e;f@g~h_i-j.k*l'm(n)o+p,q$r")), S("a?b=c&d=e;f@g~h_i-j.k*l'm(n)o+p,q$r"));
}

TEST(UrlQueryEncode, EscapesEverythingElsePerUtf8Byte)
{
    EXPECT_EQ(UrlQueryEncode(S("a b")), S("a%20b"));
    EXPECT_EQ(UrlQueryEncode(S("100%")), S("100%25")); // an escape already there is escaped again
    EXPECT_EQ(UrlQueryEncode(S("#{}[]|\\\"<>^`")), S("%23%7B%7D%5B%5D%7C%5C%22%3C%3E%5E%60"));
    EXPECT_EQ(UrlQueryEncode(S("é笔")), S("%C3%A9%E7%AC%94"));
}
