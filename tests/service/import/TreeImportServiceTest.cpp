#include "ImportServiceFixture.h"
#include "import/TreeImport.h"
#include "model/MNodeStatus.h"
#include "model/MONObject.h"
#include "tasks/PageRequest.h"

#include <QDir>

namespace {

const QByteArray kPng = QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + QByteArray(2000, '\x42');

class TreeImportService : public ImportServiceTest
{
protected:
    void SetUp() override
    {
        Start(QJsonArray {QJsonObject {{"name", "Travel"}, {"sections", QJsonArray {QJsonObject {{"name", "Lisbon"}}}},
            {"sectionGroups",
                QJsonArray {
                    QJsonObject {{"name", "Archive"}, {"sections", QJsonArray {QJsonObject {{"name", "2019"}}}}}}}}});
    }

    // Plans the chosen folders and runs the import on the plan; the planned tree as the run left it.
    const MONObject& Run(const QStringList& folders, MImportTreeOptions options = MImportTreeOptions())
    {
        auto planned = std::make_unique<MONObject>();
        ScanImportTree(folders, *planned, options);
        reporter.Clear();
        emulator->ClearRequests();
        task = std::make_unique<MTreeImportTask>(context, std::move(planned), options.firstSubIsNotebook, false);
        OnWorker([&] { task->ThreadImportRun(); });
        return task->Planned();
    }

    QString Chosen(const QString& name = QStringLiteral("Chosen")) const { return files.FilePath(name); }

    std::unique_ptr<MTreeImportTask> task;
};

TEST_F(TreeImportService, FoldersBecomeGroupsAndSectionsInTheTickedNotebookAndFilesPages)
{
    files.WriteFile(QStringLiteral("Chosen/A/one.txt"), "Fish & Chips\nsecond line");
    files.WriteFile(QStringLiteral("Chosen/A/two.html"), "<html><head></head><body><p>two</p></body></html>");
    QDir().mkpath(Chosen() + QStringLiteral("/B"));
    Tick(QStringLiteral("Travel"));
    ASSERT_FALSE(MTreeImportTask::StartProblem(tree.get(), false).has_value());
    const MONObject& planned = Run({Chosen()});

    EXPECT_EQ(
        Online(), QStringList({"Travel/A/A: one, two", "Travel/Archive/2019: ", "Travel/B: ", "Travel/Lisbon: "}));
    EXPECT_EQ(
        Rows(), QStringList({"Success A", "Success A/A", "Success A/A/one.txt", "Success A/A/two.html", "Success B"}));
    EXPECT_EQ(task->NewSectionCount(), 3);
    EXPECT_EQ(task->ImportPagesCount(), 2);
    const QList<MTaskProgress> progress = reporter.Progress();
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().done, 5);
    EXPECT_EQ(progress.last().total, 5);
    // The plan's nodes know their online items now, and the outline shows them done.
    const MONObject* group = planned.child(0);
    EXPECT_FALSE(group->selfUrl.isEmpty());
    EXPECT_EQ(NodeStatus(*group, MNodeTwo::Exists).text, Localized("strSuccess"));
    EXPECT_FALSE(group->child(0)->pagesUrl.isEmpty());
    // A text file's lines, escaped.
    const std::vector<MEmuLoggedRequest> pages = Posts(QStringLiteral("/pages"));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(
        pages.at(0).body, "<html><head><title>one</title></head><body>Fish &amp; Chips<br/>second line</body></html>");
    EXPECT_TRUE(pages.at(1).body.contains("<title>two</title><meta name=\"created\""));
}

TEST_F(TreeImportService, ASecondImportUsesTheContainersThatAreThereAndMakesThePagesAgain)
{
    files.WriteFile(QStringLiteral("Chosen/A/one.txt"), "1");
    files.WriteFile(QStringLiteral("Chosen/archive/2019/old.txt"), "old");
    QDir().mkpath(Chosen() + QStringLiteral("/B"));
    Tick(QStringLiteral("Travel"));
    Run({Chosen()});
    EXPECT_EQ(Rows(),
        QStringList({"Success A", "Success A/A", "Success A/A/one.txt", "Already there archive", "Success archive/2019",
            "Success archive/2019/2019", "Success archive/2019/2019/old.txt", "Success B"}));

    // The application rebuilds its tree after a run that made containers.
    FetchTree();
    Tick(QStringLiteral("Travel"));
    const MONObject& planned = Run({Chosen()});
    EXPECT_EQ(Rows(),
        QStringList({"Already there A", "Already there A/A", "Success A/A/one.txt", "Already there archive",
            "Already there archive/2019", "Already there archive/2019/2019", "Success archive/2019/2019/old.txt",
            "Already there B"}));
    EXPECT_EQ(task->NewSectionCount(), 0);
    EXPECT_EQ(NodeStatus(*planned.child(0), MNodeTwo::Exists).text, Localized("strExists"));
    EXPECT_TRUE(Posts(QStringLiteral("/sections")).empty());
    EXPECT_TRUE(Posts(QStringLiteral("/sectionGroups")).empty());
    EXPECT_EQ(Online(),
        QStringList({"Travel/A/A: one, one", "Travel/Archive/2019/2019: old, old",
            "Travel/Archive/2019: ", "Travel/B: ", "Travel/Lisbon: "}));
}

TEST_F(TreeImportService, FoldersOfFoldersAndSavedPagesWithTheirPictureFolders)
{
    files.WriteFile(QStringLiteral("Chosen/Outer/Inner/page.htm"),
        "<html><head><title>Saved</title></head>"
        "<body><img src=\"page_files/shot.png\"></body></html>");
    files.WriteFile(QStringLiteral("Chosen/Outer/Inner/page_files/shot.png"), kPng);
    Tick(QStringLiteral("Travel"));
    Run({Chosen()});
    EXPECT_EQ(Rows(),
        QStringList({"Success Outer", "Success Outer/Inner", "Success Outer/Inner/Inner",
            "Success Outer/Inner/Inner/page.htm"}));
    EXPECT_EQ(OnlineFolders(), QStringList({"Travel", "Travel/Archive", "Travel/Outer", "Travel/Outer/Inner"}));
    const std::vector<MEmuLoggedRequest> pages = Posts(QStringLiteral("/pages"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages.at(0).body.contains("Content-Type: image/png\r\n\r\n" + kPng + "\r\n"));
}

TEST_F(TreeImportService, AContainerThatCannotBeMadeLeavesItsFoldersUndoneAndTheRunGoesOn)
{
    files.WriteFile(QStringLiteral("Chosen/A/one.txt"), "1");
    files.WriteFile(QStringLiteral("Chosen/C/three.txt"), "3");
    ASSERT_FALSE(emulator->AddFault(
        QStringLiteral("POST */sectionGroups error status=400 code=20117 message=Name+not+allowed count=1")));
    Tick(QStringLiteral("Travel"));
    const MONObject& planned = Run({Chosen()});
    const QStringList rows = Rows();
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows.at(0), QStringLiteral("Failure A | -4: Name not allowed"));
    const QString skipped = Localized("reasonContainerNotMade").arg(QStringLiteral("A"));
    EXPECT_EQ(rows.at(1), QStringLiteral("Skipped A/A | %1").arg(skipped));
    EXPECT_EQ(rows.at(2), QStringLiteral("Skipped A/A/one.txt | %1").arg(skipped));
    EXPECT_EQ(rows.mid(3), QStringList({"Success C", "Success C/C", "Success C/C/three.txt"}));
    EXPECT_EQ(planned.child(0)->intValue, kCreationServiceError);
    EXPECT_EQ(NodeStatus(*planned.child(0), MNodeTwo::Exists).text, QStringLiteral("Name not allowed"));
    EXPECT_EQ(task->Counts().failed, 1);
    EXPECT_EQ(task->Counts().skipped, 2);
    EXPECT_EQ(task->Counts().Total(), 6);
}

TEST_F(TreeImportService, TheFirstLevelMakesNotebooksOrFindsThemByNameIgnoringCase)
{
    files.WriteFile(QStringLiteral("Books/travel/Lisbon/day.txt"), "day");
    files.WriteFile(QStringLiteral("Books/New Book/Ideas/idea.txt"), "idea");
    // No notebook is ticked: the first level needs none.
    EXPECT_EQ(MTreeImportTask::StartProblem(tree.get(), false), QStringLiteral("strSelectASection"));
    MImportTreeOptions options;
    options.firstSubIsNotebook = true;
    ASSERT_FALSE(MTreeImportTask::StartProblem(tree.get(), true).has_value());
    Run({Chosen(QStringLiteral("Books"))}, options);
    EXPECT_EQ(Rows(),
        QStringList({"Success New Book", "Success New Book/Ideas", "Success New Book/Ideas/Ideas",
            "Success New Book/Ideas/Ideas/idea.txt", "Already there travel", "Success travel/Lisbon",
            "Success travel/Lisbon/Lisbon", "Success travel/Lisbon/Lisbon/day.txt"}));
    EXPECT_EQ(Posts(QStringLiteral("/notebooks")).size(), 1u);
    EXPECT_EQ(Online(),
        QStringList(
            {"New Book/Ideas/Ideas: idea", "Travel/Archive/2019: ", "Travel/Lisbon/Lisbon: day", "Travel/Lisbon: "}));
}

} // namespace
