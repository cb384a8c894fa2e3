// What an import and an export write in the application folder is the owner's alone; the export's
// own files keep the umask; an older, wider folder is narrowed once at start-up.
#include "FeatureServiceTest.h"
#include "app/GlobalSettings.h"
#include "app/Log.h"
#include "app/MConfig.h"
#include "export/MExportTask.h"
#include "import/EvernoteImport.h"
#include "model/MNotebookTree.h"
#include "net/MRequestBudget.h"
#include "tasks/MRunLedger.h"
#include "tasks/MRunReport.h"

#include <QDirIterator>
#include <sys/stat.h>

namespace {

// "0600 relative/path" for everything below `folder`, links included as links.
QStringList Modes(const QString& folder)
{
    QStringList modes;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info
        { };
        lstat(QFile::encodeName(path).constData(), &info);
        modes << QStringLiteral("%1 %2")
                     .arg(info.st_mode & 0777, 4, 8, QLatin1Char('0'))
                     .arg(QDir(folder).relativeFilePath(path));
    }
    modes.sort();
    return modes;
}

using PrivateFolder = FeatureServiceTest;

} // namespace

TEST_F(PrivateFolder, AnImportAndAnExportLeaveNothingInTheApplicationFolderThatOthersCanRead)
{
    const mode_t umaskBefore = umask(022);
    Start(QJsonArray {QJsonObject {{"name", "Book"}, {"sections", QJsonArray {QJsonObject {{"name", "Inbox"}}}}}});
    InitAppPaths(app.FilePath(QStringLiteral("share/Brindlecraft/Pagewright")), out.FilePath(QStringLiteral("x.log")));
    GlobalSettings().SetRequestBudget(QStringLiteral("1000/60s"));
    MConfig(AppPaths().settingsFile).Save();
    OnWorker([&] { MNotebookTree(*account, *tree, AppPaths().notebookCache).CreateNotebooksTree(true, false); });
    Check(QStringLiteral("Book/Inbox"));
    MEvernoteImportSettings enex;
    enex.enexFileName = out.WriteFile(QStringLiteral("n.enex"),
        "<en-export><note><title>N</title><content><![CDATA[<en-note>x</en-note>]]></content></note></en-export>");
    enex.to = 1;
    enex.parentUrlSaveTo = ChooseEvernoteTarget(*tree, false).parentUrl;
    enex.run.record = true;
    MRunRecorder recorder(&reporter, QStringLiteral("import-enex"), QStringLiteral("test"), &running);
    context.reporter = &recorder;
    OnWorker([&] {
        MServiceSession session = SessionFor(context);
        MServiceEnexSender sender(session);
        MNotebookNode sections;
        ThreadImportRun(context, sender, enex, sections);
        recorder.WriteReport();
        MExportTask(context, MExportKind::Text, out.FilePath(QStringLiteral("export"))).ThreadRun();
        TheRequestBudget().Save();
    });
    WriteLog(true, true, QStringLiteral("done"));
    MRunLedger ledger(MRunLedger::DefaultPath()); // open and written, as during a run: its side files are there
    ASSERT_GT(ledger.BeginRun(QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("t"), QStringLiteral("")), 0);

    const QStringList modes = Modes(app.FilePath(QStringLiteral("share")));
    for (const char* name : {"runs.sqlite-wal", "runs.sqlite-shm", "notebooks.json", "requestbudget.json",
             "zephapp.plist", "reports/import-enex-"})
        EXPECT_FALSE(modes.filter(QLatin1String(name)).isEmpty()) << name;
    for (const QString& line : modes)
        EXPECT_TRUE(line.startsWith(QFileInfo(app.FilePath(QStringLiteral("share/") + line.mid(5))).isDir()
                ? QLatin1String("0700 ")
                : QLatin1String("0600 ")))
            << qPrintable(line);
    EXPECT_TRUE(Modes(out.Path()).contains(QStringLiteral("0600 x.log")));
    // What the user asked for elsewhere keeps the umask.
    for (const QString& line : Modes(out.FilePath(QStringLiteral("export"))))
        EXPECT_TRUE(line.startsWith(QLatin1String("0755 ")) || line.startsWith(QLatin1String("0644 ")))
            << qPrintable(line);
    umask(umaskBefore);
    GlobalSettings().SetRequestBudget(QStringLiteral("off"));
}

TEST(PrivateFolderOfAnEarlierVersion, IsNarrowedOnceAtStartUpWithALogLine)
{
    const MTempDir dir;
    const QString mine = dir.WriteFile(QStringLiteral("mine.txt"), "the user's");
    dir.WriteFile(QStringLiteral("Pagewright/runs.sqlite"), "");
    dir.WriteFile(QStringLiteral("Pagewright/reports/r.csv"), "");
    MConfig settings(dir.FilePath(QStringLiteral("Pagewright/zephapp.plist")));
    settings.WriteValue(QStringLiteral("EnableLog"), true);
    settings.Save();
    for (const char* path : {"Pagewright", "Pagewright/reports"})
        QFile::setPermissions(dir.FilePath(QLatin1String(path)), QFileDevice::Permissions(0x7755)); // 0755
    for (const char* path : {"Pagewright/runs.sqlite", "Pagewright/reports/r.csv", "mine.txt"})
        QFile::setPermissions(dir.FilePath(QLatin1String(path)), QFileDevice::Permissions(0x6644)); // 0644
    QFile::link(mine, dir.FilePath(QStringLiteral("Pagewright/link.txt")));
    const QString script = dir.WriteFile(QStringLiteral("Pagewright/backup.sh"), "#!/bin/sh\n"); // the user's own
    QFile::setPermissions(script, QFileDevice::Permissions(0x7755));

    const QString log = dir.FilePath(QStringLiteral("Pagewright.log"));
    for (int start = 0; start < 2; ++start)
        InitAppPaths(dir.FilePath(QStringLiteral("Pagewright")), log);
    GlobalSettings().EnableLog = false;
    EXPECT_EQ(ReadAll(log).count("Narrowed "), 4) << "once, at the first start";
    EXPECT_TRUE(ReadAll(log).contains("runs.sqlite from 0644 to 0600"));
    EXPECT_EQ(Modes(dir.Path()),
        QStringList({"0600 Pagewright.log", "0600 Pagewright/reports/r.csv", "0600 Pagewright/runs.sqlite",
            "0600 Pagewright/zephapp.plist", "0644 mine.txt", "0700 Pagewright", "0700 Pagewright/reports",
            "0755 Pagewright/backup.sh", "0777 Pagewright/link.txt"}));
}
