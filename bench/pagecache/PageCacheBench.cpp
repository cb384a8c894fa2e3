// A library of SECTIONS x PAGES generated pages searched by content three times against the
// in-process emulator at zero intervals: once with an empty page cache, once more unchanged, and once
// after 1% of the pages changed online. Each run prints the requests the emulator saw, the time, and
// the hours the requests would take at the service's budget of 400 an hour. With "off" the page
// cache is off, for the same runs without it. The peak resident memory closes the output.
//     bench_pagecache [SECTIONS] [PAGES] [on|off]
#include "../support/BenchLibrary.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "pagetasks/MSearchTask.h"
#include "service/MServiceSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTemporaryDir>
#include <cstdio>
#include <thread>

namespace {

constexpr double kRequestsPerHour = 400;

class MCountingSink final : public MSearchSink
{
public:
    void AddPageHit(const MSearchPageHit&) override { ++hits; }
    qint64 hits = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int sections = argc > 1 ? std::atoi(argv[1]) : 10;
    const int perSection = argc > 2 ? std::atoi(argv[2]) : 500;
    const bool cacheOn = !(argc > 3 && QByteArray(argv[3]) == "off");
    QTemporaryDir work;
    InitAppPaths(work.filePath(QStringLiteral("app")), work.filePath(QStringLiteral("bench.log")));
    MConfig settings(AppPaths().settingsFile);
    settings.WriteValue(QStringLiteral("PageCache"), cacheOn ? QStringLiteral("on") : QStringLiteral("off"));
    settings.Save();
    // The runs are measured by the requests they send, not held to the budget's pace.
    GlobalSettings().SetRequestBudget(QStringLiteral("off"));

    MBenchLibrary library(GeneratedSections(sections, perSection));
    if (!library.Start())
        return 1;
    MEmulator& emulator = library.emulator;
    MAccount& account = library.account;

    // 1% of the pages, spread over the sections, to change between the second and third runs.
    QStringList toChange;
    const int every = 100;
    int n = 0;
    for (const QJsonValue& item : emulator.State().value(QLatin1String("items")).toArray())
        for (const QJsonValue& page : item.toObject().value(QLatin1String("pages")).toArray())
            if (n++ % every == every / 2)
                toChange << page.toObject().value(QLatin1String("id")).toString();

    int failures = 0;
    // A worker thread, as in a run: its connections close when it ends.
    std::thread worker([&] {
        const MTaskContext context = library.TickedContext(work.filePath(QStringLiteral("notebooks.json")));
        const char* const names[] = {"first", "unchanged", "1% changed"};
        for (int run = 0; run < 3; ++run) {
            if (run == 2) {
                MServiceSession session(account);
                for (const QString& id : toChange) {
                    const MHttpRequest patch {"PATCH", account.BaseUrl() + QStringLiteral("/pages/%1/content").arg(id),
                        {{"Content-Type", "application/json"}},
                        R"([{"target":"body","action":"append","content":"<p>changed</p>"}])", 30, {}};
                    failures += session.Send(patch, MExpect::Success).Ok() ? 0 : 1;
                }
            }
            emulator.ClearRequests();
            MCountingSink sink;
            QElapsedTimer timer;
            timer.start();
            MSearchTask(context, MSearchOptions {QStringLiteral("Follow"), false, false}, &sink).ThreadRun();
            const qint64 ms = timer.elapsed();
            const size_t requests = emulator.Requests().size();
            std::printf("run=%s pages=%d hits=%lld requests=%zu requests_per_100_pages=%.2f seconds=%.2f "
                        "hours_at_budget=%.2f finish=\"%s\"\n",
                names[run], sections * perSection, sink.hits, requests, requests * 100.0 / (sections * perSection),
                ms / 1000.0, requests / kRequestsPerHour, qPrintable(library.reporter.finish));
            failures += sink.hits == sections * perSection ? 0 : 1;
        }
    });
    worker.join();
    std::printf("cache=%s peak_rss_kib=%ld\n", cacheOn ? "on" : "off", StatusKiB("VmHWM:"));
    return failures == 0 ? 0 : 1;
}
