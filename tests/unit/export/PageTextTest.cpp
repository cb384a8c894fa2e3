#include "export/PageText.h"

#include <gtest/gtest.h>

namespace {

QString Body(const QString& inner)
{
    return QStringLiteral("<html><body>%1</body></html>").arg(inner);
}

TEST(PageTextTest, TitleSeparatorDateAndParagraphKeepThePagesOwnWhitespace)
{
    const QString html = QStringLiteral("<html>\n<head>\n<title>Trip</title>\n"
                                        "<meta name=\"created\" content=\"2017-04-12T09:44:00.0000000\" />\n</head>\n"
                                        "<body>\n<p>Hello</p>\n</body>\n</html>");
    const QString separator = QStringLiteral("\n") + QString(54, QLatin1Char('-')) + QStringLiteral("\n");
    EXPECT_EQ(ConvertOnlineHtml2PlainText(html, QString()),
        QStringLiteral("\n\nTrip") + separator + QStringLiteral("\n2017-04-12 09:44:00\n\n\n\n\nHello\n\n\n"));
}

TEST(PageTextTest, SpansJoinWithBlanksOnlyWhereNeitherSideHasOne)
{
    EXPECT_EQ(ConvertOnlineHtml2PlainText(Body("<p><span>a</span><span>b</span></p>"), {}), QStringLiteral(" a b\n"));
    EXPECT_EQ(ConvertOnlineHtml2PlainText(Body("<p>x<span> y </span></p>"), {}), QStringLiteral("xy\n"));
    EXPECT_EQ(ConvertOnlineHtml2PlainText(Body("<p>x<span></span></p>"), {}), QStringLiteral("x  \n"));
    // Only blanks and tabs are trimmed from a joined span, never its line feeds.
    EXPECT_EQ(ConvertOnlineHtml2PlainText(Body("<p>x <span>\ty\n</span></p>"), {}), QStringLiteral("x y\n\n"));
}

TEST(PageTextTest, NestedListsIndentByLevelWithoutBullets)
{
    const QString html = Body("<ul><li>outer<ol><li>one</li><li>two</li></ol></li></ul><p>after<br/>line</p>");
    EXPECT_EQ(
        ConvertOnlineHtml2PlainText(html, {}), QStringLiteral("    outer        one\n        two\n\nafter\nline\n"));
}

TEST(PageTextTest, CreatedMetaIsMatchedIgnoringCaseAndOtherMetasAddNothing)
{
    const QString html = QStringLiteral("<html><head><meta name=\"Created\" content=\"2020-01-02T03:04:05.0000000\"/>"
                                        "<meta content=\"x\"/><meta name=\"other\" content=\"y\"/></head></html>");
    EXPECT_EQ(ConvertOnlineHtml2PlainText(html, {}), QStringLiteral("2020-01-02 03:04:05\n\n"));
}

TEST(PageTextTest, EntitiesAreDecodedAndALiteralNoBreakSpaceBecomesAnAmpersand)
{
    EXPECT_EQ(ConvertOnlineHtml2PlainText(Body("<p>Tom&nbsp;&amp; Jerry &lt;3</p>"), {}),
        QStringLiteral("Tom\u00A0& Jerry <3\n").replace(QChar(0x00A0), QLatin1Char(' ')));
    EXPECT_EQ(ConvertOnlineHtml2PlainText(Body(QStringLiteral("<p>a\u00A0b</p>")), {}), QStringLiteral("a&b\n"));
}

TEST(PageTextTest, MalformedPagesFallBackToStrippingTags)
{
    // An unclosed <br> is not XML: the tags are stripped from the page as received.
    EXPECT_EQ(ConvertOnlineHtml2PlainText(QStringLiteral("<html><body><p>a<br>b &amp; c</p></body></html>"), {}),
        QStringLiteral("ab & c"));
    EXPECT_EQ(ConvertOnlineHtml2PlainText(QString(), {}), QString());
}

TEST(PageTextTest, CommentsAddNothingAndCdataIsText)
{
    EXPECT_EQ(ConvertOnlineHtml2PlainText(Body("<p>a<!-- hidden -->b<![CDATA[c]]></p>"), {}), QStringLiteral("abc\n"));
}

} // namespace
