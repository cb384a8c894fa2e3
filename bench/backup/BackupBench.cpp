// A mirror of SECTIONS x PAGES generated pages (25 x 80 = 2,000 by default) kept in text files by
// the backup task against the in-process emulator at zero intervals: a first run into an empty
// folder, then an unchanged second run. Each prints the requests the emulator saw, the time and what
// the run counted; the page cache is off, so the second run owes nothing to it.
//     bench_backup [SECTIONS] [PAGES]
#include "../support/BenchLibrary.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "export/MBackupTask.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTemporaryDir>
#include <cstdio>
#include <thread>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int sections = argc > 1 ? std::atoi(argv[1]) : 25;
    const int perSection = argc > 2 ? std::atoi(argv[2]) : 80;
    QTemporaryDir work;
    InitAppPaths(work.filePath(QStringLiteral("app")), work.filePath(QStringLiteral("bench.log")));
    MConfig settings(AppPaths().settingsFile);
    settings.WriteValue(QStringLiteral("PageCache"), QStringLiteral("off"));
    settings.Save();
    // The runs are measured by the requests they send, not held to the budget's pace.
    GlobalSettings().SetRequestBudget(QStringLiteral("off"));

    MBenchLibrary library(GeneratedSections(sections, perSection));
    if (!library.Start())
        return 1;
    MEmulator& emulator = library.emulator;

    int failures = 0;
    std::thread worker([&] {
        const MTaskContext context = library.TickedContext(work.filePath(QStringLiteral("notebooks.json")));
        const char* const names[] = {"first", "unchanged"};
        for (int run = 0; run < 2; ++run) {
            emulator.ClearRequests();
            QElapsedTimer timer;
            timer.start();
            MBackupTask task(context, MExportKind::Text, work.filePath(QStringLiteral("mirror")));
            failures += task.Run() == MBackupTask::Start::Ran ? 0 : 1;
            const qint64 ms = timer.elapsed();
            const size_t requests = emulator.Requests().size();
            std::printf(
                "run=%s pages=%d sections=%d requests=%zu requests_per_section=%.2f seconds=%.2f summary=\"%s\"\n",
                names[run], sections * perSection, sections, requests, double(requests) / sections, ms / 1000.0,
                qPrintable(task.SummaryText()));
            failures += task.Counts().failed == 0 ? 0 : 1;
        }
    });
    worker.join();
    return failures == 0 ? 0 : 1;
}
