#include "tasks/TaskTexts.h"
#include "app/MStrings.h"

#include <gtest/gtest.h>

TEST(TaskTexts, TheSummaryNamesOnlyTheCountsThatHappened)
{
    SetStringTableLanguage(QStringLiteral("en"));
    MOutcomeCounts counts;
    EXPECT_EQ(SummaryText(counts), QStringLiteral("Nothing was done"));
    for (int i = 0; i < 412; ++i)
        counts.Add(MItemOutcome::Created);
    counts.Add(MItemOutcome::Sending); // an item still on its way is no outcome
    for (int i = 0; i < 3; ++i)
        counts.Add(MItemOutcome::Failed);
    EXPECT_EQ(SummaryText(counts), QStringLiteral("412 created, 3 failed"));
    counts.Add(MItemOutcome::Reused);
    counts.Add(MItemOutcome::Skipped);
    EXPECT_EQ(SummaryText(counts), QStringLiteral("412 created, 1 already there, 1 skipped, 3 failed"));
    EXPECT_EQ(counts.Total(), 417);
}

TEST(TaskTexts, ProgressCountsAndTimeLeftRoundUpToWhatAPersonPlansWith)
{
    SetStringTableLanguage(QStringLiteral("en"));
    EXPECT_EQ(ProgressLineText({12, 40, -1}), QStringLiteral("12 of 40"));
    EXPECT_EQ(ProgressLineText({12, 0, -1}), QStringLiteral("12")); // total not known
    EXPECT_EQ(ProgressLineText({12, 40, 45}), QStringLiteral("12 of 40 · about 45 s left"));
    EXPECT_EQ(ProgressLineText({40, 40, 0}), QStringLiteral("40 of 40")); // nothing left to wait for
    EXPECT_EQ(DurationText(0), QStringLiteral("1 s"));
    EXPECT_EQ(DurationText(60), QStringLiteral("1 min"));
    EXPECT_EQ(DurationText(61), QStringLiteral("2 min"));
    EXPECT_EQ(DurationText(3599), QStringLiteral("1 h"));
    EXPECT_EQ(DurationText(7500), QStringLiteral("2 h 5 min"));
}
