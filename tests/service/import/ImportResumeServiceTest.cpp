// The file and folder-tree imports keep their runs in the ledger as the ENEX import does: a run
// stopped part of the way resumes without a page or a container twice, one cut off between a request
// and its answer finds what arrived, and skip-imported leaves out what an earlier run made.
#include "ImportServiceFixture.h"
#include "import/FileImport.h"
#include "import/FolderTreeScan.h"
#include "import/TreeImport.h"
#include "model/MResultNode.h"
#include "tasks/MRunLedger.h"

namespace {

class ImportResumeService : public ImportServiceTest
{
protected:
    void SetUp() override
    {
        Start(QJsonArray {QJsonObject {{"name", "Book"}, {"sections", QJsonArray {QJsonObject {{"name", "Inbox"}}}}}});
        Check(QStringLiteral("Book/Inbox"));
        for (int i = 1; i <= 6; ++i)
            paths << files.WriteFile(
                QStringLiteral("notes/note %1.txt").arg(i), QByteArray("Text ") + QByteArray::number(i));
    }

    // One file import in `mode`; `stopAfter` pages created stops it. The rows it reported.
    QStringList ImportFiles(MRunMode mode, int stopAfter = 0)
    {
        QList<MFileObject> list;
        for (const QString& path : paths)
            AddToFileList(list, path);
        MFileImportSettings settings {MFileImportKind::Text, false, MFileImportTask::TargetSectionId(tree.get())};
        settings.run.record = true;
        settings.run.mode = mode;
        if (mode == MRunMode::Resume) {
            const std::optional<MLedgerRun> unfinished
                = MRunJournal::FindUnfinished(FileImportRunIdentity(settings, list));
            EXPECT_TRUE(unfinished.has_value());
            settings.run.resumeRun = unfinished ? unfinished->id : 0;
        }
        return RunWith(stopAfter, [&] {
            MFileImportTask task(context, settings, list);
            task.ThreadImportRun();
        });
    }

    QStringList RunWith(int stopAfter, const std::function<void()>& work)
    {
        MStoppingReporter stopping;
        stopping.running = &running;
        stopping.stopAfter = stopAfter;
        running = true;
        context.reporter = &stopping;
        OnWorker(work);
        context.reporter = &reporter;
        QStringList rows;
        for (const MTaskItem& item : stopping.Items()) {
            if (item.outcome == MItemOutcome::Sending)
                continue;
            QString row = OutcomeText(item.outcome) + QLatin1Char(' ') + QFileInfo(item.text).fileName();
            if (!item.reason.isEmpty())
                row += QStringLiteral(" | ") + item.reason;
            rows << row;
        }
        return rows;
    }

    QStringList paths;
};

TEST_F(ImportResumeService, AStoppedFileImportResumesWithEveryPageOnceAndSkipImportedSendsNothing)
{
    ImportFiles(MRunMode::New, 2);
    EXPECT_EQ(Online(), QStringList({"Book/Inbox: note 1, note 2"}));

    emulator->ClearRequests();
    const QStringList resumed = ImportFiles(MRunMode::Resume);
    EXPECT_EQ(Online(), QStringList({"Book/Inbox: note 1, note 2, note 3, note 4, note 5, note 6"}));
    // The two made before are told as such, not sent again.
    const QString before = QStringLiteral(" | ") + Localized("reasonMadeBeforeInterruption");
    EXPECT_EQ(resumed.mid(0, 2), QStringList({"Success note 1.txt" + before, "Success note 2.txt" + before}));
    EXPECT_EQ(Posts(QStringLiteral("/pages")).size(), 4u);

    emulator->ClearRequests();
    const QStringList skipped = ImportFiles(MRunMode::SkipImported);
    EXPECT_EQ(skipped.filter(OutcomeText(MItemOutcome::Skipped)).size(), 6);
    EXPECT_TRUE(Posts(QStringLiteral("/pages")).empty());

    // A changed file is another item: it goes again.
    files.WriteFile(QStringLiteral("notes/note 6.txt"), "Text six, rewritten");
    const QStringList changed = ImportFiles(MRunMode::SkipImported);
    EXPECT_EQ(changed.last(), QStringLiteral("Success note 6.txt"));
    EXPECT_EQ(Posts(QStringLiteral("/pages")).size(), 1u);
}

TEST_F(ImportResumeService, AFileCutOffBetweenRequestAndAnswerIsFoundNotSentAgain)
{
    ImportFiles(MRunMode::New, 3);
    // The third page arrived, but the run was killed before its answer was written down.
    QList<MFileObject> list;
    for (const QString& path : paths)
        AddToFileList(list, path);
    const MRunJournal::MIdentity identity = FileImportRunIdentity(
        MFileImportSettings {MFileImportKind::Text, false, MFileImportTask::TargetSectionId(tree.get())}, list);
    const std::optional<MLedgerRun> unfinished = MRunJournal::FindUnfinished(identity);
    ASSERT_TRUE(unfinished.has_value());
    {
        MRunLedger ledger(MRunLedger::DefaultPath());
        std::optional<MLedgerItem> third = ledger.Item(unfinished->id, 2);
        ASSERT_TRUE(third.has_value());
        third->outcome = MItemOutcome::Sending;
        third->pageId.clear();
        ledger.SetItem(*third);
    }
    emulator->ClearRequests();
    const QStringList resumed = ImportFiles(MRunMode::Resume);
    EXPECT_EQ(Online(), QStringList({"Book/Inbox: note 1, note 2, note 3, note 4, note 5, note 6"}));
    EXPECT_EQ(Posts(QStringLiteral("/pages")).size(), 3u);
    EXPECT_EQ(resumed.at(2), QStringLiteral("Success note 3.txt | ") + Localized("reasonFoundAfterInterruption"));
}

TEST_F(ImportResumeService, AStoppedTreeImportResumesIntoTheContainersItMadeAlthoughTheTreeDoesNotShowThem)
{
    files.WriteFile(QStringLiteral("Tree/Trips/Lisbon.txt"), "Day one");
    files.WriteFile(QStringLiteral("Tree/Trips/Porto.txt"), "Day two");
    files.WriteFile(QStringLiteral("Tree/Trips/Faro.txt"), "Day three");
    auto plan = [&] {
        auto planned = std::make_unique<MResultNode>();
        ScanImportTree({files.FilePath(QStringLiteral("Tree"))}, *planned, MImportTreeOptions());
        return planned;
    };
    Check(QStringLiteral("Book"));
    const std::unique_ptr<MResultNode> planned = plan();
    const MRunJournal::MIdentity identity = MTreeImportTask::RunIdentity(*planned, tree.get(), false, false);
    auto run = [&](const MRunRecording& recording, int stopAfter) {
        return RunWith(stopAfter, [&] {
            MTreeImportTask task(context, plan(), false, false);
            task.SetRecording(recording);
            task.ThreadImportRun();
        });
    };
    MRunRecording recording;
    recording.record = true;
    run(recording, 3); // the group, its section and one page
    ASSERT_EQ(Online(), QStringList({"Book/Inbox: ", "Book/Trips/Trips: Faro"}));

    // The snapshot is the one from before the run (a stale cache): the section is found by name.
    const std::optional<MLedgerRun> unfinished = MRunJournal::FindUnfinished(identity);
    ASSERT_TRUE(unfinished.has_value());
    recording.mode = MRunMode::Resume;
    recording.resumeRun = unfinished->id;
    const QStringList rows = run(recording, 0);
    EXPECT_EQ(Online(), QStringList({"Book/Inbox: ", "Book/Trips/Trips: Faro, Lisbon, Porto"}));
    EXPECT_EQ(rows.filter(OutcomeText(MItemOutcome::Reused)).size(), 2) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rows.filter(OutcomeText(MItemOutcome::Failed)).isEmpty());
}

} // namespace
