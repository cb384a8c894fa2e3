// One section of N generated pages exported to text (or HTML, or Markdown) files at zero intervals against the
// in-process emulator: pages per second, and the resident memory before and after, which stays
// flat as N grows. Run under /usr/bin/time -v for the peak.
//     bench_export_section [PAGES] [txt|html|md]
#include "MEmulator.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "export/MExportTask.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"
#include "tasks/MTaskReporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <cstdio>
#include <thread>

namespace {

class MQuietReporter final : public MTaskReporter
{
public:
    void ShowMessage(const QString&, const QString&) override { }
    void ShowStatus(const QString&) override { }
    void Alert(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool Ask(const QString&) override { return false; }
    void Finish(const QString&) override { }
};

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace

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

    const QJsonObject fixture {{"accounts",
        QJsonArray {QJsonObject {{"key", "personal"}, {"kind", "personal"}, {"cid", "BE7C4"},
            {"notebooks",
                QJsonArray {QJsonObject {{"name", "Bench"},
                    {"sections", QJsonArray {QJsonObject {{"name", "Big"}, {"generatedPages", pages}}}}}}}}}}};
    MEmulator emulator(MEmulator::Options {fixture, true, 0});
    if (const auto error = emulator.Start()) {
        std::fprintf(stderr, "emulator: %s\n", qPrintable(*error));
        return 1;
    }
    MAccount account;
    MEndpoints endpoints = MEndpoints::Defaults();
    endpoints.globalLogin = endpoints.globalGraph = endpoints.makerWeb = emulator.Origin();
    account.setEndpoints(endpoints);
    account.setMSAccountType(MAccount::Personal);
    const MEmulator::Tokens tokens = emulator.IssueTokens(QStringLiteral("personal"));
    account.setOnlineOneNoteAccessToken(tokens.accessToken);
    account.setOnlineOneNoteRefreshToken(tokens.refreshToken);
    account.setUserId(QStringLiteral("bench"));
    account.setRetrieveTokensTime(QDateTime::currentDateTime());
    account.setTokenExpires_in(3599);

    auto tree = std::make_shared<MNotebookNode>();
    std::atomic<bool> running {true};
    MPacer pacer(0, 0, &running);
    MQuietReporter reporter;
    qint64 files = 0;
    long before = 0;
    qint64 ms = 0;
    // A worker thread, as in a run: its connection closes when it ends.
    std::thread worker([&] {
        MNotebookTree(account, *tree, work.filePath(QStringLiteral("notebooks.json"))).CreateNotebooksTree(true, false);
        SetCheckState(tree->child(0), 1);
        MTaskContext context;
        context.account = &account;
        context.tree = tree;
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
        before = ResidentKiB();
        QElapsedTimer timer;
        timer.start();
        MExportTask task(context, kind, work.filePath(QStringLiteral("out")));
        task.ThreadRun();
        ms = timer.elapsed();
        files = task.ExportFilesCount();
    });
    worker.join();
    std::printf("pages=%d kind=%s files=%lld seconds=%.2f pages_per_second=%.1f rss_before_kib=%ld rss_after_kib=%ld\n",
        pages, kindName.constData(), files, ms / 1000.0, ms ? files * 1000.0 / ms : 0.0, before, ResidentKiB());
    return files == std::min(pages, 1000) ? 0 : 1;
}
