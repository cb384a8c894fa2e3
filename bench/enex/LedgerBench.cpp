// The run ledger's cost per note of a real import: the "sending" mark before the page's request and
// the outcome after its answer, each a write to the SQLite database (write-ahead log, no sync per
// write). A dry run writes nothing, so it costs a dry run nothing.
#include "tasks/MRunJournal.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_LedgerPerNote(benchmark::State& state)
{
    QTemporaryDir dir;
    MRunJournal journal({QStringLiteral("import-enex"), QStringLiteral("bench.enex|1"), QStringLiteral("target"),
                            QStringLiteral("from=1")},
        MRunMode::New, 0, dir.filePath(QStringLiteral("runs.sqlite")));
    if (!journal.IsOpen()) {
        state.SkipWithError(qPrintable(journal.Error()));
        return;
    }
    qint64 index = 0;
    const QString key = QStringLiteral("note:0123456789abcdef0123456789abcdef");
    for (auto _ : state) {
        journal.Sending(index, key, QStringLiteral("A note title"), QStringLiteral("target"));
        journal.Outcome(index, MItemOutcome::Created, QStringLiteral("1-ABCDEF!1-0123"),
            QStringLiteral("https://onedrive.example/page"), QString());
        ++index;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LedgerPerNote)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
