// The mirror against the emulator: what each run writes, moves and moves aside, and what it asks the
// service for, by the emulator's request log.
#include "FeatureServiceTest.h"
#include "app/MConfig.h"
#include "export/MBackupTask.h"
#include "service/MServiceSession.h"
#include "service/OneDriveReads.h"
#include "util/FileUtils.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLockFile>

namespace {

class BackupService : public FeatureServiceTest
{
protected:
    void SetUp() override
    {
        Start(QJsonArray {Notebook("Book", {Generated("A", 150), Generated("B", 40)})});
        Check(QStringLiteral("Book"));
    }
    // One run into `folder` with the request log emptied first.
    MBackupTask::Start Run(const QString& folder, MBackupCounts* counts = nullptr, bool sectionFiles = false)
    {
        emulator->ClearRequests();
        reporter.Clear();
        MBackupTask::Start start {};
        OnWorker([&] {
            MBackupTask task(context, MExportKind::Text, folder, sectionFiles);
            start = task.Run();
            if (counts)
                *counts = task.Counts();
            EXPECT_EQ(size_t(task.Counts().requests), emulator->Requests().size());
        });
        return start;
    }
    // Every file of the mirror but its own (state, lock) with its bytes, by relative path.
    static std::map<QString, QByteArray> Files(const QString& folder)
    {
        std::map<QString, QByteArray> files;
        for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            const QString rel = QDir(folder).relativeFilePath(path);
            if (!rel.startsWith(QLatin1String(".pagewright-backup")))
                files[rel] = ReadAll(path);
        }
        return files;
    }
    QString PageId(const QString& section, int n) const
    {
        return StatePages(section).at(n).value(QLatin1String("id")).toString();
    }
    // A page changed online, or (with `url`) any other item.
    void Change(const QByteArray& method, const QString& pageId, const QByteArray& body, QString url = {})
    {
        OnWorker([&] {
            MServiceSession session(*account);
            if (url.isEmpty())
                url = account->BaseUrl() + QStringLiteral("/pages/%1").arg(pageId)
                    + (method == "PATCH" ? QStringLiteral("/content") : QString());
            MHttpRequest request {method, url, {{"Content-Type", "application/json"}}, body, 30, {}};
            EXPECT_TRUE(session.Send(request, MExpect::Success).Ok()) << method.constData();
        });
    }
};

TEST_F(BackupService, LaterRunsFetchOnlyWhatChangedMoveRenamedFilesAndSetDeletedPagesAside)
{
    const QString dir = out.FilePath(QStringLiteral("mirror"));
    MBackupCounts counts;
    ASSERT_EQ(Run(dir, &counts), MBackupTask::Start::Ran);
    EXPECT_EQ(counts.written, 190);
    EXPECT_EQ(ContentReads().size(), 190);
    const size_t listings = Listings(); // A: two full blocks and one short; B: one short
    EXPECT_EQ(listings, 3u);
    const std::map<QString, QByteArray> first = Files(dir);
    EXPECT_EQ(first.size(), 190u);
    EXPECT_TRUE(first.count(QStringLiteral("Book/A/A page 1.txt")));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_FALSE(QFileInfo(QDir(dir).filePath(QLatin1String(MBackupState::kFileName))).permissions() & others);

    // Nothing changed: the listings only, and every file as it was.
    ASSERT_EQ(Run(dir, &counts), MBackupTask::Start::Ran);
    EXPECT_EQ(emulator->Requests().size(), listings);
    EXPECT_EQ(counts.unchanged, 190);
    EXPECT_EQ(Files(dir), first);

    const QString changed1 = PageId("A", 10), changed2 = PageId("B", 5), renamed = PageId("A", 120),
                  deleted = PageId("A", 3);
    for (const QString& id : {changed1, changed2})
        Change("PATCH", id, R"([{"target":"body","action":"append","content":"<p>zebra crossing</p>"}])");
    Change("PATCH", renamed, R"([{"target":"title","action":"replace","content":"Renamed page"}])");
    Change("DELETE", deleted, {});
    ASSERT_EQ(Run(dir, &counts), MBackupTask::Start::Ran);
    QStringList reads = ContentReads();
    reads.sort();
    QStringList expected {changed1, changed2, renamed};
    expected.sort();
    EXPECT_EQ(reads, expected);
    EXPECT_EQ(emulator->Requests().size(), listings + 3);
    EXPECT_EQ(counts.written, 3);
    EXPECT_EQ(counts.moved, 1);
    EXPECT_EQ(counts.deleted, 1);
    EXPECT_EQ(counts.unchanged, 186);
    EXPECT_EQ(counts.failed, 0);
    const std::map<QString, QByteArray> third = Files(dir);
    EXPECT_TRUE(third.at(QStringLiteral("Book/A/A page 11.txt")).contains("zebra crossing"));
    EXPECT_TRUE(third.at(QStringLiteral("Book/B/B page 6.txt")).contains("zebra crossing"));
    EXPECT_FALSE(third.count(QStringLiteral("Book/A/A page 121.txt")));
    EXPECT_TRUE(third.at(QStringLiteral("Book/A/Renamed page.txt")).contains("Renamed page"));
    const QString aside
        = QStringLiteral(".deleted/%1/Book/A/A page 4.txt").arg(QDate::currentDate().toString(Qt::ISODate));
    EXPECT_EQ(third.at(aside), first.at(QStringLiteral("Book/A/A page 4.txt")));
    EXPECT_EQ(third.size(), first.size());
    EXPECT_TRUE(reporter.FinishText().endsWith(
        QStringLiteral("Written 3, unchanged 186, moved 1, deleted 1, failed 0, requests %1.").arg(listings + 3)));
}

TEST_F(BackupService, SectionFilesAreFetchedAgainOnlyWhenTheirDriveItemChanged)
{
    const QString dir = out.FilePath(QStringLiteral("mirror"));
    MBackupCounts counts;
    ASSERT_EQ(Run(dir, &counts, true), MBackupTask::Start::Ran);
    EXPECT_EQ(counts.written, 192);
    // Each section file: its item, its address and its bytes.
    EXPECT_EQ(emulator->Requests().size(), Listings() + 190 + 2 * 3);
    EXPECT_EQ(RequestsTo(QStringLiteral("/_download/")).size(), 2u);
    EXPECT_EQ(Files(dir).at(QStringLiteral("Book/B.one")).size(), 4096);
    // Unchanged: the page listings and one item read a section.
    ASSERT_EQ(Run(dir, &counts, true), MBackupTask::Start::Ran);
    EXPECT_EQ(emulator->Requests().size(), Listings() + 2);
    EXPECT_EQ(counts.unchanged, 192);
    // B's file replaced online: it alone is fetched again, item read, address and bytes.
    Change("PUT", {}, "new section bytes",
        account->APIUrl().value_or(QString())
            + QStringLiteral("/drive/items/%1:/B.one:/content")
                  .arg(OneNoteIdDrivePart(Node(QStringLiteral("Book"))->id)));
    ASSERT_EQ(Run(dir, &counts, true), MBackupTask::Start::Ran);
    EXPECT_EQ(emulator->Requests().size(), Listings() + 4);
    EXPECT_EQ(counts.written, 1);
    EXPECT_EQ(Files(dir).at(QStringLiteral("Book/B.one")), "new section bytes");
}

TEST_F(BackupService, AnInterruptedRunIsCarriedOnAndEndsWithTheMirrorOfAnUninterruptedOne)
{
    const QString whole = out.FilePath(QStringLiteral("whole")), broken = out.FilePath(QStringLiteral("broken"));
    // Every page read from the service, as a mirror of pages no search read before would.
    MConfig config(AppPaths().settingsFile);
    config.WriteValue(QStringLiteral("PageCache"), QStringLiteral("off"));
    ASSERT_TRUE(config.Save());
    ASSERT_EQ(Run(whole), MBackupTask::Start::Ran);

    // Another run holds the folder: this one sends nothing.
    {
        CreateFolder(broken);
        QLockFile other(QDir(broken).filePath(QLatin1String(MBackupTask::kLockName)));
        ASSERT_TRUE(other.tryLock(0));
        EXPECT_EQ(Run(broken), MBackupTask::Start::Busy);
        EXPECT_TRUE(emulator->Requests().empty());
    }
    // The service stops answering page reads 60 pages in: those pages fail and keep nothing.
    ASSERT_FALSE(
        emulator->AddFault(QStringLiteral("GET */pages/*/content error status=404 code=20102 after=60 count=-1")));
    MBackupCounts counts;
    ASSERT_EQ(Run(broken, &counts), MBackupTask::Start::Ran);
    EXPECT_EQ(counts.written, 60);
    EXPECT_EQ(counts.failed, 130);
    emulator->ClearFaults();
    ASSERT_EQ(Run(broken, &counts), MBackupTask::Start::Ran);
    EXPECT_EQ(counts.written, 130);
    EXPECT_EQ(ContentReads().size(), 130);
    EXPECT_EQ(Files(broken), Files(whole));
}

} // namespace
