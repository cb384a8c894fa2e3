#include "import/EvernoteImport.h"

#include "RecordingReporter.h"
#include "TempDir.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "tasks/MTaskContext.h"

#include <gtest/gtest.h>

namespace {

QByteArray NoteXml(const QString& title, const QStringList& tags = {}, const QByteArray& resource = {})
{
    QByteArray xml = "<note><title>" + title.toUtf8() + "</title><content><![CDATA[<en-note><div>" + title.toUtf8()
        + "</div></en-note>]]></content><created>20230101T120000Z</created>";
    for (const QString& tag : tags)
        xml += "<tag>" + tag.toUtf8() + "</tag>";
    return xml + resource + "</note>";
}

QByteArray Enex(const QList<QByteArray>& children)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<en-export>\n";
    for (const QByteArray& child : children)
        xml += "  " + child + "\n";
    return xml + "</en-export>\n";
}

struct MCall
{
    QString kind; // "section" or "page"
    QString url;
    QString name;
    QString html;
    qsizetype resources = 0;
};

// Records what the import would send; sections whose name is in `failSections` are not created.
class MFakeSender final : public MEnexPageSender
{
public:
    QList<MCall> calls;
    QStringList failSections;

    QString CreateSection(const QString& parentUrl, const QString& name, QString* failure) override
    {
        calls.append({QStringLiteral("section"), parentUrl, name});
        if (failSections.contains(name)) {
            *failure = QStringLiteral("HTTP 409, 20154: exists");
            return QString();
        }
        return parentUrl + QStringLiteral("/sections/") + name;
    }
    MCreationOutcome CreatePage(
        const QString& sectionUrl, const QString& title, const QString& html, const MResourceList& resources) override
    {
        calls.append({QStringLiteral("page"), sectionUrl, title, html, resources.size()});
        MCreationOutcome outcome;
        outcome.code = kCreationCreated;
        return outcome;
    }
    QList<MCall> Pages() const
    {
        QList<MCall> pages;
        for (const MCall& call : calls) {
            if (call.kind == QLatin1String("page"))
                pages.append(call);
        }
        return pages;
    }
};

class EvernoteImport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetStringTableLanguage(QStringLiteral("en"));
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
        settings.parentUrlSaveTo = QStringLiteral("https://h/sections/1-target");
        settings.from = 1;
        settings.to = 1000;
    }

    MEvernoteImportResult Run(const QByteArray& enex)
    {
        settings.enexFileName = dir.WriteFile(QStringLiteral("in.enex"), enex);
        return ThreadImportRun(context, sender, settings, sections);
    }

    MTempDir dir;
    MRecordingReporter reporter;
    MCountingPacer pacer;
    std::atomic<bool> running {true};
    MTaskContext context;
    MFakeSender sender;
    MEvernoteImportSettings settings;
    MONObject sections;
};

} // namespace

TEST_F(EvernoteImport, AFailedTagSectionFailsItsNoteWithoutSendingThePage)
{
    settings.createTagSections = true;
    settings.parentUrlSaveTo = QStringLiteral("https://h/notebooks/1-nb");
    sender.failSections = {QStringLiteral("Broken")};
    const MEvernoteImportResult result = Run(Enex({NoteXml("a", {"Broken"}), NoteXml("b", {"Broken"})}));
    EXPECT_TRUE(sender.Pages().isEmpty());
    EXPECT_EQ(sender.calls.size(), 2); // tried again for the second note
    EXPECT_EQ(result.failure, 2);
    EXPECT_TRUE(result.result.contains(
        QStringLiteral("Failure (the section 'Broken' could not be made: HTTP 409, 20154: exists)")));
    EXPECT_EQ(result.newSectionCount, 0);
    EXPECT_EQ(pacer.UploadWaits(), 4);
}

TEST_F(EvernoteImport, StoppedRunsEndBeforeTheNextNote)
{
    running = false;
    const MEvernoteImportResult result = Run(Enex({NoteXml("one")}));
    EXPECT_TRUE(sender.calls.isEmpty());
    EXPECT_EQ(result.result, QStringLiteral("\n\nTotal: 0, Success: 0, Failure: 0."));
    EXPECT_TRUE(reporter.Finished());
}

TEST_F(EvernoteImport, UnreadableFilesEndTheRunWithoutASummary)
{
    const MEvernoteImportResult result = Run("this is not an export");
    EXPECT_FALSE(result.opened);
    EXPECT_TRUE(sender.calls.isEmpty());
    EXPECT_TRUE(reporter.LastResult().isEmpty());
    EXPECT_TRUE(reporter.Alerts().isEmpty());
    EXPECT_EQ(reporter.FinishText(), Localized("strFinish"));
}

TEST_F(EvernoteImport, ABreakAfterImportedNotesIsToldAndSummedUp)
{
    const QByteArray whole = Enex({NoteXml("one"), NoteXml("two")});
    const MEvernoteImportResult result = Run(whole.left(whole.lastIndexOf("<note>") + 12));
    EXPECT_TRUE(result.opened);
    EXPECT_TRUE(result.brokeOff);
    EXPECT_EQ(sender.Pages().size(), 1);
    EXPECT_EQ(reporter.Alerts(), QStringList {Localized("strOpenEnexFileError")});
    EXPECT_TRUE(result.result.endsWith(QStringLiteral("Total: 1, Success: 1, Failure: 0.")));
}

TEST_F(EvernoteImport, TitlesAreEscapedInThePageButPlainInTheResult)
{
    Run(Enex({NoteXml("A&lt;B &amp; C")}));
    ASSERT_EQ(sender.Pages().size(), 1);
    EXPECT_EQ(sender.Pages().at(0).name, QStringLiteral("A<B & C"));
    EXPECT_TRUE(sender.Pages().at(0).html.contains(QStringLiteral("<title>A&lt;B &amp; C</title>")));
    EXPECT_TRUE(reporter.LastResult().contains(QStringLiteral("1: A<B & C ... Success")));
}

TEST(EvernoteTarget, SectionModeTakesTheFirstTickedSection)
{
    MONObject root;
    MONObject* notebook = root.addSubObject(MONObject::Notebook, "1-nb", "NB", "", "", "", "", "https://h/nb", "", "");
    notebook->addSubObject(
        MONObject::Section, "1-a", "A", "", "", "https://h/sections/1-a", "", "https://h/sections/1-a", "", "");
    MONObject* b = notebook->addSubObject(
        MONObject::Section, "1-b", "B", "", "", "https://h/sections/1-b", "", "https://h/sections/1-b", "", "");
    EXPECT_TRUE(ChooseEvernoteTarget(root, false).parentUrl.isEmpty());
    b->intValue = 1;
    EXPECT_EQ(ChooseEvernoteTarget(root, false).parentUrl, QStringLiteral("https://h/sections/1-b"));
}

TEST(EvernoteTarget, TagModePrefersAGroupAndCopiesOnlyItsTickedSections)
{
    MONObject root;
    MONObject* notebook = root.addSubObject(MONObject::Notebook, "1-nb", "NB", "", "", "", "", "https://h/nb", "", "");
    notebook->intValue = 1;
    MONObject* group
        = notebook->addSubObject(MONObject::SectionGroup, "1-g", "G", "", "", "", "", "https://h/g", "", "");
    MONObject* ticked = group->addSubObject(MONObject::Section, "1-t", "Home", "", "", "", "", "https://h/t", "", "");
    group->addSubObject(MONObject::Section, "1-u", "Work", "", "", "", "", "https://h/u", "", "");
    EXPECT_EQ(ChooseEvernoteTarget(root, true).parentUrl, QStringLiteral("https://h/nb"));
    group->intValue = 1;
    ticked->intValue = 1;
    const MEvernoteTarget target = ChooseEvernoteTarget(root, true);
    EXPECT_EQ(target.parentUrl, QStringLiteral("https://h/g"));
    ASSERT_EQ(target.sections->childCount(), 1);
    EXPECT_EQ(GetSectionSelfUrl(*target.sections, QStringLiteral("HOME")), QStringLiteral("https://h/t"));
    EXPECT_EQ(GetSectionSelfUrl(*target.sections, QStringLiteral("Work")), QString());
}

TEST(EvernoteDryRun, DescribesSectionsPagesAndPartsWithoutSending)
{
    QStringList lines;
    MDryRunEnexSender sender([&lines](const QString& line) { lines.append(line); });
    sender.SetLabel(QStringLiteral("https://h/nb"), QStringLiteral("Notebook"));
    const QString section = sender.CreateSection(QStringLiteral("https://h/nb"), QStringLiteral("Trips"), nullptr);
    EXPECT_FALSE(section.isEmpty());
    MResourceObject image;
    image.mime = QStringLiteral("image/png");
    image.hashValue = QStringLiteral("abc");
    image.bytes = QByteArray(2048, 'x');
    EXPECT_TRUE(sender.CreatePage(section, QStringLiteral("Rome"), QStringLiteral("<html/>"), {image}).Created());
    EXPECT_EQ(sender.Pages(), 1);
    EXPECT_GT(sender.BodyBytes(), 2048);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0), QStringLiteral("new section: Notebook/Trips"));
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("page: Rome -> Notebook/Trips (")));
    EXPECT_EQ(lines.at(2), QStringLiteral("  part: abc image/png 2 KB"));
}
