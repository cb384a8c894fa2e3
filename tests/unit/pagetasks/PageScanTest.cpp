// What the page tasks read out of one page's HTML: search hits, tag items, attachments.
#include "app/MStrings.h"
#include "pagetasks/MListAttachmentsTask.h"
#include "pagetasks/MListTagsTask.h"
#include "pagetasks/MSearchTask.h"

#include <gtest/gtest.h>

namespace {

const QString kPageLink = QStringLiteral("onenote:https://d/Doc/S.one#P&section-id={S1}&page-id={P1}&end");

QString Page(const QString& body)
{
    return QStringLiteral(
        "<html><head><title>Trip</title><meta name=\"created\" content=\"2024-05-01T09:30:00.0000000\" "
        "/></head><body><div id=\"div:{g}{1}\" data-id=\"_default\">%1</div></body></html>")
        .arg(body);
}

QStringList Texts(const MSearchPageScan& scan)
{
    QStringList texts;
    for (const MSearchHit& hit : scan.elements)
        texts.append(hit.text);
    return texts;
}

} // namespace

TEST(SearchScan, APageMatchesByItsTextAloneNeverByItsMarkup)
{
    const QString html = Page(QStringLiteral(
        "<style>p { color: navy }</style><p style=\"font-family:Calibri\" data-tag=\"to-do\">Buy <span>car</span>pet "
        "and <b>tea</b></p><p>lamp</p><p>shade</p><img src=\"https://x/resources/9/$value\" alt=\"TAXI 12 EUR\" />"));
    const struct
    {
        const char* search;
        bool matched;
    } cases[] = {
        {"Calibri", false},
        {"navy", false},
        {"carpet tea", true},
        {"lampshade", false},
        {"shade lamp", true},
        {"taxi eur", true},
        {"Trip", true},
        {"tea coffee", false},
        {"created", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            MSearchTask::SearchIn_APageHtml(html, kPageLink, QString::fromUtf8(c.search), false).matched, c.matched)
            << c.search;
    }
    // A page that is not XML is read with its markup taken out.
    const QString broken = QStringLiteral("<p class=\"x\">not <b>xml</p><style>b { }</style>");
    EXPECT_TRUE(MSearchTask::SearchIn_APageHtml(broken, kPageLink, QStringLiteral("not xml"), false).matched);
    EXPECT_FALSE(MSearchTask::SearchIn_APageHtml(broken, kPageLink, QStringLiteral("class"), false).matched);
}

TEST(SearchScan, ElementTextsAreReadAsTheUserSeesThemWithPercentEscapesDecoded)
{
    const QString html
        = Page(QStringLiteral("<p>Locker %41%42 code</p><p>Fish &amp; chips</p><p>Save 20% today</p>"
                              "<li>Outer <p>inner note</p></li><img id=\"img:{g}{9}\" alt=\"TAXI RECEIPT 12 EUR\" />"));
    EXPECT_EQ(Texts(MSearchTask::SearchIn_APageHtml(html, kPageLink, QStringLiteral("&"), true)),
        QStringList {QStringLiteral("Fish & chips")});
    // A percent sign that is no escape leaves the text as it is, still found.
    EXPECT_EQ(Texts(MSearchTask::SearchIn_APageHtml(html, kPageLink, QStringLiteral("20%"), true)),
        QStringList {QStringLiteral("Save 20% today")});
    // A list item holding a matching paragraph gives two rows; the page title is an element too.
    EXPECT_EQ(Texts(MSearchTask::SearchIn_APageHtml(html, kPageLink, QStringLiteral("inner"), false)),
        QStringList({QStringLiteral("Outer inner note"), QStringLiteral("inner note")}));
    EXPECT_EQ(Texts(MSearchTask::SearchIn_APageHtml(html, kPageLink, QStringLiteral("trip"), false)),
        QStringList {QStringLiteral("Trip")});

    const QList<MSearchHit> image
        = MSearchTask::SearchIn_APageHtml(html, kPageLink, QStringLiteral("taxi"), false).elements;
    ASSERT_EQ(image.size(), 1);
    EXPECT_EQ(image[0].kind, MNodeKind::RecognisedText);
    EXPECT_TRUE(image[0].link.contains(QLatin1String("object-id=g&09")));

    EXPECT_TRUE(
        MSearchTask::SearchIn_APageHtml(QStringLiteral("<p>not <b>xml</p>"), kPageLink, QStringLiteral("xml"), false)
            .elements.isEmpty());
}

TEST(SearchScan, TitlesMatchAsOnePieceInAnyCaseUnlessTheCaseMustMatch)
{
    EXPECT_FALSE(MSearchTask::TitleMatches(QStringLiteral("PACKING CHECKLIST"), QStringLiteral("packing"), true));
    EXPECT_FALSE(
        MSearchTask::TitleMatches(QStringLiteral("PACKING CHECKLIST"), QStringLiteral("checklist packing"), false));
}

TEST(TagScan, AnElementWithTwoTagsGivesTwoItemsAndReadableText)
{
    const QString html
        = Page(QStringLiteral("<p id=\"p:{g}{2}\" data-tag=\"to-do:completed,important\">Visa &amp; "
                              "passport &lt;blue folder&gt;</p><div><p data-tag=\"to-do\">Nested</p></div>"));
    const QList<MTagItem> items = MListTagsTask::ListTagsInAPageHtml(
        kPageLink, QStringLiteral("P1"), QStringLiteral("Trip"), html, QStringLiteral("B/S/Trip"));
    // Icons, readable text and breadcrumbs are checked on the service's pages by the tags service test.
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].name, QStringLiteral("to-do"));
    EXPECT_TRUE(items[0].completed);
    EXPECT_EQ(items[0].symbol, 1);
    EXPECT_EQ(items[1].name, QStringLiteral("important"));
    EXPECT_FALSE(items[1].completed);
    EXPECT_EQ(items[1].symbol, 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(items[i].dataTag, QStringLiteral("to-do:completed,important"));
        EXPECT_TRUE(items[i].link.endsWith(QLatin1String("&object-id=g&02")));
    }
    EXPECT_EQ(items[2].text, QStringLiteral("Nested"));
    EXPECT_EQ(items[2].link, kPageLink) << "without an id the page's link stands in";
}

TEST(AttachmentScan, EveryAttachedFileInDocumentOrderSameNamesIncluded)
{
    const QString html = Page(QStringLiteral(
        "<p>First: <object data-attachment=\"receipt.pdf\" type=\"application/pdf\" data=\"https://g/r/1/$value\" "
        "/></p>"
        "<object data-attachment=\"receipt.pdf\" type=\"application/pdf\" data=\"https://g/r/2/$value\" />"
        "<object data-attachment=\"R&amp;D.txt\" type=\"text/plain\" data=\"https://g/r/3/$value?a=1&amp;b=2\" />"));
    const QList<MAttachment> items = MListAttachmentsTask::ListAttachmentsInAPageHtml(
        QStringLiteral("P1"), QStringLiteral("Trip"), html, QStringLiteral("B/S/Trip"));
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[1].data, QStringLiteral("https://g/r/2/$value"));
    EXPECT_EQ(items[2].name, QStringLiteral("R&D.txt"));
    EXPECT_EQ(items[2].data, QStringLiteral("https://g/r/3/$value?a=1&b=2"));
    EXPECT_EQ(items[2].atype, QStringLiteral("text/plain"));
    EXPECT_TRUE(items[2].downloadIt);
    EXPECT_EQ(AttachmentFileName(items[2]), QStringLiteral("Trip_R&D.txt"));
}

TEST(AttachmentTicks, ReverseCheckByTypeAndTypesGiven)
{
    QList<MAttachment> items(4);
    items[0].atype = items[1].atype = QStringLiteral("application/pdf");
    items[2].atype = QStringLiteral("image/png");
    items[3].atype = QStringLiteral("text/plain");

    CheckAllItems(items, MCheckAll::Reverse);
    for (const MAttachment& item : items)
        EXPECT_FALSE(item.downloadIt) << "reverse on a fully ticked list unticks all";
    CheckByFileType(items);
    for (const MAttachment& item : items)
        EXPECT_FALSE(item.downloadIt) << "by type with nothing ticked changes nothing";

    items[1].downloadIt = true;
    items[3].downloadIt = true;
    CheckByFileType(items);
    EXPECT_TRUE(items[0].downloadIt);
    EXPECT_FALSE(items[2].downloadIt);
    EXPECT_TRUE(items[3].downloadIt);

    CheckTypes(items, {QStringLiteral("IMAGE/PNG")});
    EXPECT_EQ(std::count_if(items.begin(), items.end(), [](const MAttachment& i) { return i.downloadIt; }), 1);
    CheckTypes(items, {});
    EXPECT_TRUE(std::all_of(items.begin(), items.end(), [](const MAttachment& i) { return i.downloadIt; }));
}
