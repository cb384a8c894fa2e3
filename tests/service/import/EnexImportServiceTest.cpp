#include "import/EvernoteImport.h"

#include "ImportServiceFixture.h"
#include "account/AuthorizedCall.h"
#include "account/MAccount.h"
#include "model/MNotebookNode.h"
#include "net/ServiceRequest.h"
#include "tasks/MPageList.h"
#include "util/Digest.h"
#include "util/TextUtils.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// A small PNG-looking and a PDF-looking payload; the service keeps parts as bytes.
const QByteArray kImage = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(5000, '\x42');
const QByteArray kPdf = "%PDF-1.4\n% attached\n%%EOF\n";

QByteArray Wrapped(const QByteArray& bytes)
{
    const QByteArray base64 = bytes.toBase64();
    QByteArray out;
    for (qsizetype at = 0; at < base64.size(); at += 76)
        out += base64.mid(at, 76) + "\n";
    return out;
}

QByteArray Note(const QByteArray& title, const QList<QByteArray>& tags = {}, bool withResources = false)
{
    QByteArray content = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                         "<!DOCTYPE en-note SYSTEM \"http://xml.evernote.com/pub/enml2.dtd\">\n"
                         "<en-note><div>Body of "
        + title + "</div>";
    if (withResources) {
        content += "<div><en-media hash=\"" + MD5String(kImage).toUtf8() + "\" type=\"image/png\"/></div>"
            + "<div><en-media hash=\"" + MD5String(kPdf).toUtf8() + "\" type=\"application/pdf\"/></div>";
    }
    content += "</en-note>";
    QByteArray xml = "<note><title>" + title + "</title><content><![CDATA[" + content
        + "]]></content><created>20230105T101500Z</created>";
    for (const QByteArray& tag : tags)
        xml += "<tag>" + tag + "</tag>";
    if (withResources) {
        xml += "<resource><data encoding=\"base64\">" + Wrapped(kImage)
            + "</data><mime>image/png</mime><resource-attributes><file-name>view.png</file-name>"
              "</resource-attributes></resource>"
            + "<resource><data encoding=\"base64\">" + Wrapped(kPdf)
            + "</data><mime>application/pdf</mime><resource-attributes><file-name>tickets.pdf</file-name>"
              "</resource-attributes></resource>";
    }
    return xml + "</note>";
}

QByteArray Enex(const QList<QByteArray>& notes)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<!DOCTYPE en-export SYSTEM \"http://xml.evernote.com/pub/evernote-export3.dtd\">\n"
                     "<en-export export-date=\"20230105T101500Z\" application=\"Evernote\" version=\"10.50\">\n";
    for (const QByteArray& note : notes)
        xml += note + "\n";
    return xml + "</en-export>\n";
}

// The demo's notebooks, signed in as its personal account.
class EnexImportService : public ImportServiceTest
{
protected:
    void SetUp() override { StartWith(MServiceFixture::DemoFixture()); }

    MNotebookNode* Node(const QStringList& path) { return ImportServiceTest::Node(path.join(QLatin1Char('/'))); }

    MEvernoteImportResult Import(const QByteArray& enex, bool tagMode)
    {
        settings.enexFileName = app.WriteFile(QStringLiteral("import.enex"), enex);
        settings.createTagSections = tagMode;
        MEvernoteTarget target = ChooseEvernoteTarget(*tree, tagMode);
        settings.parentUrlSaveTo = target.parentUrl;
        return ImportEnexRun(settings, *target.sections);
    }

    // The ids of the pages of a section by title, from the emulator's state.
    QMap<QString, QString> PageIds(const QString& sectionName) const
    {
        QMap<QString, QString> ids;
        for (const QJsonObject& page : StatePages(sectionName))
            ids.insert(page.value(QStringLiteral("title")).toString(), page.value(QStringLiteral("id")).toString());
        return ids;
    }

    // The MD5 of every image and attachment a page shows, read back through the service as any
    // reader of the page would: its content, then each resource it names.
    QStringList ResourceDigestsOnPage(const QString& pageId)
    {
        QStringList digests;
        OnWorker([&] {
            const std::optional<QString> content
                = GetAuthorizedText(*account, PageContentUrl(account->BaseUrl(), pageId), 30);
            ASSERT_TRUE(content.has_value());
            static const QRegularExpression kResource(QStringLiteral("(?:src|data)=\"([^\"]+/resources/[^\"]+)\""));
            QStringList urls; // an image names its resource in more than one attribute
            for (const QRegularExpressionMatch& match : kResource.globalMatch(*content))
                urls.append(match.captured(1));
            urls.removeDuplicates();
            for (const QString& url : urls) {
                const MHttpResponse answer = SendAuthorized(*account, ServiceRequest("GET", url, 30));
                digests.append(MD5String(answer.body.value_or(QByteArray())));
            }
        });
        digests.sort();
        return digests;
    }

    MEvernoteImportSettings settings;
};

} // namespace

TEST_F(EnexImportService, TagSectionsAreReusedCreatedAndFoldedByCase)
{
    MNotebookNode* notebook = Node({"Travel Journal"});
    notebook->checked = true;
    Node({"Travel Journal", "Packing lists"})->checked = true;
    // "Empty section" is not ticked: the notebook's section of that name is reused all the same.
    settings.from = 1;
    settings.to = 100;
    const MEvernoteImportResult result
        = Import(Enex({Note("a", {"packing LISTS"}), Note("b", {"Trips", "Other"}), Note("c"), Note("d", {"TRIPS"}),
                     Note("e", {"empty SECTION"}), Note("f")}),
            true);

    EXPECT_EQ(StateTitles(QStringLiteral("Packing lists")).mid(3), QStringList {"a"}); // after the fixture's 3
    EXPECT_EQ(StateTitles(QStringLiteral("Trips")), (QStringList {"b", "d"}));
    EXPECT_EQ(StateTitles(QStringLiteral("NoTag")), (QStringList {"c", "f"}));
    EXPECT_EQ(StateTitles(QStringLiteral("Empty section")), QStringList {"e"});
    EXPECT_EQ(Posts(QStringLiteral("/sections")).size(), 2u); // Trips and NoTag, no second empty section
    EXPECT_EQ(result.newSectionCount, 2);
    EXPECT_EQ(result.success, 6);
    EXPECT_EQ(result.failure, 0);
    EXPECT_EQ(pacer.UploadWaits(), 6 + 2); // after every page and every attempt at a section
}

TEST_F(EnexImportService, AWildFileImportsEveryReadableNoteWithAllItsResources)
{
    Node({"Travel Journal", "Empty section"})->checked = true;
    settings.from = 1;
    settings.to = 100;
    const QByteArray looseImage = QByteArray("GIF89a", 6) + QByteArray(300, '\x07');
    const QByteArray loosePdf = "%PDF-1.7\n% nobody refers to me\n%%EOF\n";
    const QByteArray plain = "<?xml version=\"1.0\"?><en-note><div>text</div></en-note>";
    auto resource = [](const QByteArray& bytes, const QByteArray& mime, const QByteArray& name,
                        const QByteArray& encoding = " encoding=\"base64\"") {
        return "<resource><data" + encoding + ">" + Wrapped(bytes) + "</data><mime>" + mime
            + "</mime><resource-attributes><file-name>" + name + "</file-name></resource-attributes></resource>";
    };
    const QByteArray enex = Enex({
        // Referenced image and PDF, and an image nothing refers to.
        Note("Wild one", {}, true).replace("</note>", resource(looseImage, "image/gif", "loose.gif") + "</note>"),
        // An unescaped "&" in the application data, and a referenced image whose data names no encoding.
        "<note><title>Wild two</title><content><![CDATA[<en-note><en-media hash=\"" + MD5String(kImage).toUtf8()
            + "\" type=\"image/png\"/></en-note>]]></content><note-attributes><application-data key=\"k\">a & b"
              "</application-data></note-attributes>"
            + resource(kImage, "image/png", "view.png", "") + "</note>",
        "<note><title>Wild three</title><content>broken</contnt></note>",
        // A nested CDATA section, a PDF nothing refers to, an empty resource, an encrypted block.
        "<note><title>Wild four</title><content><![CDATA[<en-note><div>four <![CDATA[kept]]></div>"
        "<en-crypt hint=\"pet\">U2FsdGVk</en-crypt></en-note>]]></content>"
            + resource(loosePdf, "application/pdf", "loose.pdf") + resource("", "image/png", "empty.png") + "</note>",
        "<note><title>Wild five</title><content><![CDATA[" + plain + "]]></content></note>",
    });
    const MEvernoteImportResult result = Import(enex, false);

    EXPECT_EQ(
        StateTitles(QStringLiteral("Empty section")), (QStringList {"Wild one", "Wild two", "Wild four", "Wild five"}));
    EXPECT_EQ(result.success, 4);
    EXPECT_EQ(result.failure, 1);
    EXPECT_EQ(result.warnings, 1);
    const qint64 brokenLine = enex.left(enex.indexOf("</contnt>")).count('\n') + 1;
    EXPECT_TRUE(result.result.contains(
        QStringLiteral("\n3: Wild three ... Failure (skipped, it cannot be read at line %1, column ").arg(brokenLine)))
        << result.result.toStdString();
    EXPECT_TRUE(
        result.result.contains(QStringLiteral("4: Wild four ... Success\n    attachment 'empty.png' is empty")));

    const QMap<QString, QString> ids = PageIds(QStringLiteral("Empty section"));
    auto sorted = [](QStringList list) {
        list.sort();
        return list;
    };
    EXPECT_EQ(ResourceDigestsOnPage(ids.value(QStringLiteral("Wild one"))),
        sorted({MD5String(kImage), MD5String(kPdf), MD5String(looseImage)}));
    EXPECT_EQ(ResourceDigestsOnPage(ids.value(QStringLiteral("Wild two"))), QStringList {MD5String(kImage)});
    EXPECT_EQ(ResourceDigestsOnPage(ids.value(QStringLiteral("Wild four"))), QStringList {MD5String(loosePdf)});
    EXPECT_TRUE(ResourceDigestsOnPage(ids.value(QStringLiteral("Wild five"))).isEmpty());
}
