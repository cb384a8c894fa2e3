#include "import/EvernoteImport.h"

#include "RecordingReporter.h"
#include "TempDir.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "tasks/MTaskContext.h"

#include <gtest/gtest.h>

namespace {

QByteArray NoteXml(const QString& title, const QStringList& tags = {})
{
    QByteArray xml = "<note><title>" + title.toUtf8() + "</title><content><![CDATA[<en-note><div>" + title.toUtf8()
        + "</div></en-note>]]></content><created>20230101T120000Z</created>";
    for (const QString& tag : tags)
        xml += "<tag>" + tag.toUtf8() + "</tag>";
    return xml + "</note>";
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
    std::optional<QJsonObject> FindPage(const QString&, const QString&, QString*) override { return QJsonObject(); }
    void ContinueRun(qint64, const QStringList&) override { }
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
    MNotebookNode sections;
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

TEST_F(EvernoteImport, UnreadableFilesEndTheRunWithoutASummary)
{
    const MEvernoteImportResult result = Run("this is not an export");
    EXPECT_FALSE(result.opened);
    EXPECT_TRUE(sender.calls.isEmpty());
    EXPECT_TRUE(reporter.LastResult().isEmpty());
    EXPECT_TRUE(reporter.Alerts().isEmpty());
    EXPECT_EQ(reporter.FinishText(), Localized("strFinish"));
}

TEST_F(EvernoteImport, DamageBetweenNotesIsToldAndTheNotesAfterItArrive)
{
    const MEvernoteImportResult result = Run(Enex({NoteXml("one"), "</stray>", NoteXml("two")}));
    EXPECT_EQ(result.success, 2);
    EXPECT_TRUE(result.brokeOff);
    EXPECT_TRUE(result.result.contains(QStringLiteral("\nThe file is damaged at line 4, column ")))
        << qPrintable(result.result);
}

TEST_F(EvernoteImport, NotesBeforeTheRangeAreNotToldEvenWhenUnreadable)
{
    settings.from = 3;
    settings.to = 3;
    const MEvernoteImportResult result
        = Run(Enex({NoteXml("one"), "</stray>", "<note><title>two</title></titel></note>", NoteXml("three")}));
    EXPECT_EQ(result.result, QStringLiteral("\n3: three ... Success\n\nTotal: 1, Success: 1, Failure: 0."));
    EXPECT_FALSE(result.brokeOff);
    ASSERT_EQ(reporter.Progress().size(), 1);
    EXPECT_EQ(reporter.Progress().at(0).done, 1);
    EXPECT_EQ(reporter.Progress().at(0).total, 1);
}

namespace {

// A container of the notebook tree with its REST address (selfUrl) and, for a section, its webUrl.
MNotebookNode* Add(
    MNotebookNode* parent, MNodeKind kind, const char* id, const char* name, const char* self, const char* web = "")
{
    MNotebookNode* node = parent->AddChild(kind, QString::fromUtf8(id), QString::fromUtf8(name));
    node->selfUrl = QString::fromUtf8(self);
    node->webUrl = QString::fromUtf8(web);
    return node;
}

} // namespace

TEST(EvernoteTarget, TagModePrefersAGroupAndCopiesAllItsSectionsTickedOrNot)
{
    MNotebookNode root;
    MNotebookNode* notebook = Add(&root, MNodeKind::Notebook, "1-nb", "NB", "https://h/nb");
    notebook->checked = true;
    MNotebookNode* group = Add(notebook, MNodeKind::SectionGroup, "1-g", "G", "https://h/g");
    MNotebookNode* ticked = Add(group, MNodeKind::Section, "1-t", "Home", "https://h/t");
    Add(group, MNodeKind::Section, "1-u", "Work", "https://h/u");
    EXPECT_EQ(ChooseEvernoteTarget(root, true).parentUrl, QStringLiteral("https://h/nb"));
    group->checked = true;
    ticked->checked = true;
    const MEvernoteTarget target = ChooseEvernoteTarget(root, true);
    EXPECT_EQ(target.parentUrl, QStringLiteral("https://h/g"));
    ASSERT_EQ(target.sections->childCount(), 2);
    EXPECT_EQ(GetSectionSelfUrl(*target.sections, QStringLiteral("HOME")), QStringLiteral("https://h/t"));
    EXPECT_EQ(GetSectionSelfUrl(*target.sections, QStringLiteral("work")), QStringLiteral("https://h/u"));
}
