// The page cache against the emulator: what each run asks the service for, by its request log.
#include "Command.h"
#include "FeatureServiceTest.h"
#include "app/MConfig.h"
#include "export/MExportTask.h"
#include "pagetasks/MListAttachmentsTask.h"
#include "pagetasks/MListTagsTask.h"
#include "pagetasks/MSearchTask.h"
#include "tasks/MPageCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

// What a run found, as lines to compare between runs.
class MFound final : public MSearchSink, public MTagSink, public MAttachmentSink
{
public:
    void AddPageHit(const MSearchPageHit& hit) override { lines << hit.title; }
    void AddTagItems(const QList<MTagItem>& items) override
    {
        for (const MTagItem& item : items)
            lines << item.pageBreadcrumb + QLatin1Char('|') + item.iconName + QLatin1Char('|') + item.text;
    }
    void AddAttachments(const QList<MAttachment>& items) override
    {
        for (const MAttachment& item : items)
            lines << item.pageBreadcrumb + QLatin1Char('|') + item.name + QLatin1Char('|') + item.data;
    }
    QStringList lines;
};

class PageCacheService : public FeatureServiceTest
{
protected:
    // One run of `task` with the request log emptied first: what it found or wrote.
    QStringList Run(const QString& task, const QString& text = QStringLiteral("the"))
    {
        emulator->ClearRequests();
        reporter.Clear();
        MFound found;
        const QString folder = out.FilePath(QString::number(++m_Runs));
        OnWorker([&] {
            if (task == QLatin1String("search"))
                MSearchTask(context, MSearchOptions {text, false, false}, &found).ThreadRun();
            else if (task == QLatin1String("tags"))
                MListTagsTask(context, &found).ThreadRun();
            else if (task == QLatin1String("attachments"))
                MListAttachmentsTask(context, &found).ThreadRun();
            else
                MExportTask(context, task == QLatin1String("html") ? MExportKind::Html : MExportKind::Text, folder)
                    .ThreadRun();
        });
        for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            found.lines << QDir(folder).relativeFilePath(path) + QLatin1Char('|')
                    + QString::fromLatin1(QCryptographicHash::hash(ReadAll(path), QCryptographicHash::Md5).toHex());
        }
        found.lines.sort();
        return found.lines;
    }
    QString CacheFile() const { return MPageCache::DefaultPath(); }

    int m_Runs = 0;
};

class PageCacheTasks : public PageCacheService, public ::testing::WithParamInterface<const char*>
{ };

TEST_P(PageCacheTasks, ASecondRunReadsNoPageButTheResourcesAndGivesTheSameResults)
{
    StartWith(MServiceFixture::DemoFixture(), QStringLiteral("personal"));
    Check(QStringLiteral("Travel Journal"));
    const QStringList first = Run(QLatin1String(GetParam()));
    const qsizetype pages = ContentReads().size();
    const size_t resources = RequestsTo(QStringLiteral("GET"), QStringLiteral("/resources/")).size();
    ASSERT_FALSE(first.isEmpty());
    ASSERT_GT(pages, 10);

    EXPECT_EQ(Run(QLatin1String(GetParam())), first);
    EXPECT_TRUE(ContentReads().isEmpty());
    EXPECT_EQ(RequestsTo(QStringLiteral("GET"), QStringLiteral("/resources/")).size(), resources);
    EXPECT_EQ(reporter.FinishText(), QStringLiteral("Finished. %1 pages from the cache, 0 fetched.").arg(pages));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_FALSE(QFileInfo(CacheFile()).permissions() & others);
}

INSTANTIATE_TEST_SUITE_P(Tasks, PageCacheTasks, ::testing::Values("search", "tags", "attachments", "text", "html"));

TEST_F(PageCacheService, OnlyPagesChangedOnlineAreReadAgainAndNothingPastAnUnreadListIsServed)
{
    Start(QJsonArray {Notebook("Book", {Generated("Big", 300)})});
    Check(QStringLiteral("Book/Big"));
    EXPECT_EQ(Run(QStringLiteral("search"), QStringLiteral("Follow")).size(), 300);
    EXPECT_EQ(ContentReads().size(), 300);

    QStringList changed;
    for (const QJsonObject& page : StatePages(QStringLiteral("Big")).mid(150, 2))
        changed << page.value(QLatin1String("id")).toString();
    OnWorker([&] {
        MServiceSession session(*account);
        for (const QString& id : changed) {
            MHttpRequest patch {"PATCH", account->BaseUrl() + QStringLiteral("/pages/%1/content").arg(id),
                {{"Content-Type", "application/json"}},
                R"([{"target":"body","action":"append","content":"<p>zebra crossing</p>"}])", 30, {}};
            EXPECT_TRUE(session.Send(patch, MExpect::Success).Ok());
        }
    });
    EXPECT_EQ(Run(QStringLiteral("search"), QStringLiteral("zebra")),
        (QStringList {QStringLiteral("Big page 151"), QStringLiteral("Big page 152")}));
    EXPECT_EQ(ContentReads(), changed);
    EXPECT_EQ(reporter.FinishText(), QStringLiteral("Finished. 298 pages from the cache, 2 fetched."));

    // The second block's list fails: its pages are not served as if current, the section fails.
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("GET */sections/*/pages error status=500 code=19999 after=1")));
    EXPECT_EQ(Run(QStringLiteral("search"), QStringLiteral("Follow")).size(), 100);
    EXPECT_TRUE(ContentReads().isEmpty());
    ASSERT_EQ(FinalRows().size(), 1);
    EXPECT_EQ(FinalRows()[0].text, QStringLiteral("Book/Big"));
    EXPECT_EQ(reporter.FinishText(), QStringLiteral("Finished. 100 pages from the cache, 0 fetched."));
}

class DamagedCache : public PageCacheService, public ::testing::WithParamInterface<bool>
{ };

TEST_P(DamagedCache, IsMovedAsideWithAWarningAndTheRunReadsEveryPage)
{
    const bool wasACache = GetParam();
    Start(QJsonArray {Notebook("Book", {Generated("Small", 5)})});
    Check(QStringLiteral("Book/Small"));
    QByteArray garbage = QByteArray("no database here\n").repeated(400);
    if (wasACache) {
        Run(QStringLiteral("search"));
        // Everything past the first database page (where the tables are named) overwritten.
        garbage = ReadAll(CacheFile());
        garbage.replace(4096, garbage.size() - 4096, QByteArray(garbage.size() - 4096, 'Z'));
    }
    app.WriteFile(QFileInfo(CacheFile()).fileName(), garbage);

    EXPECT_EQ(Run(QStringLiteral("search"), QStringLiteral("Follow")).size(), 5);
    EXPECT_EQ(ContentReads().size(), 5);
    EXPECT_TRUE(FinalRows().isEmpty());
    const QStringList aside = QDir(app.Path()).entryList({QStringLiteral("pagecache.sqlite.broken-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadAll(app.FilePath(aside[0])), garbage);
    EXPECT_TRUE(reporter.Statuses().join('\n').contains(aside[0]));
    EXPECT_TRUE(reporter.FinishText().contains(QLatin1String("could not be read")));
    // The new cache serves the next run.
    Run(QStringLiteral("search"));
    EXPECT_TRUE(ContentReads().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedCache, ::testing::Bool());

TEST_F(PageCacheService, OffOrWithoutRoomEveryRunReadsEveryPageAndNoFileIsMade)
{
    Start(QJsonArray {Notebook("Book", {Generated("Small", 3)})});
    Check(QStringLiteral("Book/Small"));
    for (const auto& [key, value] : {std::pair {"PageCache", "off"}, std::pair {"PageCacheMB", "0"}}) {
        MConfig config(AppPaths().settingsFile);
        config.RemoveValue(QStringLiteral("PageCache"));
        config.WriteValue(QString::fromLatin1(key), value);
        ASSERT_TRUE(config.Save());
        for (int run = 0; run < 2; ++run) {
            Run(QStringLiteral("search"));
            EXPECT_EQ(ContentReads().size(), 3) << key;
            EXPECT_EQ(reporter.FinishText(), Localized("strFinish"));
        }
        EXPECT_FALSE(QFileInfo::exists(CacheFile())) << key;
    }
}

TEST_F(PageCacheService, SigningOutForgetsTheAccountsPagesAndTheCommandLineShowsAndEmptiesTheCache)
{
    Start(QJsonArray {Notebook("Book", {Generated("Small", 3)})});
    // The command line's account and application folder are the fixture's.
    InitAppPaths(service->AppFolder());
    Check(QStringLiteral("Book/Small"));
    Run(QStringLiteral("search"));
    MPageCache(CacheFile())
        .Store(
            QStringLiteral("someone else"), QStringLiteral("p"), QStringLiteral("t"), QStringLiteral("<p>theirs</p>"));
    const auto cli = [](const QString& command, const QString& action = QString()) {
        testing::internal::CaptureStdout();
        QStringList args {command};
        if (!action.isEmpty())
            args << action;
        EXPECT_EQ(MCliCommand::Find(command)->Run(args), kExitSuccess) << command.toStdString();
        return QString::fromStdString(testing::internal::GetCapturedStdout());
    };
    EXPECT_TRUE(cli(QStringLiteral("cache"), QStringLiteral("info")).startsWith(QLatin1String("4 pages kept")));

    cli(QStringLiteral("signout"));
    EXPECT_EQ(MPageCache(CacheFile()).Usage().pages, 1);
    EXPECT_EQ(MPageCache(CacheFile()).Find(QStringLiteral("someone else"), QStringLiteral("p"), QStringLiteral("t")),
        QStringLiteral("<p>theirs</p>"));
    Run(QStringLiteral("search"));
    EXPECT_EQ(ContentReads().size(), 3);

    EXPECT_EQ(cli(QStringLiteral("cache"), QStringLiteral("clear")),
        QStringLiteral("Removed 4 pages from the page cache.\n"));
    EXPECT_EQ(MPageCache(CacheFile()).Usage().pages, 0);
}

} // namespace
