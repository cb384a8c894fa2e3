// One section of N generated pages exported to text (or HTML, or Markdown) files at zero intervals against the
// in-process emulator: pages per second, and the resident memory before and after, which stays
// flat as N grows. Run under /usr/bin/time -v for the peak.
//     bench_export_section [PAGES] [txt|html|md]
#include "../support/BenchLibrary.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "export/MExportTask.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTemporaryDir>
#include <cstdio>
#include <thread>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
    const QByteArray kindName = argc > 2 ? QByteArray(argv[2]) : QByteArray("txt");
    const MExportKind kind = kindName == "html" ? MExportKind::Html
        : kindName == "md"                      ? MExportKind::Markdown
                                                : MExportKind::Text;
    QTemporaryDir work;
    InitAppPaths(work.filePath(QStringLiteral("app")), work.filePath(QStringLiteral("bench.log")));
    // The run measures the export, not the service's hourly budget, which 1000 pages would exceed.
    GlobalSettings().SetRequestBudget(QStringLiteral("off"));

    MBenchLibrary library(QJsonArray {QJsonObject {{"name", "Big"}, {"generatedPages", pages}}});
    if (!library.Start())
        return 1;

    qint64 files = 0;
    long before = 0;
    qint64 ms = 0;
    // A worker thread, as in a run: its connection closes when it ends.
    std::thread worker([&] {
        const MTaskContext context = library.TickedContext(work.filePath(QStringLiteral("notebooks.json")));
        before = StatusKiB("VmRSS:");
        QElapsedTimer timer;
        timer.start();
        MExportTask task(context, kind, work.filePath(QStringLiteral("out")));
        task.ThreadRun();
        ms = timer.elapsed();
        files = task.ExportFilesCount();
    });
    worker.join();
    std::printf("pages=%d kind=%s files=%lld seconds=%.2f pages_per_second=%.1f rss_before_kib=%ld rss_after_kib=%ld\n",
        pages, kindName.constData(), files, ms / 1000.0, ms ? files * 1000.0 / ms : 0.0, before, StatusKiB("VmRSS:"));
    return files == std::min(pages, 1000) ? 0 : 1;
}
