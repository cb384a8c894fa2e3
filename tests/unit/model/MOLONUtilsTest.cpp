#include "model/MOLONUtils.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The desktop opens a link's web part.
TEST(OneNoteLink, PageIdObjectIdAndWebPart)
{
    EXPECT_EQ(PageIdFromLink(u"onenote:https://x/S.one#T&section-id={S1}&page-id={P1}&object-id={O1}&3C"_s), u"P1"_s);
    EXPECT_EQ(PageIdFromLink(u"https://x/S.one?page-id=P1&end"_s), u"P1"_s);
    EXPECT_EQ(PageIdFromLink(u"onenote:https://x/S.one#T&section-id={S1}"_s), u""_s);
    EXPECT_EQ(
        ObjectIdFromLink(u"onenote:https://x#T&page-id={P}&object-id={abc}&3C&base-path=https://x"_s), u"abc}&3C"_s);
    EXPECT_EQ(ObjectIdFromLink(u"onenote:https://x#T&page-id={P}&object-id={abc}&3C"_s), u"{abc}&3C"_s);
    EXPECT_EQ(ObjectIdFromLink(u"onenote:https://x#T&page-id={P}"_s), u""_s);
    EXPECT_EQ(OneNoteLinkWebPart(u"onenote:https://d.docs.live.net/A/N#T&page-id={P}&end"_s),
        u"https://d.docs.live.net/A/N#T&page-id={P}&end"_s);
}

TEST(ParagraphId, LinkFormAndElementFormAndTheirHexNumbers)
{
    EXPECT_EQ(ObjectIdToElementId(u"{abc}&0A"_s), u"{abc}{10}"_s);
    EXPECT_EQ(ObjectIdToElementId(u"abc&0A"_s), u"{abc}{10}"_s);
    // The object field of a link with a base path loses its opening brace to the field marker; the
    // element id must still read {abc}{60}, or same-page paragraph links never resolve.
    EXPECT_EQ(ObjectIdToElementId(ObjectIdFromLink(u"onenote:https://x#T&object-id={abc}&3C&base-path=https://x"_s)),
        u"{abc}{60}"_s);
    EXPECT_EQ(ObjectIdToElementId(u"{abc}&zz"_s), u"{abc}{0}"_s);
    EXPECT_EQ(ObjectIdToElementId(u"{abc}"_s), u"{abc}{0}"_s);
    EXPECT_EQ(ElementIdToObjectId(u"{abc}{5}"_s), u"abc&05"_s);
    EXPECT_EQ(ElementIdToObjectId(u"{abc}{4096}"_s), u"abc&1000"_s);
    // Round trip through both forms.
    EXPECT_EQ(ObjectIdToElementId(ElementIdToObjectId(u"{G-1}{77}"_s)), u"{G-1}{77}"_s);
    EXPECT_EQ(HexToInt(u"ff&x"_s), 255);
    EXPECT_EQ(HexToInt(u"g1"_s), 0);
    EXPECT_GT(HexToInt(u"FFFFFFFFFFFFFFFF"_s), 0); // stops before it overflows
}

TEST(Ampersands, ProtectAndDecode)
{
    const QString html = u"<a href=\"https://x?a=1&b=2\">A &amp; B</a>"_s;
    const QString protectedHtml = ProtectAmpersands(html);
    EXPECT_FALSE(protectedHtml.contains(QLatin1Char('&')));
    EXPECT_EQ(UnprotectAmpersands(protectedHtml), html);
    EXPECT_EQ(DecodeAmpEntities(u"a&amp;b&amp;amp;"_s), u"a&b&amp;"_s);
}
