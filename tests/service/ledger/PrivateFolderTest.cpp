// The application folder is the user's alone: whatever an import and an export write there (ledger
// and its SQLite side files, notebook cache, reports, request budget, settings) is owner-only, while
// the export's own files keep the user's umask.
#include "../export/ExportServiceFixture.h"
#include "app/GlobalSettings.h"
#include "app/Log.h"
#include "app/MConfig.h"
#include "app/PrivateFiles.h"
#include "export/MExportTask.h"
#include "import/EvernoteImport.h"
#include "model/MNotebookTree.h"
#include "service/MRequestBudget.h"
#include "tasks/MRunLedger.h"
#include "tasks/MRunReport.h"

#include <QDirIterator>
#include <sys/stat.h>

namespace {

class PrivateFolder : public ExportServiceTest
{
protected:
    PrivateFolder()
        : m_Umask(umask(022))
    { }
    ~PrivateFolder() override
    {
        umask(m_Umask);
        GlobalSettings().SetRequestBudget(QStringLiteral("off"));
        GlobalSettings().EnableLog = false;
    }

    // "0600 path" for every item below `folder` (relative paths), sorted.
    static QStringList Modes(const QString& folder)
    {
        QStringList modes;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
            QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            struct stat info
            { };
            if (lstat(QFile::encodeName(path).constData(), &info) != 0)
                continue;
            modes << QStringLiteral("%1 %2")
                         .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'))
                         .arg(QDir(folder).relativeFilePath(path));
        }
        modes.sort();
        return modes;
    }

private:
    mode_t m_Umask;
};

} // namespace

TEST_F(PrivateFolder, AnImportAndAnExportLeaveNothingInTheApplicationFolderThatOthersCanRead)
{
    Start(QJsonArray {QJsonObject {{"name", "Book"},
        {"sections",
            QJsonArray {
                QJsonObject {{"name", "Inbox"}, {"pages", QJsonArray {Page(QStringLiteral("Kept"), "<p>x</p>")}}}}}}});
    // The application's own paths make the folder (and its parents) on a machine where new files are
    // readable by everyone.
    const QString folder = app.FilePath(QStringLiteral("share/Brindlecraft/Pagewright"));
    InitAppPaths(folder, app.FilePath(QStringLiteral("Documents/Pagewright.log")));
    QDir().mkpath(app.FilePath(QStringLiteral("Documents")));
    GlobalSettings().EnableLog = true;
    GlobalSettings().SetRequestBudget(QStringLiteral("1000/60s"));
    MConfig settings(AppPaths().settingsFile);
    settings.WriteValue(QStringLiteral("Export_Folder"), out.Path());
    settings.Save();
    OnWorker([&] { MNotebookTree(*account, *tree, AppPaths().notebookCache).CreateNotebooksTree(true, false); });
    Check(QStringLiteral("Book/Inbox"));

    MEvernoteImportSettings enex;
    enex.enexFileName = out.WriteFile(QStringLiteral("in/notes.enex"),
        "<en-export><note><title>New</title><content><![CDATA[<en-note><div>Body</div></en-note>]]></content>"
        "</note></en-export>");
    enex.from = 1;
    enex.to = 1;
    enex.parentUrlSaveTo = ChooseEvernoteTarget(*tree, false).parentUrl;
    enex.run.record = true;
    MRunRecorder recorder(&reporter, QStringLiteral("import-enex"), QStringLiteral("test"), &running);
    context.reporter = &recorder;
    OnWorker([&] {
        MServiceSession session = SessionFor(context);
        MServiceEnexSender sender(session);
        MONObject sections;
        ThreadImportRun(context, sender, enex, sections);
        recorder.WriteReport();
        MExportTask(context, MExportKind::Text, out.FilePath(QStringLiteral("export"))).ThreadRun();
        TheRequestBudget().Save();
    });
    WriteLog(QStringLiteral("done"));

    // The ledger open and written, as while a run goes on: its side files are there.
    MRunLedger ledger(MRunLedger::DefaultPath());
    ASSERT_GT(ledger.BeginRun(QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("t"), QStringLiteral("")), 0);
    const QStringList modes = Modes(app.FilePath(QStringLiteral("share")));
    for (const char* name : {"runs.sqlite", "runs.sqlite-wal", "runs.sqlite-shm", "notebooks.json",
             "requestbudget.json", "zephapp.plist", "reports"})
        EXPECT_TRUE(modes.filter(QStringLiteral("Pagewright/%1").arg(QLatin1String(name))).size() >= 1) << name;
    for (const QString& line : modes) {
        const bool isFolder = QFileInfo(app.FilePath(QStringLiteral("share/") + line.mid(5))).isDir();
        EXPECT_TRUE(line.startsWith(isFolder ? QLatin1String("0700 ") : QLatin1String("0600 "))) << qPrintable(line);
    }
    EXPECT_EQ(Modes(app.FilePath(QStringLiteral("Documents"))), QStringList {"0600 Pagewright.log"});
    // What the user asked for elsewhere keeps the umask.
    const QStringList exported = Modes(out.FilePath(QStringLiteral("export")));
    ASSERT_FALSE(exported.isEmpty());
    for (const QString& line : exported)
        EXPECT_TRUE(line.startsWith(QLatin1String("0755 ")) || line.startsWith(QLatin1String("0644 ")))
            << qPrintable(line);
}

TEST(PrivateFolderOfAnEarlierVersion, IsNarrowedOnceAtStartUpWithALogLine)
{
    const MTempDir dir;
    const QString folder = dir.FilePath(QStringLiteral("Pagewright"));
    const QString outside = dir.WriteFile(QStringLiteral("mine.txt"), "the user's");
    dir.WriteFile(QStringLiteral("Pagewright/runs.sqlite"), "");
    dir.WriteFile(QStringLiteral("Pagewright/reports/import-20240101.csv"), "a,b\n");
    MConfig enable(dir.FilePath(QStringLiteral("Pagewright/zephapp.plist")));
    enable.WriteValue(QStringLiteral("EnableLog"), true);
    enable.Save();
    const auto wide = QFileDevice::Permissions(0x7755); // 0755, as Qt spells it
    const auto readable = QFileDevice::Permissions(0x6644); // 0644
    for (const char* path : {"Pagewright", "Pagewright/reports"})
        QFile::setPermissions(dir.FilePath(QLatin1String(path)), wide);
    for (const char* path : {"Pagewright/runs.sqlite", "Pagewright/reports/import-20240101.csv", "mine.txt"})
        QFile::setPermissions(dir.FilePath(QLatin1String(path)), readable);
    QFile::link(outside, dir.FilePath(QStringLiteral("Pagewright/link.txt")));

    const QString log = dir.FilePath(QStringLiteral("Pagewright.log"));
    InitAppPaths(folder, log);
    EXPECT_EQ(ReadAll(log).count("Narrowed "), 4);
    EXPECT_TRUE(ReadAll(log).contains("runs.sqlite from 0644 to 0600"));
    InitAppPaths(folder, log);
    EXPECT_EQ(ReadAll(log).count("Narrowed "), 4) << "once";
    GlobalSettings().EnableLog = false;

    // Group and others lose everything; the owner keeps what it had.
    const auto othersAndGroup
        = [&](const char* path) { return int(QFile::permissions(dir.FilePath(QLatin1String(path)))) & 0xff; };
    for (const char* path :
        {"Pagewright", "Pagewright/reports", "Pagewright/runs.sqlite", "Pagewright/reports/import-20240101.csv"})
        EXPECT_EQ(othersAndGroup(path), 0) << path;
    EXPECT_EQ(
        int(QFile::permissions(dir.FilePath(QStringLiteral("Pagewright/runs.sqlite")))) & 0xf000, int(kPrivateFile));
    EXPECT_EQ(othersAndGroup("mine.txt"), 0x44) << "a link's file is not the application's";
}
