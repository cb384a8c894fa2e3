// The decision every importer's front ends make before a run, from a ledger holding no run, an
// unfinished run or a finished run of the same import.
#include "app/MStrings.h"
#include "tasks/MRunJournal.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

enum class MEarlier { None, Unfinished, Finished };

// A ledger whose one run of `identity` is as asked: two items created and one skipped, and when
// unfinished a third one that was being sent when the run was cut off.
QString Ledger(const MTempDir& dir, const MRunJournal::MIdentity& identity, MEarlier earlier)
{
    const QString path = dir.FilePath(QStringLiteral("runs.sqlite"));
    MRunLedger ledger(path);
    if (earlier == MEarlier::None)
        return path;
    const qint64 run = ledger.BeginRun(identity.task, identity.source, identity.target, identity.settings);
    const MLedgerOutcome outcomes[]
        = {MLedgerOutcome::Created, MLedgerOutcome::Created, MLedgerOutcome::Skipped, MLedgerOutcome::Sending};
    for (int i = 0; i < (earlier == MEarlier::Unfinished ? 4 : 3); ++i) {
        MLedgerItem item;
        item.run = run;
        item.index = i;
        item.key = QStringLiteral("file:%1").arg(i);
        item.outcome = outcomes[i];
        ledger.SetItem(item);
    }
    if (earlier == MEarlier::Finished)
        ledger.EndRun(run, QStringLiteral("finished"));
    return path;
}

} // namespace

TEST(RunChoice, AnImportIsNeverRepeatedWithoutAWordAndResumedOnlyWhenUnfinished)
{
    SetStringTableLanguage(QStringLiteral("en"));
    using K = MRunChoice::Kind;
    const struct
    {
        MEarlier earlier;
        MRunRequest request;
        K kind;
        MRunMode mode;
    } cases[] = {
        {MEarlier::None, MRunRequest::Default, K::Start, MRunMode::New},
        {MEarlier::None, MRunRequest::Resume, K::Start, MRunMode::New}, // nothing to resume: a new run
        {MEarlier::None, MRunRequest::SkipImported, K::Start, MRunMode::SkipImported},
        {MEarlier::Unfinished, MRunRequest::Default, K::AskUnfinished, MRunMode::New},
        {MEarlier::Unfinished, MRunRequest::SkipImported, K::AskUnfinished, MRunMode::SkipImported},
        {MEarlier::Unfinished, MRunRequest::Resume, K::Start, MRunMode::Resume},
        {MEarlier::Unfinished, MRunRequest::New, K::Start, MRunMode::New},
        {MEarlier::Finished, MRunRequest::Default, K::AskFinished, MRunMode::New},
        {MEarlier::Finished, MRunRequest::Resume, K::AlreadyDone, MRunMode::New},
        {MEarlier::Finished, MRunRequest::New, K::Start, MRunMode::New},
        {MEarlier::Finished, MRunRequest::SkipImported, K::Start, MRunMode::SkipImported},
    };
    const MRunJournal::MIdentity identity {
        QStringLiteral("import-files"), QStringLiteral("a.txt"), QStringLiteral("1-section"), QStringLiteral("kind=2")};
    for (const auto& c : cases) {
        const MTempDir dir;
        const QString ledger = Ledger(dir, identity, c.earlier);
        const MRunChoice choice = ChooseRun(identity, c.request, ledger);
        const QString label = QStringLiteral("earlier %1, request %2").arg(int(c.earlier)).arg(int(c.request));
        EXPECT_EQ(choice.kind, c.kind) << qPrintable(label);
        EXPECT_EQ(choice.recording.mode, c.mode) << qPrintable(label);
        EXPECT_TRUE(choice.recording.record);
        EXPECT_EQ(choice.recording.resumeRun, c.mode == MRunMode::Resume ? choice.earlier.id : 0);
        if (c.kind == K::AskFinished)
            EXPECT_TRUE(EarlierRunText(choice.earlier, ledger).endsWith(QStringLiteral(" (2 created, 1 skipped)")));
        // Another target is another import: nothing to ask.
        MRunJournal::MIdentity elsewhere = identity;
        elsewhere.target = QStringLiteral("2-section");
        EXPECT_EQ(ChooseRun(elsewhere, c.request, ledger).kind, K::Start) << qPrintable(label);
    }
}
