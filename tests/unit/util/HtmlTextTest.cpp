#include "util/HtmlText.h"

#include <gtest/gtest.h>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}
} // namespace

TEST(HtmlText, StripTagsStopsAtEmptyTagOrUnclosedBracket)
{
    EXPECT_EQ(StripHtmlTags(S("a<b>c</b>d")), S("acd"));
    EXPECT_EQ(StripHtmlTags(S("a<>b<i>c")), S("a<>b<i>c"));
    EXPECT_EQ(StripHtmlTags(S("x<p class=\"q\">y</p>< z")), S("xy< z"));
    EXPECT_EQ(StripHtmlTags(S("1 < 2")), S("1 < 2"));
}

TEST(HtmlText, EntitiesDecodeInFixedOrder)
{
    EXPECT_EQ(DecodeHtmlEntities(S("&amp;lt;")), S("&lt;"));
    EXPECT_EQ(DecodeHtmlEntities(S("&amp;#39;")), S("'"));
    EXPECT_EQ(DecodeHtmlEntities(S("&amp;#160;")), S(" "));
    EXPECT_EQ(DecodeHtmlEntities(S("&nbsp;&lt;&gt;&apos;&quot;&amp;&#160;&#39;")), S(" <>'\"& '"));
    EXPECT_EQ(DecodeHtmlEntities(S("&copy; &#8364;")), S("&copy; &#8364;")); // nothing else is decoded
    EXPECT_EQ(StripHtmlToText(S("<p>Fish &amp; chips</p>")), S("Fish & chips"));
}

TEST(RegexReplace, IcuTemplatesAndCase)
{
    EXPECT_EQ(RegexReplaceAll(S("Meeting 2021-03-05"), S("(\\d+)-(\\d+)-(\\d+)"), S("$3.$2.$1"), true),
        S("Meeting 05.03.2021"));
    EXPECT_EQ(RegexReplaceAll(S("Draft draft DRAFT"), S("draft"), S("Final"), false), S("Final Final Final"));
    EXPECT_EQ(RegexReplaceAll(S("Draft draft DRAFT"), S("draft"), S("Final"), true), S("Draft Final DRAFT"));
    EXPECT_EQ(RegexReplaceAll(S("cost 5"), S("(\\d)"), S("\\$$1"), true), S("cost $5"));
    EXPECT_EQ(RegexReplaceAll(S("日本語 text"), S("\\p{Script=Han}+"), S("X"), true), S("X text"));
}

TEST(RegexReplace, InvalidPatternGivesNoResult)
{
    EXPECT_FALSE(RegexReplaceAll(S("abc"), S("(unclosed"), S("x"), true).has_value());
    EXPECT_FALSE(RegexReplaceAll(S("abc"), S("[z-a]"), S("x"), false).has_value());
}
