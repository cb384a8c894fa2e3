#include "import/EnexConvert.h"

#include "app/MStrings.h"
#include "import/EnexPageSender.h"
#include "import/MEnexReader.h"

#include "TempDir.h"

#include "util/Digest.h"
#include "util/Formats.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

MEnexResource Resource(const QString& mime, const QByteArray& bytes, std::optional<QString> fileName = std::nullopt,
    std::optional<QString> sourceUrl = std::nullopt)
{
    MEnexResource resource;
    resource.mime = mime;
    // Line-wrapped as exporters write it.
    QByteArray base64 = bytes.toBase64();
    for (qsizetype at = 76; at < base64.size(); at += 77)
        base64.insert(at, '\n');
    resource.data = base64;
    resource.hasAttributes = fileName.has_value() || sourceUrl.has_value();
    resource.fileName = std::move(fileName);
    resource.sourceUrl = std::move(sourceUrl);
    return resource;
}

const QRegularExpression kUuidName(
    QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}(\\..*)?$"));

QString Enml(const QString& inner)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                          "<!DOCTYPE en-note SYSTEM \"http://xml.evernote.com/pub/enml2.dtd\">\n"
                          "<en-note>%1</en-note>\n")
        .arg(inner);
}

} // namespace

TEST(EnexResources, RecordsHashesOfDecodedBytesAndKeepDuplicates)
{
    const QByteArray png = QByteArray(300, '\x89') + "PNG body";
    MEnexNote note;
    note.resources = {
        Resource("image/png", png, QStringLiteral("first.png")),
        Resource("application/pdf", "%PDF-1.4", QStringLiteral(" report: final?.pdf\t")),
        Resource("image/png", png, QStringLiteral("second.png")),
    };
    const MResourceList list = RestoreImageAndGetHash(note);
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0).hashValue, MD5String(png));
    EXPECT_EQ(list.at(0).bytes, png);
    EXPECT_EQ(list.at(0).data, note.resources.at(0).data); // the Base64 text is kept as written
    EXPECT_TRUE(list.at(0).isImage);
    EXPECT_EQ(list.at(1).fileName, QStringLiteral("report final.pdf"));
    EXPECT_FALSE(list.at(1).isImage);
    EXPECT_EQ(list.at(2).hashValue, list.at(0).hashValue);
    EXPECT_EQ(getResouceObjFromListByHash(list, MD5String(png))->fileName, QStringLiteral("second.png"));
    EXPECT_EQ(getResouceObjFromListByHash(list, QStringLiteral("0123")), nullptr);
}

TEST(EnexResources, FileNamesFallBackToUuidsWithTheMimeSubtype)
{
    MEnexNote note;
    note.resources = {
        Resource("application/pdf", "a", QStringLiteral("?*<>|")), // only characters that are removed
        Resource("image/gif", "c"), // no attributes at all
        Resource("application", "d", QString()), Resource(QString(), "e"), // no mime element
    };
    const MResourceList list = RestoreImageAndGetHash(note);
    ASSERT_EQ(list.size(), 4);
    EXPECT_TRUE(kUuidName.match(list.at(0).fileName).hasMatch());
    EXPECT_TRUE(list.at(0).fileName.endsWith(QStringLiteral(".pdf")));
    EXPECT_TRUE(list.at(1).fileName.endsWith(QStringLiteral(".gif")));
    EXPECT_EQ(list.at(2).fileName.size(), 36);
    EXPECT_EQ(list.at(3).fileName.size(), 36);
    EXPECT_FALSE(list.at(3).isImage);
    EXPECT_NE(list.at(0).fileName, list.at(1).fileName);
}

TEST(EnexBody, EnMediaBecomesImagesAndAttachmentObjects)
{
    MEnexNote note;
    note.resources = {
        Resource("image/png", "png-bytes"),
        Resource("image/jpg", "jpg-bytes", QStringLiteral("photo.jpg")),
        Resource("application/pdf", "pdf-bytes", QStringLiteral("Q&A.pdf")),
    };
    const MResourceList list = RestoreImageAndGetHash(note);
    const QString png = list.at(0).hashValue;
    const QString jpg = list.at(1).hashValue;
    const QString pdf = list.at(2).hashValue;
    const QString enml = QStringLiteral("<en-media hash=\"%1\" type=\"image/png\"/>"
                                        "<en-media type=\"image/jpg\" hash=\"%2\"></en-media>"
                                        "<en-media hash=\"%3\" type=\"application/pdf\" />"
                                        "<en-media type=\"image/png\"/>"
                                        "<en-media hash=\"ffff\" type=\"image/png\"/>"
                                        "<en-media hash=\"%1\" type=\"image/png\"/>")
                             .arg(png, jpg, pdf);
    const QString out = ReplaceEnMediaImagesAttachments(enml, list);
    EXPECT_EQ(out,
        QStringLiteral(
            "<img src=\"name:%1\"  hash=\"%1\" type=\"image/png\"/>"
            "<object data=\"name:%2\" data-attachment=\"photo.jpg\"  type=\"image/jpg\" hash=\"%2\"></en-media>"
            "<object data=\"name:%3\" data-attachment=\"Q&amp;A.pdf\"  hash=\"%3\" type=\"application/pdf\" />"
            "<object data=\"name:ffff\" data-attachment=\"ffff\"  hash=\"ffff\" type=\"image/png\"/>"
            "<img src=\"name:%1\"  hash=\"%1\" type=\"image/png\"/>")
            .arg(png, jpg, pdf));
}

TEST(EnexBody, UnclosedEnMediaDoesNotHang)
{
    EXPECT_EQ(ReplaceEnMediaImagesAttachments(QStringLiteral("<p>x</p><en-media hash=\"a\""), {}),
        QStringLiteral("<p>x</p><en-media hash=\"a\""));
}

TEST(EnexBody, CachedImageSourcesPointAtTheirParts)
{
    MEnexNote note;
    note.resources = {Resource("image/png", "cached", std::nullopt, QStringLiteral("en-cache://abc+1"))};
    const MResourceList list = RestoreImageAndGetHash(note);
    const QString enml
        = QStringLiteral("<img alt=\"a\" src=\"en-cache://abc+1\"/><img src=\"https://example.com/a.png\"/>"
                         "<img src=\"en-cache://other\"/><img src=\"EN-CACHE://abc+1\">");
    EXPECT_EQ(ReplaceImgs(enml, list),
        QStringLiteral("<img alt=\"a\" src=\"name:%1\"/><img src=\"https://example.com/a.png\"/>"
                       "<img src=\"en-cache://other\"/><img src=\"EN-CACHE://abc+1\">")
            .arg(list.at(0).hashValue));
}

TEST(EnexBody, LeftPaddingsInPixelsBecomeSpaces)
{
    const QString nbsp = QStringLiteral("&nbsp;");
    EXPECT_EQ(HandleIndentWithSpaces(QStringLiteral("<div style=\"padding-left:80px;\">a</div>")),
        QStringLiteral("<div style=\"padding-left:80px;\">%1a</div>").arg(nbsp.repeated(8)));
    EXPECT_EQ(HandleIndentWithSpaces(QStringLiteral("<div style=\"padding-left: 120px\">a</div>")),
        QStringLiteral("<div style=\"padding-left: 120px\">%1a</div>").arg(nbsp.repeated(12)));
    for (const char* unchanged :
        {"<div style=\"padding-left:30px;\">a</div>", "<div style=\"padding-left:2em;\">a</div>",
            "<div style=\"margin-left:80px\">a</div>", "<div>a</div>", "<div style=\"padding-left:80px\""}) {
        EXPECT_EQ(HandleIndentWithSpaces(QString::fromLatin1(unchanged)), QString::fromLatin1(unchanged));
    }
    // Every div is looked at, nested ones included.
    EXPECT_EQ(HandleIndentWithSpaces(
                  QStringLiteral("<div style=\"padding-left:40px\"><div style=\"padding-left:40px\">b</div></div>")),
        QStringLiteral("<div style=\"padding-left:40px\">%1<div style=\"padding-left:40px\">%1b</div></div>")
            .arg(nbsp.repeated(4)));
}

TEST(EnexBody, EnNoteBecomesBodyWithToDoMarkup)
{
    EXPECT_EQ(
        ConvertEnNoteToBody(Enml(QStringLiteral("<div><en-todo checked=\"true\"/>Done</div>"
                                                "<div><en-todo checked=\"false\" />Open</div>"
                                                "<ul style=\"--en-todo:true;\"><li style=\"--en-checked:true;\">x</li>"
                                                "<li style=\"--en-checked:false;\">y</li></ul>"
                                                "<p>about en-note tags</p>"))),
        QStringLiteral("<body><div><div data-tag=\"to-do:completed\">Done</div>"
                       "<div><div data-tag=\"to-do\">Open</div>"
                       "<li data-tag=\"to-do:completed\">x</li><li data-tag=\"to-do\">y</li></ul>"
                       "<p>about en-note tags</p></body>")); // the words of the note stay as written
    EXPECT_EQ(ConvertEnNoteToBody(QStringLiteral("<div>no note element</div>")), QStringLiteral("<body</body>"));
    EXPECT_EQ(ConvertEnNoteToBody(QStringLiteral("<en-note style=\"x\">a</en-note><p>after</p>")),
        QStringLiteral("<body style=\"x\">a</body>"));
}

TEST(EnexBody, ResourcesNothingRefersToGoAtTheEndAndEmptyOnesNowhere)
{
    SetStringTableLanguage(QStringLiteral("en"));
    MEnexNote note;
    note.resources = {
        Resource("image/png", "shown-png"), // referenced by en-media
        Resource("image/gif", "loose-gif", QStringLiteral("loose.gif")),
        Resource("application/pdf", "loose-pdf", QStringLiteral("Q&A.pdf")),
        Resource("image/gif", "loose-gif", QStringLiteral("again.gif")), // same bytes: one part name, shown once
        Resource("image/png", "", QStringLiteral("empty.png")), // referenced, but empty
        Resource("application/pdf", "", QStringLiteral("blank.pdf")),
    };
    note.resources[5].data = "@@@@="; // undecodable
    const MResourceList list = RestoreImageAndGetHash(note);
    note.content = Enml(QStringLiteral("<div>text</div><en-media hash=\"%1\" type=\"image/png\"/>"
                                       "<en-media hash=\"%2\" type=\"image/png\"/>")
                            .arg(list.at(0).hashValue, list.at(4).hashValue));
    const QString html = ConvertNoteToPageHtml(note, list, false, QDateTime::currentDateTime());
    EXPECT_TRUE(html.endsWith(
        QStringLiteral("<div>text</div><img src=\"name:%1\"  hash=\"%1\" type=\"image/png\"/>"
                       "<div><img src=\"name:%2\" /></div>"
                       "<div><object data=\"name:%3\" data-attachment=\"Q&amp;A.pdf\" type=\"application/pdf\" /></div>"
                       "</body></html>")
            .arg(list.at(0).hashValue, list.at(1).hashValue, list.at(2).hashValue)))
        << html.toStdString();
    EXPECT_FALSE(html.contains(list.at(4).hashValue)); // an empty resource is named nowhere
    MResourceList cached = list;
    cached[4].resourceUrl = QStringLiteral("en-cache://empty");
    EXPECT_EQ(ReplaceImgs(QStringLiteral("<img src=\"en-cache://empty\"/>"), cached),
        QStringLiteral("<img src=\"en-cache://empty\"/>"));

    QStringList sent;
    for (const MPagePart& part : PartsFromResources(list))
        sent.append(QString::fromUtf8(part.bytes));
    EXPECT_EQ(sent, (QStringList {"shown-png", "loose-gif", "loose-pdf", "loose-gif"}));
    EXPECT_EQ(EmptyResourceWarnings(list),
        (QStringList {"attachment 'empty.png' is empty", "attachment 'blank.pdf' cannot be decoded"}));
}

TEST(EnexBody, EncryptedBlocksAndNestedCDataStayVisible)
{
    SetStringTableLanguage(QStringLiteral("en"));
    MEnexNote note;
    note.content = Enml(QStringLiteral("<div>before</div><en-crypt hint=\"my &quot;dog&quot; &lt;3\" cipher=\"AES\" "
                                       "length=\"128\">RU5DMAvZ+a/b==</en-crypt><en-crypt>QUJD</en-crypt>"
                                       "<div>code: <![CDATA[if (a < b) { x(); }]]></div>"));
    const QString html = ConvertNoteToPageHtml(note, {}, false, QDateTime::currentDateTime());
    EXPECT_TRUE(html.contains(QStringLiteral("<p>Encrypted text (hint: my \"dog\" &lt;3)</p>"
                                             "<p style=\"font-family:Consolas,monospace\">RU5DMAvZ+a/b==</p></div>")))
        << html.toStdString();
    EXPECT_TRUE(
        html.contains(QStringLiteral("<p>Encrypted text</p><p style=\"font-family:Consolas,monospace\">QUJD</p>")));
    EXPECT_FALSE(html.contains(QStringLiteral("en-crypt")));
    EXPECT_TRUE(html.contains(QStringLiteral("<div>code: if (a &lt; b) { x(); }</div>")));
    // An encrypted block left open is left as it is rather than eating the rest of the note.
    EXPECT_EQ(ReplaceEnCrypt(QStringLiteral("<en-crypt hint=\"h\">abc")), QStringLiteral("<en-crypt hint=\"h\">abc"));
}

TEST(EnexDates, BothFormsParseAsUtc)
{
    const QDateTime expected(QDate(2023, 1, 31), QTime(8, 9, 10), QTimeZone::utc());
    EXPECT_EQ(ConvertEverNoteDate2ON(QStringLiteral("20230131T080910Z")), expected);
    EXPECT_EQ(ConvertEverNoteDate2ON(QStringLiteral("2023-01-31T08:09:10.000Z")), expected);
    EXPECT_EQ(ConvertEverNoteDate2ON(QStringLiteral("2023-01-31 08:09:10.000Z")), expected);
    for (const char* bad : {"", "yesterday", "20230131T080910", "2023-01-31T08:09:10Z", "20231331T080910Z"})
        EXPECT_FALSE(ConvertEverNoteDate2ON(QString::fromLatin1(bad)).has_value()) << bad;
}

// Unreadable or missing dates use the fallback; indents only when asked.
TEST(EnexPage, DatesFallBackAndIndentsOnlyWhenAsked)
{
    const QDateTime fallback(QDate(2024, 5, 6), QTime(7, 8, 9), QTimeZone::utc());
    MEnexNote note;
    note.content = Enml(QString());
    const QString meta = QStringLiteral("content=\"%1\"").arg(FormatDateForOneNote(fallback));
    EXPECT_TRUE(ConvertNoteToPageHtml(note, {}, false, fallback).contains(meta));
    note.created = QStringLiteral("garbage");
    EXPECT_TRUE(ConvertNoteToPageHtml(note, {}, false, fallback).contains(meta));

    note.content = Enml(QStringLiteral("<div style=\"padding-left:40px;\">x</div>"));
    EXPECT_FALSE(ConvertNoteToPageHtml(note, {}, false, fallback).contains(QStringLiteral("&nbsp;")));
    EXPECT_TRUE(ConvertNoteToPageHtml(note, {}, true, fallback).contains(QStringLiteral("&nbsp;")));
}

TEST(EnexMissing, ADanglingReferenceIsALineAndARewrittenHashIsPairedOnlyWithTheOneUnnamedResourceOfItsType)
{
    SetStringTableLanguage(QStringLiteral("en"));
    // As Evernote 10.58 writes it: no encoding attribute, and a hash that is not the MD5 of the bytes.
    const MTempDir dir;
    const QString file = dir.WriteFile(QStringLiteral("n.enex"),
        "<en-export><note><title>T</title><content><![CDATA[<en-note><div>keep <![CDATA[if (a < b) x();]]]]><![CDATA[> "
        "this</div><en-media hash=\"ac91cc69aaaabbbbccccddddeeeeffff\" type=\"application/json\"/></en-note>]]>"
        "</content><resource><data>eyAidGVzdCI6IDEyMyB9</data><mime>application/json</mime><width>0</width>"
        "<height>0</height><resource-attributes><file-name>test.json</file-name><attachment>false</attachment>"
        "</resource-attributes></resource></note></en-export>");
    MEnexNote note;
    MEnexReader reader(file);
    ASSERT_EQ(reader.NextNote(note), MEnexReader::Step::Note);
    const MResourceList list = RestoreImageAndGetHash(note);
    ASSERT_EQ(list.at(0).bytes, QByteArray("{ \"test\": 123 }"));
    const QString jpeg = QStringLiteral("Missing attachment (image/jpeg, 33c6ed66…)");
    const struct
    {
        const char* extraTag; // a second en-media naming no resource, or none
        QStringList lines; // the Missing attachment lines
    } cases[] = {{"", {}},
        {"<en-media hash=\"33c6ed66a1b2c3d4e5f6\" type=\"image/jpeg\"/>",
            {QStringLiteral("Missing attachment (application/json, ac91cc69…)"), jpeg}},
        {"<en-media hash=\"99990000\" type=\"application/json\"/>",
            {QStringLiteral("Missing attachment (application/json, ac91cc69…)"),
                QStringLiteral("Missing attachment (application/json, 99990000)")}}};
    for (const auto& c : cases) {
        MEnexNote variant = note;
        variant.content.replace(QStringLiteral("</en-note>"), QLatin1String(c.extraTag) + QStringLiteral("</en-note>"));
        QStringList missing;
        const QString page
            = WithoutMissingParts(ConvertNoteToPageHtml(variant, list, false, QDateTime::currentDateTime()),
                PartsFromResources(list), {}, &missing);
        EXPECT_EQ(missing, c.lines) << c.extraTag;
        for (const QString& line : c.lines)
            EXPECT_TRUE(page.contains(QStringLiteral("<p style=\"color:#808080\">%1</p>").arg(line)));
        EXPECT_TRUE(page.contains(QStringLiteral("<div>keep if (a &lt; b) x(); this</div>"))) << qPrintable(page);
        // Paired, the resource stands where the tag was; otherwise it goes at the end; once either way.
        const QString object = QStringLiteral("<object data=\"name:ece7798fd1b3ac73b19f554ff6982012\" "
                                              "data-attachment=\"test.json\"");
        EXPECT_EQ(page.count(object), 1) << qPrintable(page);
        EXPECT_EQ(page.contains(QStringLiteral("<div>") + object), !c.lines.isEmpty()) << c.extraTag;
    }
}
