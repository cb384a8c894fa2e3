#include "net/ServiceText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The query's own characters stay; everything else is escaped per UTF-8 byte.
TEST(UrlQueryEncode, KeepsTheQueryCharactersAndEscapesEverythingElse)
{
    // The "!" of drive item ids and the ":" and "/" of the address stay.
    EXPECT_EQ(UrlQueryEncode(u"https://graph.microsoft.com/v1.0/me/drive/items/ABC!123/children"_s),
        u"https://graph.microsoft.com/v1.0/me/drive/items/ABC!123/children"_s);
    EXPECT_EQ(UrlQueryEncode(u"a?b=c&d=e;f@g~h_i-j.k*l'm(n)o+p,q$r"_s), u"a?b=c&d=e;f@g~h_i-j.k*l'm(n)o+p,q$r"_s);
    EXPECT_EQ(UrlQueryEncode(u"a b"_s), u"a%20b"_s);
    EXPECT_EQ(UrlQueryEncode(u"100%"_s), u"100%25"_s); // an escape already there is escaped again
    EXPECT_EQ(UrlQueryEncode(u"#{}[]|\\\"<>^`"_s), u"%23%7B%7D%5B%5D%7C%5C%22%3C%3E%5E%60"_s);
    EXPECT_EQ(UrlQueryEncode(u"é笔"_s), u"%C3%A9%E7%AC%94"_s);
}
