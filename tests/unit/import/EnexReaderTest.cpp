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

// Reads `enex` written to a file of its own.
MReadAll Read(const QByteArray& enex)
{
    const MTempDir dir;
    return ReadAllNotes(dir.WriteFile(QStringLiteral("in.enex"), enex));
}

} // namespace

TEST(EnexReader, FilesThatAreNoXmlExportAtAllCannotBeRead)
{
    MTempDir dir;
    const QList<QByteArray> unreadable {
        QByteArray(), "\x89PNG\r\n\x1a\n\0\0\0binary",
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
    MEnexReader reader(dir.FilePath("missing.enex"));
    MEnexNote note;
    EXPECT_EQ(reader.NextNote(note), MEnexReader::Step::Error);
    EXPECT_FALSE(reader.ErrorText().isEmpty());
    EXPECT_EQ(reader.NextNote(note), MEnexReader::Step::Error);
}

// Each file read to its end: the notes handed out, the ones passed over with their title and the
// place of their fault, the damage told between notes, and the count, which the counting agrees with.
TEST(EnexReader, EveryFaultCostsOnlyItsNoteAndIsNamedWithItsPlace)
{
    // Only the root's own notes count: not text, comments or a note inside another element.
    const QByteArray roots = Enex("\n  " + kSecondNote
        + "\n  <!-- exported -->\n  <notebook><note><title>Nested</title></note></notebook>\n  " + kSecondNote + "\n");
    // Mended: an unescaped "&" in application data (and in a title); a CDATA section nested in the
    // content's own, as Evernote 10 writes both; control characters XML forbids, raw and as references.
    const QByteArray ampersand = "<note><title>Tom & Jerry &amp; co</title><content><![CDATA[<en-note>a</en-note>]]>"
                                 "</content><note-attributes><application-data key=\"k\">x=1&y=2 &#38; &lt;"
                                 "</application-data></note-attributes></note>";
    const QByteArray nested = "<note><title>Nested</title><content><![CDATA[<en-note><div>keep <![CDATA[if (a]]b) "
                              "<x>]]> text</div></en-note>]]></content></note>";
    const QByteArray controls = "<note><title>Bell\x07 &#1;and&#x0B; tab\tline\nend&#9;</title>"
                                "<content><![CDATA[<en-note>c\x01</en-note>]]></content></note>";
    const QByteArray mended
        = Enex(kSecondNote + "\n" + ampersand + "\n" + nested + "\n" + controls + "\n" + kSecondNote + "\n");
    // Not mended: mismatched tags, a missing end tag, a CDATA section that never ends.
    const QByteArray mismatched = "<note><title>Mismatched</title><content>x</contnt></note>";
    const QByteArray broken = Enex(kFirstNote + "\n" + mismatched + "\n" + kSecondNote + "\n"
        + "<note><title>Unclosed</title><content><![CDATA[<en-note/>]]></content>\n" + kSecondNote + "\n"
        + "<note><title>Endless</title><content><![CDATA[<en-note>never ends</content></note>\n"
        + "<note><title>After</title><content>text</content></note>\n");
    // Cut inside a note, and after a whole one: nothing is lost that can be named, but the cut is told.
    const QByteArray whole = Enex(kSecondNote + "\n" + kSecondNote + "\n" + kFirstNote + "\n");
    // A stray end tag between notes and text after the root. (An entity the unread document type
    // may declare is kept as written.)
    const QByteArray stray = kHeader + kSecondNote + "\n</stray>\n" + kSecondNote
        + "\n<note><title>&undefined;</title></note>\n" + kSecondNote + "\n</en-export>\ntrailing text\n";
    const QString plain = QStringLiteral("note Plain");
    const QString groceries = QStringLiteral("note Groceries & <errands>");
    const struct
    {
        const char* name;
        QByteArray enex;
        QStringList steps; // each step starts so
        qint64 count;
    } files[] = {
        {"roots", roots, {plain, plain}, 2},
        {"mended", mended, {plain, "note Tom & Jerry & co", "note Nested", "note Bell and tab line end ", plain}, 5},
        {"broken", broken,
            {groceries, QStringLiteral("skipped Mismatched @%1:").arg(LineOf(broken, "</contnt>")), plain,
                "skipped Unclosed @", plain, "skipped Endless @", "note After"},
            7},
        {"cut in a note", whole.left(whole.indexOf("<resource>") + 40),
            {plain, plain, "skipped Groceries & <errands> @"}, 3},
        {"cut after a note", whole.left(whole.lastIndexOf("</en-export>") - 1), {plain, plain, groceries, "damaged @"},
            3},
        {"stray", stray,
            {plain, QStringLiteral("damaged @%1:").arg(LineOf(stray, "</stray>")), plain, "note &undefined;", plain,
                QStringLiteral("damaged @%1:").arg(LineOf(stray, "trailing"))},
            4},
    };
    for (const auto& file : files) {
        const MTempDir dir;
        const QString path = dir.WriteFile(QStringLiteral("in.enex"), file.enex);
        const MReadAll all = ReadAllNotes(path);
        EXPECT_EQ(all.last, MEnexReader::Step::End) << file.name;
        ASSERT_EQ(all.steps.size(), file.steps.size()) << file.name << ": " << all.steps.join('|').toStdString();
        for (qsizetype i = 0; i < all.steps.size(); ++i)
            EXPECT_TRUE(all.steps[i].startsWith(file.steps[i])) << file.name << ": " << all.steps[i].toStdString();
        EXPECT_EQ(all.count, file.count) << file.name;
        EXPECT_EQ(CountEnexNotes(path), file.count) << file.name;
    }

    const MReadAll read = Read(mended);
    EXPECT_EQ(
        read.notes.at(2).content, QStringLiteral("<en-note><div>keep <![CDATA[if (a]]b) <x>]]> text</div></en-note>"));
    EXPECT_EQ(read.notes.at(3).content, QStringLiteral("<en-note>c</en-note>"));
    EXPECT_EQ(read.notes.at(4).content, QStringLiteral("<en-note>one two</en-note>")); // read on after them
    const MReadAll skipped = Read(broken);
    // The column is at the bad end tag (the parser names the place it stopped, at or after it).
    EXPECT_GE(skipped.problems.at(0).column, mismatched.indexOf("</contnt>") + 1);
    EXPECT_LE(skipped.problems.at(0).column, mismatched.indexOf("</note>") + 1);
    EXPECT_FALSE(skipped.problems.at(0).message.isEmpty());
    EXPECT_EQ(skipped.notes.at(0).resources.size(), 2); // the first note, before any fault, is whole
    EXPECT_EQ(skipped.notes.last().content, QStringLiteral("text"));
}

// Enough notes that elements, entities and CDATA sections fall across the reader's chunk edges, a
// resource past the XML parser's default limit, lone "&"s mended by reading again, and faults after
// many chunks and those restarts: every note arrives whole and in order, every fault keeps its place.
TEST(EnexReader, ALargeFileArrivesWholeAndItsFaultsKeepTheirPlaces)
{
    const int big = 12 * 1024 * 1024;
    QByteArray inner;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray content
            = i % 1000 == 500 ? "&" : "<![CDATA[<en-note>" + QByteArray(i % 97, 'x') + "</en-note>]]>";
        inner += i % 1000 == 999
            ? "<note><title>Bad " + n + "</title>\n<content>x</contnt>\n</note>\n"
            : "<note><title>Note " + n + " &amp; co</title><content>" + content + "</content><resource><data>"
                + QByteArray(i == 1200 ? big : i % 300, 'Q') + "</data><mime>image/png</mime></resource></note>\n";
    }
    const QByteArray enex = Enex(inner);
    const MReadAll all = Read(enex);
    ASSERT_EQ(all.last, MEnexReader::Step::End);
    ASSERT_EQ(all.notes.size(), 2997);
    for (int i = 0, n = 0; i < 3000; ++i) {
        if (i % 1000 == 999)
            continue;
        const MEnexNote& note = all.notes.at(n++);
        ASSERT_EQ(note.title, QStringLiteral("Note %1 & co").arg(i));
        ASSERT_EQ(note.content,
            i % 1000 == 500 ? QStringLiteral("&")
                            : QStringLiteral("<en-note>%1</en-note>").arg(QString(i % 97, QLatin1Char('x'))));
        ASSERT_EQ(note.resources.size(), 1);
        ASSERT_EQ(note.resources.at(0).data.size(), i == 1200 ? big : i % 300);
    }
    ASSERT_EQ(all.problems.size(), 3);
    qsizetype from = 0;
    for (const MEnexProblem& problem : all.problems) {
        from = enex.indexOf("</contnt>", from) + 1;
        EXPECT_EQ(problem.line, enex.left(from).count('\n') + 1) << problem.message.toStdString();
        EXPECT_EQ(problem.column, all.problems.first().column);
        // The parser's message names the line of the open tag (the same line here): a line of the file too.
        EXPECT_TRUE(problem.message.contains(QStringLiteral("content line %1").arg(problem.line)))
            << problem.message.toStdString();
    }
    EXPECT_EQ(all.count, 3000);
}
