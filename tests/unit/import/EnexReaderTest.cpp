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
    QList<MEnexNote> notes; // read ones
    QStringList steps; // "note Title", "skipped Title @line:column", "damaged @line:column"
    QList<MEnexProblem> problems;
    MEnexReader::Step last = MEnexReader::Step::End;
    qint64 count = 0;
};

QString At(const MEnexProblem& problem)
{
    return QStringLiteral("@%1:%2").arg(problem.line).arg(problem.column);
}

MReadAll ReadAllNotes(const QString& path)
{
    MReadAll result;
    MEnexReader reader(path);
    MEnexNote note;
    for (;;) {
        result.last = reader.NextNote(note);
        if (result.last == MEnexReader::Step::Note) {
            result.notes.append(note);
            result.steps.append(QStringLiteral("note ") + note.title);
        } else if (result.last == MEnexReader::Step::Skipped) {
            result.problems.append(reader.Problem());
            result.steps.append(QStringLiteral("skipped %1 %2").arg(note.title, At(reader.Problem())));
        } else if (result.last == MEnexReader::Step::Damaged) {
            result.problems.append(reader.Problem());
            result.steps.append(QStringLiteral("damaged ") + At(reader.Problem()));
        } else {
            break;
        }
    }
    result.count = reader.NoteCount();
    return result;
}

// The line (from 1) on which `marker` first stands in `text`.
qint64 LineOf(const QByteArray& text, const QByteArray& marker)
{
    return text.left(text.indexOf(marker)).count('\n') + 1;
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

TEST(EnexReader, CountsAndHandsOutOnlyTheRootsNotes)
{
    MTempDir dir;
    // Text, two notes, a comment, a foreign element and a note in another element: only the
    // direct notes are read and counted.
    const QByteArray inner = "\n  " + kSecondNote
        + "\n  <!-- exported -->\n  <notebook><note><title>Nested</title></note></notebook>\n  " + kSecondNote + "\n";
    const QString path = dir.WriteFile("mixed.enex", Enex(inner));
    const MReadAll all = ReadAllNotes(path);
    EXPECT_EQ(all.last, MEnexReader::Step::End);
    EXPECT_EQ(all.steps, (QStringList {"note Plain", "note Plain"}));
    EXPECT_EQ(all.count, 2);
    EXPECT_EQ(CountEnexNotes(path), 2);
    EXPECT_EQ(CountEnexNotes(dir.WriteFile("a.enex", "<en-export/>")), 0);
    EXPECT_EQ(CountEnexNotes(dir.WriteFile("b.enex", "<en-export> </en-export>")), 0);
}

TEST(EnexReader, FilesThatAreNoXmlExportAtAllCannotBeRead)
{
    MTempDir dir;
    const QList<QByteArray> unreadable {
        QByteArray(), "just some text, not XML", "\x89PNG\r\n\x1a\n\0\0\0binary",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE en-export>\n", // a prolog and no root
    };
    for (qsizetype i = 0; i < unreadable.size(); ++i) {
        const QString path = dir.WriteFile(QStringLiteral("unreadable%1.enex").arg(i), unreadable.at(i));
        EXPECT_EQ(CountEnexNotes(path), std::nullopt) << "case " << i;
        const MReadAll all = ReadAllNotes(path);
        EXPECT_EQ(all.last, MEnexReader::Step::Error) << "case " << i;
        EXPECT_TRUE(all.steps.isEmpty()) << "case " << i;
    }
    EXPECT_EQ(CountEnexNotes(dir.FilePath("missing.enex")), std::nullopt);
    EXPECT_EQ(CountEnexNotes(QString()), std::nullopt);
    MEnexReader reader(dir.FilePath("missing.enex"));
    MEnexNote note;
    EXPECT_EQ(reader.NextNote(note), MEnexReader::Step::Error);
    EXPECT_FALSE(reader.ErrorText().isEmpty());
    EXPECT_EQ(reader.NextNote(note), MEnexReader::Step::Error);
}

TEST(EnexReader, KnownExporterFaultsAreMended)
{
    MTempDir dir;
    // An unescaped "&" in application data (and in a title); a CDATA section nested in the content's
    // own, as Evernote 10 writes both; control characters XML forbids, raw and as references.
    const QByteArray ampersand = "<note><title>Tom & Jerry &amp; co</title><content><![CDATA[<en-note>a</en-note>]]>"
                                 "</content><note-attributes><application-data key=\"k\">x=1&y=2 &#38; &lt;"
                                 "</application-data></note-attributes></note>";
    const QByteArray nested = "<note><title>Nested</title><content><![CDATA[<en-note><div>keep <![CDATA[if (a]]b) "
                              "<x>]]> text</div></en-note>]]></content></note>";
    const QByteArray controls = "<note><title>Bell\x07 &#1;and&#x0B; tab\tline\nend&#9;</title>"
                                "<content><![CDATA[<en-note>c\x01</en-note>]]></content></note>";
    const QString path = dir.WriteFile("mended.enex",
        Enex(kSecondNote + "\n" + ampersand + "\n" + nested + "\n" + controls + "\n" + kSecondNote + "\n"));
    const MReadAll all = ReadAllNotes(path);
    ASSERT_EQ(all.last, MEnexReader::Step::End);
    EXPECT_EQ(all.steps,
        (QStringList {
            "note Plain", "note Tom & Jerry & co", "note Nested", "note Bell and tab line end ", "note Plain"}));
    ASSERT_EQ(all.notes.size(), 5);
    EXPECT_EQ(
        all.notes.at(2).content, QStringLiteral("<en-note><div>keep <![CDATA[if (a]]b) <x>]]> text</div></en-note>"));
    EXPECT_EQ(all.notes.at(3).content, QStringLiteral("<en-note>c</en-note>"));
    EXPECT_EQ(all.notes.at(4).content, QStringLiteral("<en-note>one two</en-note>")); // read on after them
    EXPECT_EQ(CountEnexNotes(path), 5);
}

TEST(EnexReader, AnUnreadableNoteCostsOnlyItselfAndIsNamedWithItsPlace)
{
    MTempDir dir;
    // Three kinds that cannot be mended: mismatched tags, a missing end tag, a CDATA section that
    // never ends. Each is passed over with its title where that was read, and the line and column
    // of its fault; the notes around them arrive whole.
    const QByteArray mismatched = "<note><title>Mismatched</title><content>x</contnt></note>";
    const QByteArray unclosed = "<note><title>Unclosed</title><content><![CDATA[<en-note/>]]></content>";
    const QByteArray endless = "<note><title>Endless</title><content><![CDATA[<en-note>never ends</content></note>";
    const QByteArray after = "<note><title>After</title><content>text</content></note>";
    const QByteArray enex = Enex(kFirstNote + "\n" + mismatched + "\n" + kSecondNote + "\n" + unclosed + "\n"
        + kSecondNote + "\n" + endless + "\n" + after + "\n");
    const QString path = dir.WriteFile("broken.enex", enex);
    const MReadAll all = ReadAllNotes(path);
    ASSERT_EQ(all.last, MEnexReader::Step::End);
    ASSERT_EQ(all.steps.size(), 7) << all.steps.join('|').toStdString();
    EXPECT_EQ(all.steps.at(0), QStringLiteral("note Groceries & <errands>"));
    EXPECT_TRUE(all.steps.at(1).startsWith(QStringLiteral("skipped Mismatched @%1:").arg(LineOf(enex, "</contnt>"))));
    EXPECT_EQ(all.steps.at(2), QStringLiteral("note Plain"));
    EXPECT_TRUE(all.steps.at(3).startsWith(QStringLiteral("skipped Unclosed @")));
    EXPECT_EQ(all.steps.at(4), QStringLiteral("note Plain"));
    EXPECT_TRUE(all.steps.at(5).startsWith(QStringLiteral("skipped Endless @")));
    EXPECT_EQ(all.steps.at(6), QStringLiteral("note After"));
    // The column is at the bad end tag (the parser names the place it stopped, at or after it).
    EXPECT_GE(all.problems.at(0).column, mismatched.indexOf("</contnt>") + 1);
    EXPECT_LE(all.problems.at(0).column, mismatched.indexOf("</note>") + 1);
    EXPECT_FALSE(all.problems.at(0).message.isEmpty());
    EXPECT_EQ(all.notes.at(0).resources.size(), 2); // the first note, before any fault, is whole
    EXPECT_EQ(all.notes.last().content, QStringLiteral("text"));
    EXPECT_EQ(all.count, 7);
    EXPECT_EQ(CountEnexNotes(path), 7);
}

TEST(EnexReader, ACutFileHandsOutTheNotesBeforeTheCutAndNamesTheCutOne)
{
    MTempDir dir;
    const QByteArray whole = Enex(kSecondNote + "\n" + kSecondNote + "\n" + kFirstNote + "\n");
    const QByteArray cut = whole.left(whole.indexOf("<resource>") + 40);
    const MReadAll inNote = ReadAllNotes(dir.WriteFile("cut.enex", cut));
    EXPECT_EQ(inNote.last, MEnexReader::Step::End);
    ASSERT_EQ(inNote.steps.size(), 3) << inNote.steps.join('|').toStdString();
    EXPECT_EQ(inNote.steps.mid(0, 2), (QStringList {"note Plain", "note Plain"}));
    EXPECT_TRUE(inNote.steps.at(2).startsWith(QStringLiteral("skipped Groceries & <errands> @")));
    EXPECT_EQ(CountEnexNotes(dir.FilePath("cut.enex")), 3);

    // Cut after a whole note: nothing is lost that can be named, but the cut is told.
    const QByteArray afterNote = whole.left(whole.lastIndexOf("</en-export>") - 1);
    const MReadAll between = ReadAllNotes(dir.WriteFile("between.enex", afterNote));
    EXPECT_EQ(between.steps.size(), 4) << between.steps.join('|').toStdString();
    EXPECT_TRUE(between.steps.last().startsWith(QStringLiteral("damaged @")));
    EXPECT_EQ(between.count, 3);
}

TEST(EnexReader, DamageBetweenNotesCostsNoNote)
{
    MTempDir dir;
    // A stray end tag between notes and text after the root. (An entity the unread document type
    // may declare is kept as written.)
    const QByteArray enex = kHeader + kSecondNote + "\n</stray>\n" + kSecondNote
        + "\n<note><title>&undefined;</title></note>\n" + kSecondNote + "\n</en-export>\ntrailing text\n";
    const MReadAll all = ReadAllNotes(dir.WriteFile("stray.enex", enex));
    EXPECT_EQ(all.last, MEnexReader::Step::End);
    ASSERT_EQ(all.steps.size(), 6) << all.steps.join('|').toStdString();
    EXPECT_EQ(all.steps.at(0), QStringLiteral("note Plain"));
    EXPECT_TRUE(all.steps.at(1).startsWith(QStringLiteral("damaged @%1:").arg(LineOf(enex, "</stray>"))));
    EXPECT_EQ(all.steps.at(2), QStringLiteral("note Plain"));
    EXPECT_EQ(all.steps.at(3), QStringLiteral("note &undefined;"));
    EXPECT_EQ(all.steps.at(4), QStringLiteral("note Plain"));
    EXPECT_TRUE(all.steps.at(5).startsWith(QStringLiteral("damaged @%1:").arg(LineOf(enex, "trailing"))));
    EXPECT_EQ(all.count, 4);
}

TEST(EnexReader, PlacesOfFaultsStayTrueFarIntoALargeFile)
{
    // Faults after many chunks and after earlier restarts are still named by the file's own lines.
    MTempDir dir;
    QByteArray inner;
    for (int i = 0; i < 4000; ++i) {
        inner += i % 1000 == 999
            ? "<note><title>Bad " + QByteArray::number(i) + "</title>\n<content>&</content>\n</note>\n"
            : "<note><title>Note</title><content>" + QByteArray(200, 'x') + "</content></note>\n";
    }
    const QByteArray enex = Enex(inner);
    const MReadAll all = ReadAllNotes(dir.WriteFile("far.enex", enex));
    ASSERT_EQ(all.notes.size(), 4000); // a lone "&" is mended, so every note arrives
    EXPECT_EQ(all.notes.at(999).title, QStringLiteral("Bad 999"));
    EXPECT_EQ(all.notes.at(999).content, QStringLiteral("&"));
    EXPECT_EQ(all.notes.at(3999).content, QStringLiteral("&"));

    QByteArray broken = enex;
    broken.replace("<content>&</content>", "<content>x</contnt>");
    const MReadAll skipped = ReadAllNotes(dir.WriteFile("farbroken.enex", broken));
    ASSERT_EQ(skipped.problems.size(), 4);
    qsizetype from = 0;
    for (const MEnexProblem& problem : skipped.problems) {
        from = broken.indexOf("</contnt>", from) + 1;
        EXPECT_EQ(problem.line, broken.left(from).count('\n') + 1) << problem.message.toStdString();
        EXPECT_EQ(problem.column, skipped.problems.first().column);
        // The parser's message names the line of the open tag (the same line here): a line of the file too.
        EXPECT_TRUE(problem.message.contains(QStringLiteral("content line %1").arg(problem.line)))
            << problem.message.toStdString();
    }
    EXPECT_EQ(skipped.count, 4000);
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
    EXPECT_EQ(all.count, 3000);
}
