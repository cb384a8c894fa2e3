#include "DriveServiceFixture.h"
#include "drive/MFindLostTask.h"
#include "util/FileUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QJsonObject File(const QString& path, qint64 size)
{
    return QJsonObject {{"path", path}, {"size", size}};
}

// The save as it would be with a service that hands out download addresses with blanks around them.
class MBlankAddressSave final : public MSaveLostTask
{
public:
    using MSaveLostTask::MSaveLostTask;

protected:
    MHttpResponse Send(const MHttpRequest& request) override
    {
        MHttpResponse response = MSaveLostTask::Send(request);
        if (response.body && response.body->contains("@microsoft.graph.downloadUrl")) {
            const qsizetype key = response.body->indexOf("\"@microsoft.graph.downloadUrl\":\"") + 32;
            response.body->insert(response.body->indexOf('"', key), " \t ");
        }
        return response;
    }
};

class LostSectionsTest : public DriveServiceTest
{
protected:
    QStringList FoundNames(const MResultNode& found) const
    {
        QStringList names;
        for (const auto& node : found.children())
            names << LostSectionFolder(*node) + QLatin1Char('|') + node->name + QLatin1Char('|') + node->shownName;
        return names;
    }
};

TEST_F(LostSectionsTest, TemporarySectionFilesAreFoundAtEveryDepthAndBeyondTheFirstPageOfAFolder)
{
    Start(QJsonObject {{"files",
        QJsonArray {File("A.onetmp", 100), File("X/Y/B.ONETMP", 200), File("X/C.one", 10), File("X/D.onetmp.bak", 10),
            QJsonObject {{"folder", "Many"}, {"generatedFiles", 230}}, File("Many/E.onetmp", 300)}}});
    MFindLostTask task(context);
    OnWorker([&] { task.ThreadRun(); });
    EXPECT_EQ(FoundNames(task.Tree()),
        QStringList({QStringLiteral("|A.onetmp|A.one"), QStringLiteral("/X/Y|B.ONETMP|B.one"),
            QStringLiteral("/Many|E.onetmp|E.one")}));
    for (const auto& node : task.Tree().children())
        EXPECT_TRUE(node->checked) << "found files are ticked";
    EXPECT_EQ(task.ExportFilesCount(), 3);
    EXPECT_EQ(task.Counts().failed, 0);
    EXPECT_TRUE(reporter.Finished());
    // The folder of 231 items was read in two pages.
    EXPECT_EQ(RequestsTo("GET", QStringLiteral("skiptoken")).size(), 1u);
}

TEST_F(LostSectionsTest, AFolderThatCannotBeListedIsNamedAndTheWalkGoesOn)
{
    // The drive's first folder is "Documents"; the second cannot be listed.
    Start(QJsonObject {{"files", QJsonArray {File("Broken/Lost.onetmp", 10), File("Fine/Found.onetmp", 10)}}});
    ASSERT_FALSE(emulator
                     ->AddFault(QStringLiteral(
                         "GET /v1.0/me/drive/items/*/children error status=500 code=generalException after=1 count=1"))
                     .has_value());
    MFindLostTask task(context);
    OnWorker([&] { task.ThreadRun(); });
    ASSERT_EQ(task.Tree().childCount(), 1u);
    EXPECT_EQ(task.Tree().child(0)->name, QStringLiteral("Found.onetmp"));
    ASSERT_EQ(reporter.Alerts().size(), 1);
    EXPECT_TRUE(reporter.Alerts()[0].startsWith(QLatin1String("Retrieve files of '/Broken'  error: HTTP 500")))
        << reporter.Alerts()[0].toStdString();
    ASSERT_EQ(FinalRows().size(), 1);
    EXPECT_EQ(FinalRows()[0].outcome, MItemOutcome::Failed);
}

TEST_F(LostSectionsTest, TwoFilesOfOneNameSaveApartAndNeverOverAFileThere)
{
    Start(QJsonObject {{"files", QJsonArray {File("Phone/Plan.onetmp", 3000), File("Laptop/Plan.onetmp", 5000)}}});
    MFindLostTask search(context);
    OnWorker([&] { search.ThreadRun(); });
    ASSERT_EQ(search.Tree().childCount(), 2u);
    const MResultNode& first = *search.Tree().child(0);
    const QString firstName = LostSectionFileName(first);
    EXPECT_TRUE(firstName.startsWith(QLatin1String("Plan_")) && firstName.endsWith(QLatin1String(".one")));
    EXPECT_NE(firstName, LostSectionFileName(*search.Tree().child(1)));
    // The user's own file under the first name stays as it is.
    const QString mine = out.WriteFile(firstName, "the user's file");
    const QString beside = MUtils::getFilePathNewName(mine, QStringLiteral(".one"));
    EXPECT_NE(beside, mine);

    reporter.Clear();
    MBlankAddressSave save(context, search.Tree(), out.Path());
    OnWorker([&] { save.ThreadRunSave(); });
    EXPECT_EQ(save.SavedCount(), 2);
    EXPECT_EQ(ReadAll(mine), QByteArray("the user's file"));
    const QString second = out.FilePath(LostSectionFileName(*search.Tree().child(1)));
    const qint64 sizes[] = {QFileInfo(beside).size(), QFileInfo(second).size()};
    EXPECT_EQ(sizes[0] + sizes[1], 8000);
    EXPECT_NE(sizes[0], sizes[1]);
    EXPECT_EQ(QDir(out.Path()).entryList(QDir::Files).size(), 3) << "no part file is left";
    ASSERT_EQ(FinalRows().size(), 2);
    EXPECT_EQ(FinalRows()[0].target, beside);
}

TEST_F(LostSectionsTest, OnlyTickedFilesAreSavedAndAFailedDownloadLeavesNoFile)
{
    Start(QJsonObject {{"files", QJsonArray {File("A.onetmp", 100), File("B.onetmp", 200), File("C.onetmp", 300)}}});
    MFindLostTask search(context);
    OnWorker([&] { search.ThreadRun(); });
    ASSERT_EQ(search.Tree().childCount(), 3u);
    search.Tree().child(2)->checked = false;
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("GET /_download/* html count=1")).has_value());

    reporter.Clear();
    MSaveLostTask save(context, search.Tree(), out.Path());
    OnWorker([&] { save.ThreadRunSave(); });
    EXPECT_EQ(save.SavedCount(), 1);
    const QList<MTaskItem> rows = FinalRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].outcome, MItemOutcome::Failed);
    EXPECT_TRUE(rows[0].reason.contains(QLatin1String("HTTP 500"))) << rows[0].reason.toStdString();
    EXPECT_EQ(rows[1].outcome, MItemOutcome::Created);
    EXPECT_EQ(QDir(out.Path()).entryList(QDir::Files), QStringList {QFileInfo(rows[1].text).fileName()});
    EXPECT_TRUE(save.Tree().child(0)->reason.startsWith(QLatin1String("Download failure")));
    EXPECT_EQ(NodeStatus(*save.Tree().child(2)).text, QString()) << "an unticked file is left alone";
}

} // namespace
