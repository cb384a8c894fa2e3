#include "export/PageText.h"

#include <gtest/gtest.h>

namespace {

TEST(PageTextTest, TitleSeparatorDateAndParagraphKeepThePagesOwnWhitespace)
{
    const QString html = QStringLiteral("<html>\n<head>\n<title>Trip</title>\n"
                                        "<meta name=\"created\" content=\"2017-04-12T09:44:00.0000000\" />\n</head>\n"
                                        "<body>\n<p>Hello</p>\n</body>\n</html>");
    const QString separator = QStringLiteral("\n") + QString(54, QLatin1Char('-')) + QStringLiteral("\n");
    EXPECT_EQ(ConvertOnlineHtml2PlainText(html, QString()),
        QStringLiteral("\n\nTrip") + separator + QStringLiteral("\n2017-04-12 09:44:00\n\n\n\n\nHello\n\n\n"));
}

TEST(PageTextTest, SpansListsEntitiesCommentsAndPagesThatAreNoXml)
{
    const struct
    {
        const char* body; // inside <html><body>
        QString text;
    } rows[] = {
        // Spans join with blanks only where neither side has one; only blanks and tabs are trimmed.
        {"<p><span>a</span><span>b</span></p>", QStringLiteral(" a b\n")},
        {"<p>x<span> y </span></p>", QStringLiteral("xy\n")},
        {"<p>x<span></span></p>", QStringLiteral("x  \n")},
        {"<p>x <span>\ty\n</span></p>", QStringLiteral("x y\n\n")},
        // Nested lists indent by level without bullets.
        {"<ul><li>outer<ol><li>one</li><li>two</li></ol></li></ul><p>after<br/>line</p>",
            QStringLiteral("    outer        one\n        two\n\nafter\nline\n")},
        // Entities are decoded, and a literal no-break space becomes an ampersand.
        {"<p>Tom&nbsp;&amp; Jerry &lt;3</p>", QStringLiteral("Tom & Jerry <3\n")},
        {"<p>a\u00A0b</p>", QStringLiteral("a&b\n")},
        {"<p>a<!-- hidden -->b<![CDATA[c]]></p>", QStringLiteral("abc\n")},
        // An unclosed <br> is not XML: the tags are stripped from the page as received.
        {"<p>a<br>b &amp; c</p>", QStringLiteral("ab & c")},
    };
    for (const auto& row : rows) {
        const QString html = QStringLiteral("<html><body>%1</body></html>").arg(QString::fromUtf8(row.body));
        EXPECT_EQ(ConvertOnlineHtml2PlainText(html, {}), row.text) << row.body;
    }
    const QString metas = QStringLiteral("<html><head><meta name=\"Created\" content=\"2020-01-02T03:04:05.0000000\"/>"
                                         "<meta content=\"x\"/><meta name=\"other\" content=\"y\"/></head></html>");
    EXPECT_EQ(ConvertOnlineHtml2PlainText(metas, {}), QStringLiteral("2020-01-02 03:04:05\n\n"));
    EXPECT_EQ(ConvertOnlineHtml2PlainText(QString(), {}), QString());
}

} // namespace
