#include "ImportServiceFixture.h"
#include "import/TreeImport.h"
#include "model/MResultNode.h"
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

    // Plans the chosen folder and runs the import on the plan.
    const MResultNode& Run(const QString& folder, MImportTreeOptions options = MImportTreeOptions())
    {
        auto planned = std::make_unique<MResultNode>();
        ScanImportTree({files.FilePath(folder)}, *planned, options);
        reporter.Clear();
        emulator->ClearRequests();
        task = std::make_unique<MTreeImportTask>(context, std::move(planned), options.firstSubIsNotebook, false);
        OnWorker([&] { task->ThreadImportRun(); });
        return task->Planned();
    }

    std::unique_ptr<MTreeImportTask> task;
};

TEST_F(TreeImportService, FoldersBecomeGroupsAndSectionsOfTheTickedNotebookAndThoseThereAreFoundByName)
{
    files.WriteFile(QStringLiteral("Chosen/A/one.txt"), "Fish & Chips\nsecond line");
    files.WriteFile(QStringLiteral("Chosen/A/photo.png"), kPng); // no page
    files.WriteFile(QStringLiteral("Chosen/archive/Outer/page.htm"),
        "<html><head></head><body><img src=\"page_files/shot.png\"></body></html>");
    files.WriteFile(QStringLiteral("Chosen/archive/Outer/page_files/shot.png"), kPng);
    files.WriteFile(QStringLiteral("Chosen/loose.txt"), "files of the chosen folder itself are not imported");
    QDir().mkpath(files.FilePath(QStringLiteral("Chosen/B")));
    Check(QStringLiteral("Travel"));
    ASSERT_FALSE(MTreeImportTask::StartProblem(tree.get(), false).has_value());
    Run(QStringLiteral("Chosen"));

    EXPECT_EQ(Rows(),
        QStringList(
            {"Success A", "Success A/A", "Success A/A/one.txt", "Already there archive", "Success archive/Outer",
                "Success archive/Outer/Outer", "Success archive/Outer/Outer/page.htm", "Success B"}));
    EXPECT_EQ(Online(),
        QStringList({"Travel/A/A: one", "Travel/Archive/2019: ", "Travel/Archive/Outer/Outer: page",
            "Travel/B: ", "Travel/Lisbon: "}));
    EXPECT_EQ(task->NewSectionCount(), 5);
    EXPECT_EQ(reporter.Progress().last().done, 8);
    EXPECT_EQ(reporter.Progress().last().total, 8);
    const std::vector<MEmuLoggedRequest> pages = Posts(QStringLiteral("/pages"));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(
        pages.at(0).body, "<html><head><title>one</title></head><body>Fish &amp; Chips<br/>second line</body></html>");
    EXPECT_TRUE(pages.at(1).body.contains("Content-Type: image/png\r\n\r\n" + kPng + "\r\n"));
}

TEST_F(TreeImportService, AContainerThatCannotBeMadeLeavesItsFoldersUndoneAndTheRunGoesOn)
{
    files.WriteFile(QStringLiteral("Chosen/A/one.txt"), "1");
    files.WriteFile(QStringLiteral("Chosen/C/three.txt"), "3");
    ASSERT_FALSE(emulator->AddFault(
        QStringLiteral("POST */sectionGroups error status=400 code=20117 message=Name+not+allowed count=1")));
    Check(QStringLiteral("Travel"));
    const MResultNode& planned = Run(QStringLiteral("Chosen"));
    const QString skipped = Localized("reasonContainerNotMade").arg(QStringLiteral("A"));
    EXPECT_EQ(Rows(),
        QStringList({"Failure A | -4: Name not allowed", "Skipped A/A | " + skipped, "Skipped A/A/one.txt | " + skipped,
            "Success C", "Success C/C", "Success C/C/three.txt"}));
    EXPECT_EQ(planned.child(0)->code, kCreationServiceError);
    EXPECT_EQ(NodeStatus(*planned.child(0)).text, QStringLiteral("Name not allowed"));
}

TEST_F(TreeImportService, TheFirstLevelMakesNotebooksOrFindsThemByNameIgnoringCase)
{
    files.WriteFile(QStringLiteral("Books/travel/Lisbon/day.txt"), "day");
    files.WriteFile(QStringLiteral("Books/New Book/Ideas/idea.txt"), "idea");
    // No notebook is ticked: only the first level as notebooks needs none.
    EXPECT_EQ(MTreeImportTask::StartProblem(tree.get(), false), QStringLiteral("strSelectASection"));
    ASSERT_FALSE(MTreeImportTask::StartProblem(tree.get(), true).has_value());
    MImportTreeOptions options;
    options.firstSubIsNotebook = true;
    Run(QStringLiteral("Books"), options);
    EXPECT_EQ(Rows(),
        QStringList({"Success New Book", "Success New Book/Ideas", "Success New Book/Ideas/Ideas",
            "Success New Book/Ideas/Ideas/idea.txt", "Already there travel", "Success travel/Lisbon",
            "Success travel/Lisbon/Lisbon", "Success travel/Lisbon/Lisbon/day.txt"}));
    EXPECT_EQ(Online(),
        QStringList(
            {"New Book/Ideas/Ideas: idea", "Travel/Archive/2019: ", "Travel/Lisbon/Lisbon: day", "Travel/Lisbon: "}));
}

} // namespace
