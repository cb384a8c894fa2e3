#include "import/MEnexReader.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE en-export SYSTEM \"http://xml.evernote.com/pub/evernote-export3.dtd\">\n"
                           "<en-export export-date=\"20230105T101500Z\" application=\"Evernote\" version=\"10.50\">\n";

const QByteArray kFirstNote = R"(<note>
    <title>Groceries &amp; &lt;errands&gt;</title>
    <created>20221231T235959Z</created>
    <updated>20230101T000000Z</updated>
    <tag>Home</tag>
    <tag>Weekly</tag>
    <note-attributes><author>me</author></note-attributes>
    <content><![CDATA[<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<!DOCTYPE en-note SYSTEM "http://xml.evernote.com/pub/enml2.dtd">
<en-note><div>Milk</div><en-media hash="5d41402abc4b2a76b9719d911017c592" type="image/png"/></en-note>]]></content>
    <resource>
      <data encoding="base64">aGVs
bG8=</data>
      <mime>image/png</mime>
      <width>10</width>
      <resource-attributes><file-name>hello.png</file-name><source-url>en-cache://tokenKey%3D%22AuthToken%22+1</source-url></resource-attributes>
    </resource>
    <resource>
      <data encoding="base64">d29ybGQ=</data>
      <mime>application/pdf</mime>
    </resource>
  </note>)";

const QByteArray kSecondNote
    = R"(<note><title>Plain</title><content><![CDATA[<en-note>one]]><![CDATA[ two</en-note>]]></content></note>)";

QByteArray Enex(const QByteArray& inner)
{
    return kHeader + inner + "</en-export>\n";
}

struct MReadAll
{
    QList<MEnexNote> notes;
    MEnexReader::Step last = MEnexReader::Step::End;
    qint64 children = 0;
};

MReadAll ReadAllNotes(const QString& path)
{
    MReadAll result;
    MEnexReader reader(path);
    MEnexNote note;
    while ((result.last = reader.NextNote(note)) == MEnexReader::Step::Note)
        result.notes.append(note);
    result.children = reader.RootChildCount();
    return result;
}

} // namespace

TEST(EnexReader, ReadsNotesWithTheirFieldsAndResources)
{
    MTempDir dir;
    const QString path = dir.WriteFile("export.enex", Enex("  " + kFirstNote + "\n  " + kSecondNote + "\n"));
    const MReadAll all = ReadAllNotes(path);
    ASSERT_EQ(all.last, MEnexReader::Step::End);
    ASSERT_EQ(all.notes.size(), 2);

    const MEnexNote& first = all.notes.at(0);
    EXPECT_EQ(first.title, QStringLiteral("Groceries & <errands>"));
    EXPECT_EQ(first.created, QStringLiteral("20221231T235959Z"));
    EXPECT_EQ(first.firstTag, QStringLiteral("Home"));
    EXPECT_TRUE(first.content.startsWith(QStringLiteral("<?xml version=\"1.0\"")));
    EXPECT_TRUE(first.content.contains(QStringLiteral("<en-media hash=\"5d41402abc4b2a76b9719d911017c592\"")));
    ASSERT_EQ(first.resources.size(), 2);
    EXPECT_EQ(first.resources.at(0).mime, QStringLiteral("image/png"));
    EXPECT_EQ(first.resources.at(0).data, QByteArray("aGVs\nbG8="));
    EXPECT_TRUE(first.resources.at(0).hasAttributes);
    EXPECT_EQ(first.resources.at(0).fileName, QStringLiteral("hello.png"));
    EXPECT_EQ(first.resources.at(0).sourceUrl, QStringLiteral("en-cache://tokenKey%3D%22AuthToken%22+1"));
    EXPECT_FALSE(first.resources.at(1).hasAttributes);
    EXPECT_FALSE(first.resources.at(1).fileName.has_value());
    EXPECT_GT(first.sourceBytes, 0);

    const MEnexNote& second = all.notes.at(1);
    EXPECT_EQ(second.content, QStringLiteral("<en-note>one two</en-note>")); // both CDATA sections
    EXPECT_FALSE(second.created.has_value());
    EXPECT_FALSE(second.firstTag.has_value());
    EXPECT_TRUE(second.resources.isEmpty());
}

TEST(EnexReader, CountsEveryRootChildNodeButHandsOutOnlyNotes)
{
    MTempDir dir;
    // Text, two notes, a comment, a foreign element and a note in another element: the text nodes
    // (white space included), the comment and the foreign element count, only direct notes are read.
    const QByteArray inner = "\n  " + kSecondNote
        + "\n  <!-- exported -->\n  <notebook><note><title>Nested</title></note></notebook>\n  " + kSecondNote + "\n";
    const QString path = dir.WriteFile("mixed.enex", Enex(inner));
    const MReadAll all = ReadAllNotes(path);
    EXPECT_EQ(all.last, MEnexReader::Step::End);
    ASSERT_EQ(all.notes.size(), 2);
    EXPECT_EQ(all.notes.at(0).title, QStringLiteral("Plain"));
    EXPECT_EQ(all.notes.at(1).title, QStringLiteral("Plain"));
    EXPECT_EQ(all.children, 9);
    EXPECT_EQ(CountEnexRootChildren(path), 9);
}

TEST(EnexReader, EmptyRootsHaveNoChildren)
{
    MTempDir dir;
    EXPECT_EQ(CountEnexRootChildren(dir.WriteFile("a.enex", "<en-export/>")), 0);
    EXPECT_EQ(CountEnexRootChildren(dir.WriteFile("b.enex", "<en-export></en-export>")), 0);
    EXPECT_EQ(CountEnexRootChildren(dir.WriteFile("c.enex", "<en-export> </en-export>")), 1);
}

TEST(EnexReader, MalformedFilesAreErrorsNotCrashes)
{
    MTempDir dir;
    const QByteArray whole = Enex(kFirstNote + kSecondNote);
    const QList<QByteArray> broken {
        QByteArray(),
        "just some text, not XML",
        "\x89PNG\r\n\x1a\n\0\0\0binary",
        whole.left(whole.indexOf("<resource>") + 40), // cut inside a note
        whole.left(whole.size() - 8), // cut inside the closing root tag
        kHeader + kSecondNote, // root never closed
        Enex(kSecondNote) + "<trailing/>", // a second root element
        Enex("<note><title>a</titel></note>"), // mismatched tags
        // Without a document type line nothing can declare the entity.
        "<en-export><note><title>&undefined;</title></note></en-export>",
        // Entities declared in the file are never expanded, so nested ones cannot blow up.
        "<!DOCTYPE en-export [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
        "<en-export><note><title>&b;</title></note></en-export>",
    };
    for (qsizetype i = 0; i < broken.size(); ++i) {
        const QString path = dir.WriteFile(QStringLiteral("broken%1.enex").arg(i), broken.at(i));
        EXPECT_EQ(CountEnexRootChildren(path), std::nullopt) << "case " << i;
        EXPECT_EQ(ReadAllNotes(path).last, MEnexReader::Step::Error) << "case " << i;
    }
    EXPECT_EQ(CountEnexRootChildren(dir.FilePath("missing.enex")), std::nullopt);
    EXPECT_EQ(CountEnexRootChildren(QString()), std::nullopt);
}

TEST(EnexReader, NotesBeforeABreakAreStillHandedOut)
{
    MTempDir dir;
    const QString path = dir.WriteFile("late.enex", kHeader + kSecondNote + kSecondNote + "<note><title>cut");
    MEnexReader reader(path);
    MEnexNote note;
    EXPECT_EQ(reader.NextNote(note), MEnexReader::Step::Note);
    EXPECT_EQ(reader.NextNote(note), MEnexReader::Step::Note);
    EXPECT_EQ(reader.NextNote(note), MEnexReader::Step::Error);
    EXPECT_FALSE(reader.ErrorText().isEmpty());
    EXPECT_EQ(reader.NextNote(note), MEnexReader::Step::Error);
}

TEST(EnexReader, ResourcesLargerThanTheParserDefaultLimitAreReadWhole)
{
    MTempDir dir;
    const QByteArray data(12 * 1024 * 1024, 'A');
    const QString path = dir.WriteFile("big.enex",
        Enex("<note><title>Big</title><content/><resource><data>" + data
            + "</data><mime>image/png</mime></resource></note>"));
    const MReadAll all = ReadAllNotes(path);
    ASSERT_EQ(all.last, MEnexReader::Step::End);
    ASSERT_EQ(all.notes.size(), 1);
    ASSERT_EQ(all.notes.at(0).resources.size(), 1);
    EXPECT_EQ(all.notes.at(0).resources.at(0).data.size(), data.size());
}

TEST(EnexReader, NotesAcrossManyChunksArriveWholeAndInOrder)
{
    // Enough notes that elements, entities and CDATA sections fall across the reader's chunk edges.
    MTempDir dir;
    QByteArray inner;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray n = QByteArray::number(i);
        inner += "<note><title>Note " + n + " &amp; co</title><content><![CDATA[<en-note>" + QByteArray(i % 97, 'x')
            + "</en-note>]]></content><resource><data>" + QByteArray(i % 300, 'Q')
            + "</data><mime>image/png</mime></resource></note>\n";
    }
    const QString path = dir.WriteFile("many.enex", Enex(inner));
    const MReadAll all = ReadAllNotes(path);
    ASSERT_EQ(all.last, MEnexReader::Step::End);
    ASSERT_EQ(all.notes.size(), 3000);
    for (int i = 0; i < 3000; ++i) {
        const MEnexNote& note = all.notes.at(i);
        ASSERT_EQ(note.title, QStringLiteral("Note %1 & co").arg(i));
        ASSERT_EQ(note.content, QStringLiteral("<en-note>%1</en-note>").arg(QString(i % 97, QLatin1Char('x'))));
        ASSERT_EQ(note.resources.size(), 1);
        ASSERT_EQ(note.resources.at(0).data.size(), i % 300);
    }
    EXPECT_EQ(all.children, 6001); // the line break after the root tag, then each note and its line break
}
