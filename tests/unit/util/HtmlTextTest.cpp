#include "util/HtmlText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(HtmlText, StripTagsStopsAtEmptyTagOrUnclosedBracket)
{
    EXPECT_EQ(StripHtmlTags(u"a<b>c</b>d"_s), u"acd"_s);
    EXPECT_EQ(StripHtmlTags(u"a<>b<i>c"_s), u"a<>b<i>c"_s);
    EXPECT_EQ(StripHtmlTags(u"x<p class=\"q\">y</p>< z"_s), u"xy< z"_s);
}

TEST(HtmlText, EntitiesDecodeInFixedOrder)
{
    EXPECT_EQ(DecodeHtmlEntities(u"&amp;lt;"_s), u"&lt;"_s);
    EXPECT_EQ(DecodeHtmlEntities(u"&amp;#39;"_s), u"'"_s);
    EXPECT_EQ(DecodeHtmlEntities(u"&amp;#160;"_s), u" "_s);
    EXPECT_EQ(DecodeHtmlEntities(u"&nbsp;&lt;&gt;&apos;&quot;&amp;&#160;&#39;"_s), u" <>'\"& '"_s);
    EXPECT_EQ(DecodeHtmlEntities(u"&copy; &#8364;"_s), u"&copy; &#8364;"_s); // nothing else is decoded
    EXPECT_EQ(StripHtmlToText(u"<p>Fish &amp; chips</p>"_s), u"Fish & chips"_s);
}

TEST(RegexReplace, InvalidPatternGivesNoResult)
{
    EXPECT_FALSE(RegexReplaceAll(u"abc"_s, u"(unclosed"_s, u"x"_s, true).has_value());
}
