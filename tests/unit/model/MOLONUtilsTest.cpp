#include "model/MOLONUtils.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

TEST(OneNoteLink, PageId)
{
    EXPECT_EQ(PageIdFromLink(S("onenote:https://x/S.one#T&section-id={S1}&page-id={P1}&object-id={O1}&3C")), S("P1"));
    EXPECT_EQ(PageIdFromLink(S("https://x/S.one?page-id=P1&end")), S("P1"));
    EXPECT_EQ(PageIdFromLink(S("onenote:https://x/S.one#T&section-id={S1}")), S(""));
}

TEST(OneNoteLink, ObjectId)
{
    EXPECT_EQ(
        ObjectIdFromLink(S("onenote:https://x#T&page-id={P}&object-id={abc}&3C&base-path=https://x")), S("abc}&3C"));
    EXPECT_EQ(ObjectIdFromLink(S("onenote:https://x#T&page-id={P}&object-id={abc}&3C")), S("{abc}&3C"));
    EXPECT_EQ(ObjectIdFromLink(S("onenote:https://x#T&page-id={P}")), S(""));
}

TEST(ParagraphId, LinkFormToElementForm)
{
    EXPECT_EQ(ObjectIdToElementId(S("{abc}&0A")), S("{abc}{10}"));
    EXPECT_EQ(ObjectIdToElementId(S("abc&0A")), S("{abc}{10}"));
    // The object field of a link with a base path loses its opening brace to the field marker; the
    // element id must still read {abc}{60}, or same-page paragraph links never resolve.
    EXPECT_EQ(ObjectIdToElementId(ObjectIdFromLink(S("onenote:https://x#T&object-id={abc}&3C&base-path=https://x"))),
        S("{abc}{60}"));
    EXPECT_EQ(ObjectIdToElementId(S("{abc}&zz")), S("{abc}{0}"));
    EXPECT_EQ(ObjectIdToElementId(S("{abc}")), S("{abc}{0}"));
}

TEST(ParagraphId, ElementFormToLinkForm)
{
    EXPECT_EQ(ElementIdToObjectId(S("{abc}{5}")), S("abc&05"));
    EXPECT_EQ(ElementIdToObjectId(S("{abc}{60}")), S("abc&3C"));
    EXPECT_EQ(ElementIdToObjectId(S("{abc}{255}")), S("abc&FF"));
    EXPECT_EQ(ElementIdToObjectId(S("{abc}{4096}")), S("abc&1000"));
    // Round trip through both forms.
    EXPECT_EQ(ObjectIdToElementId(ElementIdToObjectId(S("{G-1}{77}"))), S("{G-1}{77}"));
}

TEST(ParagraphId, InsertIntoPageLink)
{
    const QString page = S("onenote:https://x/S.one#Title&section-id={S}&page-id={P}&end");
    EXPECT_EQ(InsertObjectIdIntoLink(page, S("p:{abc}{60}")),
        S("onenote:https://x/S.one#Title&section-id={S}&page-id={P}&object-id=abc&3C"));
}

TEST(HexToInt, LeadingDigitsOnly)
{
    EXPECT_EQ(HexToInt(S("3C")), 60);
    EXPECT_EQ(HexToInt(S("ff&x")), 255);
    EXPECT_EQ(HexToInt(S("g1")), 0);
    EXPECT_EQ(HexToInt(S("")), 0);
    EXPECT_GT(HexToInt(S("FFFFFFFFFFFFFFFF")), 0); // stops before it overflows
}

TEST(Ampersands, ProtectAndDecode)
{
    const QString html = S("<a href=\"https://x?a=1&b=2\">A &amp; B</a>");
    const QString protectedHtml = ProtectAmpersands(html);
    EXPECT_FALSE(protectedHtml.contains(QLatin1Char('&')));
    EXPECT_EQ(UnprotectAmpersands(protectedHtml), html);
    EXPECT_EQ(DecodeAmpEntities(S("a&amp;b&amp;amp;")), S("a&b&amp;"));
}

TEST(OneNoteLinkOpener, ReplaceableHandler)
{
    struct MRecordingOpener final : MLinkOpener
    {
        QStringList links;
        void OpenLink(const QString& link) override { links.append(link); }
    };
    auto opener = std::make_shared<MRecordingOpener>();
    SetLinkOpener(opener);
    OpenLinkInOneNote(S("onenote:https://d.docs.live.net/A/N#T&page-id={P}&end"));
    SetLinkOpener(nullptr);
    OpenLinkInOneNote(S("onenote:https://ignored"));
    EXPECT_EQ(opener->links, QStringList {S("onenote:https://d.docs.live.net/A/N#T&page-id={P}&end")});
    EXPECT_EQ(OneNoteLinkWebPart(opener->links.value(0)), S("https://d.docs.live.net/A/N#T&page-id={P}&end"));
}
