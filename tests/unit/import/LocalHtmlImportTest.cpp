#include "import/LocalHtmlImport.h"

#include "TempDir.h"
#include "export/LocalHtml.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 6), QTime(10, 30, 0));

// The part names the conversion wrote into the page, in order.
QStringList PartNames(const QString& html)
{
    static const QRegularExpression kPart(QStringLiteral("name:([0-9A-F-]{36})"));
    QStringList names;
    for (const QRegularExpressionMatch& match : kPart.globalMatch(html))
        names.append(match.captured(1));
    return names;
}

// A page saved in a folder of its own, with the files it refers to.
struct MSavedPage
{
    MTempDir dir;
    MAttachmentMap attachments;

    QString File(const QString& name, const QByteArray& bytes = "bytes") const { return dir.WriteFile(name, bytes); }
    QString PagePath(const QString& name = QStringLiteral("Page.html")) const { return dir.FilePath(name); }
    QString Convert(const QString& html, const QString& page = QStringLiteral("Page.html"))
    {
        return ConvertAttachmentsToHtml(html, PagePath(page), attachments);
    }
};

// Pictures beside the page by a relative path, with escaped blanks or backslashes, and missing ones,
// arrive through the emulator in the file import's and the round trip's tests; here the rest.
TEST(LocalHtmlImportTest, WebAndInlinePicturesStayAsWrittenAndAnAbsolutePathIsAPart)
{
    MSavedPage page;
    const QString logo = page.File(QStringLiteral("logo.gif"));
    const QString html = page.Convert(QStringLiteral(
        "<p><img src='http://example.com/a%20b.png?x=%22q%22'> <IMG SRC=https://cdn.example/z.png width=3>"
        "<img src=\"%1\" /></p><script src=\"gone.js\"></script><img src=\"data:image/gif;base64,R0lG\">")
                                          .arg(logo));
    // Web addresses are re-quoted, not decoded: the address must still point where it pointed.
    EXPECT_TRUE(html.contains(QStringLiteral("src=\"http://example.com/a%20b.png?x=%22q%22\">"))) << qPrintable(html);
    EXPECT_TRUE(html.contains(QStringLiteral("SRC=\"https://cdn.example/z.png\" width=3>")));
    // A missing script is no part; inline data stays inline.
    EXPECT_TRUE(html.contains(QStringLiteral("<script src=\"gone.js\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("src=\"data:image/gif;base64,R0lG\">")));
    const QStringList parts = PartNames(html);
    ASSERT_EQ(parts.size(), 1);
    EXPECT_EQ(page.attachments.value(parts.at(0)), logo);
}

TEST(LocalHtmlImportTest, EvernoteTenAttachmentBlocksGetTheirFileWhenItIsThere)
{
    MSavedPage page;
    const QString report = page.File(QStringLiteral("Trip files/report.pdf"));
    const QString block = QStringLiteral(
        "<div data-testid=\"attachment-block\" class=\"att\"><span>icon</span><div class=\"name\">%1</div>");
    const QString html = page.Convert(block.arg(QStringLiteral("report.pdf")) + QStringLiteral("<p>between</p>")
            + block.arg(QStringLiteral("lost.pdf")) + QStringLiteral("<p>end</p>"),
        QStringLiteral("Trip.html"));
    const QStringList parts = PartNames(html);
    ASSERT_EQ(parts.size(), 1) << qPrintable(html);
    EXPECT_EQ(page.attachments.value(parts.at(0)), report);
    EXPECT_TRUE(html.contains(block.arg(QStringLiteral("report.pdf"))
        + QStringLiteral("<object data-attachment=\"report.pdf\" data=\"name:%1\" /><p>between</p>").arg(parts.at(0))))
        << qPrintable(html);
    // The block whose file cannot be found stays as it was.
    EXPECT_TRUE(html.contains(block.arg(QStringLiteral("lost.pdf")) + QStringLiteral("<p>end</p>")));
}

TEST(LocalHtmlImportTest, YinXiangSevenLinksIntoItsFilesFolderBecomeAttachments)
{
    MSavedPage page;
    const QString sheet = page.File(QStringLiteral("读书笔记_files/书单 2024.xlsx"));
    page.File(QStringLiteral("读书笔记_files/cover.png"));
    const QString html = page.Convert(
        QStringLiteral("<html><head><meta name=\"exporter-version\" content=\"YXBJ Windows/607039; "
                       "EDAMVersion=V2;\"/></head><body>"
                       "<a href=\"%E8%AF%BB%E4%B9%A6%E7%AC%94%E8%AE%B0_files/%E4%B9%A6%E5%8D%95%202024.xlsx\">"
                       "<img alt=\"书单 2024.xlsx\" src=\"读书笔记_files/cover.png\"/></a>"
                       "<a href=\"https://www.yinxiang.com/\">elsewhere</a>"
                       "<a href=\"读书笔记_files/none.doc\"><img alt=\"none.doc\"/></a></body></html>"),
        QStringLiteral("读书笔记.html"));
    const QStringList parts = PartNames(html);
    ASSERT_EQ(parts.size(), 2) << qPrintable(html); // the cover picture and the sheet
    EXPECT_EQ(page.attachments.value(parts.at(1)), sheet);
    EXPECT_TRUE(html.contains(
        QStringLiteral("</a><object data-attachment=\"书单 2024.xlsx\" data=\"name:%1\" /><a href=\"https")
            .arg(parts.at(1))));
    EXPECT_EQ(html.count(QStringLiteral("<object")), 1);
}

TEST(LocalHtmlImportTest, NotionLinksIntoThePageFolderBecomeAttachmentsPercentEncodedOrNot)
{
    MSavedPage page;
    const QString minutes = page.File(QStringLiteral("会议 记录 9c1d/纪要.pdf"));
    const QString slides = page.File(QStringLiteral("会议 记录 9c1d/Slides Q3.pptx"));
    const QString html = page.Convert(
        QStringLiteral("<img src=\"https://s3-us-west-2.amazonaws.com/secure.notion-static.com/x.png\"/>"
                       "<a href=\"%E4%BC%9A%E8%AE%AE%20%E8%AE%B0%E5%BD%95%209c1d/%E7%BA%AA%E8%A6%81.pdf\">纪要</a>"
                       "<a href=\"会议 记录 9c1d/Slides%20Q3.pptx\">Slides</a><a href=\"Other%20Page.html\">other</a>"),
        QStringLiteral("会议 记录 9c1d.html"));
    const QStringList parts = PartNames(html);
    ASSERT_EQ(parts.size(), 2) << qPrintable(html);
    EXPECT_EQ(page.attachments.value(parts.at(0)), minutes);
    EXPECT_EQ(page.attachments.value(parts.at(1)), slides);
    EXPECT_TRUE(
        html.contains(QStringLiteral("纪要</a><object data-attachment=\"会议 记录 9c1d/纪要.pdf\" data=\"name:%1\" />")
                          .arg(parts.at(0))));
}

TEST(LocalHtmlImportTest, APageExportedByThisProgramLosesWhatTheExportAdded)
{
    MTempDir dir;
    const QString pagePath = dir.FilePath(QStringLiteral("Day one.html"));
    MLocalHtmlConverter exporter(QStringLiteral("https://maker.example"), [](const QString&, const QString& path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("saved") == 5;
    });
    const QString exported = exporter.ConvertOnlineHtml2LocalHtml(QString(),
        QStringLiteral(
            "<html><head><title>Day one</title><meta name=\"created\" content=\"2024-05-01T09:30:00.0000000\"/>"
            "</head><body><p data-tag=\"to-do\">Buy a card</p>"
            "<img id=\"img:{G1}{9}\" src=\"https://g/resources/r1/$value\" data-src-type=\"image/png\" "
            "data-fullres-src=\"https://g/resources/r1/$value\" />"
            "<object data-attachment=\"tickets.pdf\" type=\"application/pdf\" data=\"https://g/r2\" /></body></html>"),
        pagePath);
    ASSERT_TRUE(exported.contains(QStringLiteral("zephtitle")));

    // What the export added is gone again by the round trip's test against the emulator.
    MAttachmentMap attachments;
    const QString html = ConvertLocalHtml2OneNoteHtml(
        ConvertAttachmentsToHtml(exported, pagePath, attachments), QStringLiteral("Day one"), kNow);
    // The service is not sent looking for the full-resolution picture online.
    EXPECT_TRUE(html.contains(QStringLiteral("srco=\"https://g/resources/r1/$value\""))) << qPrintable(html);
    // The page's own title and time stay.
    EXPECT_EQ(html.count(QStringLiteral("<title>")), 1);
    EXPECT_TRUE(html.contains(QStringLiteral("content=\"2024-05-01T09:30:00.0000000\"")));
    EXPECT_FALSE(html.contains(QStringLiteral("2026-12-06")));
}

TEST(LocalHtmlImportTest, ThePageHeadGetsATitleAndATimeOnlyWhereItLacksThem)
{
    EXPECT_EQ(
        ConvertLocalHtml2OneNoteHtml(QStringLiteral("<HTML><HEAD><META charset=\"utf-8\"></HEAD><BODY>x</BODY></HTML>"),
            QStringLiteral("A<B & C"), kNow),
        QStringLiteral("<HTML><HEAD><META charset=\"utf-8\"><title>A&lt;B &amp; C</title>"
                       "<meta name=\"created\" content=\"2026-12-06T10:30:00-00:00\"/></HEAD><BODY>x</BODY></HTML>"));
    EXPECT_EQ(ConvertLocalHtml2OneNoteHtml(
                  QStringLiteral("<html><head><title>Own</title></head><body/></html>"), QStringLiteral("T"), kNow),
        QStringLiteral("<html><head><title>Own</title><meta name=\"created\" content=\"2026-12-06T10:30:00-00:00\"/>"
                       "</head><body/></html>"));
    // Without a head there is nowhere to put them.
    EXPECT_EQ(ConvertLocalHtml2OneNoteHtml(QStringLiteral("<p>just a fragment</p>"), QStringLiteral("T"), kNow),
        QStringLiteral("<p>just a fragment</p>"));
}

TEST(LocalHtmlImportTest, APageThatCameFromOneNoteGetsItsHeadAfterTheHtmlTagAndLosesItsBigTitle)
{
    const QString html = ConvertLocalHtml2OneNoteHtml(
        QStringLiteral("<html xmlns:one=\"http://schemas.microsoft.com/office/onenote/2013/onenote\" lang=\"en\">"
                       "<body><p><big>Meeting</big></p><p>notes</p></body></html>"),
        QStringLiteral("Meeting"), kNow);
    EXPECT_EQ(html,
        QStringLiteral(
            "<html xmlns:one=\"http://schemas.microsoft.com/office/onenote/2013/onenote\" lang=\"en\">"
            "<head><title>Meeting</title><meta name=\"created\" content=\"2026-12-06T10:30:00-00:00\"/></head>"
            "<body><p><p>notes</p></body></html>"));
}

// An unticked item arrives as a to-do in the file import's service test.
TEST(LocalHtmlImportTest, GoogleKeepTickedItemsAreDoneToDosAndItemsWithoutABoxStay)
{
    const QString html = ConvertGoogleKeepHtml2OneNoteHtml_Todo(
        QStringLiteral("<ul class=\"list\">\n  <li class=\"listitem checked\"><span class=\"bullet\">&#9745;</span>"
                       "<span class=\"text\">Eggs</span></li>\n  <li class=\"listitem\"><span class=\"text\">no "
                       "box</span></li>\n</ul>"));
    EXPECT_EQ(html,
        QStringLiteral("<ul class=\"list\">\n  <li class=\"listitem\"><p data-tag=\"to-do:completed\"><span "
                       "class=\"text\">Eggs</span></p></li>\n  <li class=\"listitem\"><span class=\"text\">no "
                       "box</span></li>\n</ul>"));
}

TEST(LocalHtmlImportTest, AQuotedAttributeValueWithoutItsEndQuoteHasNoEnd)
{
    EXPECT_EQ(GetTagNameEndPos(QStringLiteral("src=\"a.png"), 4), -1);
}

} // namespace
