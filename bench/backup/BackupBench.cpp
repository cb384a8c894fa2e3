// A mirror of SECTIONS x PAGES generated pages (25 x 80 = 2,000 by default) kept in text files by
// the backup task against the in-process emulator at zero intervals: a first run into an empty
// folder, then an unchanged second run. Each prints the requests the emulator saw, the time and what
// the run counted; the page cache is off, so the second run owes nothing to it.
//     bench_backup [SECTIONS] [PAGES]
#include "MEmulator.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "export/MBackupTask.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"
#include "tasks/MTaskReporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

} // namespace

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

    QJsonArray sectionList;
    for (int s = 0; s < sections; ++s)
        sectionList.append(QJsonObject {{"name", QStringLiteral("S%1").arg(s)}, {"generatedPages", perSection}});
    const QJsonObject fixture {{"accounts",
        QJsonArray {QJsonObject {{"key", "personal"}, {"kind", "personal"}, {"cid", "BE7C4"},
            {"notebooks", QJsonArray {QJsonObject {{"name", "Bench"}, {"sections", sectionList}}}}}}}};
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
    int failures = 0;
    std::thread worker([&] {
        MNotebookTree(account, *tree, work.filePath(QStringLiteral("notebooks.json"))).CreateNotebooksTree(true, false);
        SetCheckState(tree->child(0), 1);
        MTaskContext context;
        context.account = &account;
        context.tree = tree;
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
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
