// The decision the importers' front ends make before a run, from a ledger holding no run, an
// unfinished run or a finished run of the same import.
#include "app/MStrings.h"
#include "tasks/MRunJournal.h"

#include "TempDir.h"

#include <gtest/gtest.h>

TEST(RunChoice, AnImportIsNeverRepeatedWithoutAWordAndResumedOnlyWhenUnfinished)
{
    SetStringTableLanguage(QStringLiteral("en"));
    using K = MRunChoice::Kind;
    using R = MRunRequest;
    // Earlier run: 0 none, 1 unfinished (an item was being sent), 2 finished (2 created, 1 skipped).
    const struct
    {
        int earlier;
        R request;
        K kind;
        MRunMode mode;
    } cases[] = {
        {0, R::Default, K::Start, MRunMode::New},
        {0, R::Resume, K::Start, MRunMode::New},
        {0, R::SkipImported, K::Start, MRunMode::SkipImported},
        {1, R::Default, K::AskUnfinished, MRunMode::New},
        {1, R::SkipImported, K::AskUnfinished, MRunMode::SkipImported},
        {1, R::Resume, K::Start, MRunMode::Resume},
        {1, R::New, K::Start, MRunMode::New},
        {2, R::Default, K::AskFinished, MRunMode::New},
        {2, R::Resume, K::AlreadyDone, MRunMode::New},
        {2, R::New, K::Start, MRunMode::New},
        {2, R::SkipImported, K::Start, MRunMode::SkipImported},
    };
    const MRunJournal::MIdentity identity {
        QStringLiteral("import-files"), QStringLiteral("a.txt"), QStringLiteral("1-section"), QStringLiteral("kind=2")};
    for (const auto& c : cases) {
        const MTempDir dir;
        const QString path = dir.FilePath(QStringLiteral("runs.sqlite"));
        if (c.earlier > 0) {
            MRunLedger ledger(path);
            const qint64 run = ledger.BeginRun(identity.task, identity.source, identity.target, identity.settings);
            const MItemOutcome outcomes[]
                = {MItemOutcome::Created, MItemOutcome::Created, MItemOutcome::Skipped, MItemOutcome::Sending};
            for (int i = 0; i < 5 - c.earlier; ++i)
                ledger.SetItem(MLedgerItem {run, i, QStringLiteral("file:%1").arg(i), {}, outcomes[i]});
            if (c.earlier == 2)
                ledger.EndRun(run, QStringLiteral("finished"));
        }
        const MRunChoice choice = ChooseRun(identity, c.request, path);
        const std::string label
            = QStringLiteral("earlier %1, request %2").arg(c.earlier).arg(int(c.request)).toStdString();
        EXPECT_EQ(choice.kind, c.kind) << label;
        EXPECT_EQ(choice.recording.mode, c.mode) << label;
        EXPECT_EQ(choice.recording.resumeRun, c.mode == MRunMode::Resume ? choice.earlier.id : 0) << label;
        if (c.kind == K::AskFinished) {
            EXPECT_TRUE(EarlierRunText(choice.earlier, path).endsWith(QStringLiteral(" (2 created, 1 skipped)")));
        }
        MRunJournal::MIdentity elsewhere = identity; // another target is another import
        elsewhere.target = QStringLiteral("2-section");
        EXPECT_EQ(ChooseRun(elsewhere, c.request, path).kind, K::Start) << label;
    }
}

TEST(RunChoice, LedgerOutcomeNamesOfEveryVersionRead)
{
    // The names are what ledger files hold: writing must keep them, and every one ever written reads.
    // ("created" and "sending" are read from an older build's ledger by the command line's test.)
    const struct
    {
        const char* name;
        MItemOutcome outcome;
        bool written;
    } cases[] = {
        {"notyet", MItemOutcome::NotAttempted, true},
        {"reused", MItemOutcome::Reused, true},
        {"failed", MItemOutcome::Failed, true},
        {"skipped", MItemOutcome::Skipped, true},
        {"stopped", MItemOutcome::NotAttempted, false},
        {"", MItemOutcome::NotAttempted, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LedgerOutcomeNamed(QLatin1String(c.name)), c.outcome) << c.name;
        if (c.written) {
            EXPECT_EQ(LedgerOutcomeName(c.outcome), QLatin1String(c.name));
        }
    }
}
