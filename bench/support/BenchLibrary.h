#pragma once

// What the benchmarks that time a task against the in-process emulator share: a generated library
// (one notebook "Bench" of the given sections) on the emulator, an account signed in to it, and a
// task context over the notebook, ticked whole, at zero intervals.

#include "MEmulator.h"
#include "account/MAccount.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"
#include "tasks/MPacer.h"
#include "tasks/MTaskContext.h"
#include "tasks/MTaskReporter.h"

#include <QFile>
#include <QJsonArray>
#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>

// A reporter that keeps the finish text and prints alerts only.
class MQuietReporter final : public MTaskReporter
{
public:
    void ShowMessage(const QString&, const QString&) override { }
    void ShowStatus(const QString&) override { }
    void Alert(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool Ask(const QString&) override { return false; }
    void Finish(const QString& text) override { finish = text; }
    QString finish;
};

// `count` sections "S0", "S1", … of `pages` generated pages each.
inline QJsonArray GeneratedSections(int count, int pages)
{
    QJsonArray sections;
    for (int s = 0; s < count; ++s)
        sections.append(QJsonObject {{"name", QStringLiteral("S%1").arg(s)}, {"generatedPages", pages}});
    return sections;
}

// A line of /proc/self/status in KiB ("VmHWM:" the peak, "VmRSS:" the resident memory), -1 unknown.
inline long StatusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLong();
    return -1;
}

class MBenchLibrary
{
public:
    explicit MBenchLibrary(const QJsonArray& sections)
        : emulator(MEmulator::Options {
            QJsonObject {{"accounts",
                QJsonArray {QJsonObject {{"key", "personal"}, {"kind", "personal"}, {"cid", "BE7C4"},
                    {"notebooks", QJsonArray {QJsonObject {{"name", "Bench"}, {"sections", sections}}}}}}}},
            true, 0})
    { }

    // Starts the emulator and signs the account in; false, with the reason printed, when it cannot.
    bool Start()
    {
        if (const auto error = emulator.Start()) {
            std::fprintf(stderr, "emulator: %s\n", qPrintable(*error));
            return false;
        }
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
        return true;
    }

    // On the run's worker thread: reads the notebook tree (kept in `treeFile`), ticks the notebook,
    // and gives the context a task runs in.
    MTaskContext TickedContext(const QString& treeFile)
    {
        MNotebookTree(account, *tree, treeFile).CreateNotebooksTree(true, false);
        SetCheckState(tree->child(0), 1);
        MTaskContext context;
        context.account = &account;
        context.tree = tree;
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
        return context;
    }

    MEmulator emulator;
    MAccount account;
    MQuietReporter reporter;

private:
    std::shared_ptr<MNotebookNode> tree = std::make_shared<MNotebookNode>();
    std::atomic<bool> running {true};
    MPacer pacer {0, 0, &running};
};
