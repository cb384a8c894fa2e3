#include "export/LocalHtml.h"
#include "TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

const QString kPageLink = QStringLiteral("onenote:https://d/S.one#T&section-id={S1}&page-id={PAGE1}&end");

struct MConversion
{
    QStringList downloads; // "url -> path"
    bool succeed = true;

    QString Convert(const QString& html, const QString& link = kPageLink, const QString& page = "/out/S/Page.html")
    {
        MLocalHtmlConverter converter(
            QStringLiteral("http://icons.example"), [this](const QString& url, const QString& path) {
                downloads.append(url + QStringLiteral(" -> ") + path);
                return succeed;
            });
        return converter.ConvertOnlineHtml2LocalHtml(link, html, page);
    }
};

QString Page(const QString& title, const QString& body)
{
    return QStringLiteral(
        "<html><head><title>%1</title><meta name=\"created\" content=\"2015-07-22T09:00:00.0000000\"/>"
        "</head><body>%2</body></html>")
        .arg(title, body);
}

// Tag icons, date blocks, resources beside the page and an anchor for a link to the same page are
// checked on exported pages in the export's service tests; here the cases those pages do not hold.
TEST(LocalHtmlTest, EdgesOfTagsTitlesAndLinksToParagraphs)
{
    MConversion c;
    // Several tags stay one file name; an untitled page shows a real no-break space, not the "&" a
    // protected one would turn into.
    EXPECT_TRUE(c.Convert(Page("T", "<p data-tag=\"important,idea\">x</p>"))
                    .contains(QStringLiteral("apptags/important,idea.png")));
    EXPECT_TRUE(c.Convert(Page("", "")).contains(QStringLiteral("#ccc;\">&nbsp;</div>")));
    const QString body = QStringLiteral(
        "<p id=\"p:{ABC}{60}\">target</p>"
        "<a href=\"onenote:https://d/S.one#T&amp;page-id={page1}&amp;object-id={ABC}&amp;3C&amp;end\">same</a>"
        "<a href=\"onenote:https://d/S.one#T&amp;page-id={PAGE1}&amp;object-id={MISSING}&amp;3C&amp;end\">gone</a>");
    const QString html = c.Convert(Page("T", body));
    EXPECT_TRUE(html.contains(QStringLiteral("<a href=\"#p:{ABC}{60}\">same</a>"))) << qPrintable(html);
    EXPECT_TRUE(html.contains(QStringLiteral("object-id={MISSING}")));
    // Without the page's own link nothing counts as the same page.
    EXPECT_FALSE(c.Convert(Page("T", body), QString()).contains(QStringLiteral("href=\"#")));
}

TEST(LocalHtmlTest, ImagesAndAttachmentsAreFetchedBesideThePageAndReferredToRelatively)
{
    MTempDir dir;
    MConversion c;
    c.succeed = false; // a failed download still leaves the local reference
    const QString page = dir.FilePath(QStringLiteral("S/My #1.html"));
    const QString body
        = QStringLiteral("<img id=\"img:{G1}{9}\" src=\"https://g/resources/r1/$value\" data-src-type=\"image/png\" />"
                         "<img src=\"https://g/resources/noid/$value\" data-src-type=\"image/png\" />"
                         "<object data-attachment=\"../R&amp;D 50%.pdf\" type=\"application/pdf\" "
                         "data=\"https://g/resources/r2/$value\" />");
    const QString html = c.Convert(Page("T", body), kPageLink, page);
    const QString folder = dir.FilePath(QStringLiteral("S/My #1.files"));
    ASSERT_EQ(c.downloads.size(), 2);
    EXPECT_EQ(c.downloads.at(0), QStringLiteral("https://g/resources/r1/$value -> ") + folder + "/{G1}{9}.png");
    // The attachment's own name cannot climb out of the folder.
    EXPECT_EQ(c.downloads.at(1), QStringLiteral("https://g/resources/r2/$value -> ") + folder + "/.._R&D 50%.pdf");
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_TRUE(html.contains(QStringLiteral("src=\"My %231.files/{G1}{9}.png\""))) << qPrintable(html);
    EXPECT_TRUE(html.contains(QStringLiteral("src=\"https://g/resources/noid/$value\"")));
    EXPECT_TRUE(html.contains(QStringLiteral("data=\"My %231.files/.._R&amp;D 50%25.pdf\"")));
    EXPECT_TRUE(html.contains(QStringLiteral("<a href=\"My %231.files/.._R&amp;D 50%25.pdf\">../R&amp;D 50%.pdf</a>")));
}

TEST(LocalHtmlTest, APageWithoutABodyOrThatIsNotXmlIsLeftAsItIs)
{
    MConversion c;
    EXPECT_FALSE(c.Convert(QStringLiteral("<html><head/><div>x</div></html>")).contains(QStringLiteral("zephtitle")));
    EXPECT_EQ(c.Convert(QStringLiteral("<p>a<br>b</p>")), QStringLiteral("<p>a<br>b</p>"));
}

} // namespace
