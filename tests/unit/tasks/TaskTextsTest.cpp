#include "tasks/TaskTexts.h"
#include "app/MStrings.h"

#include <gtest/gtest.h>

// The summary and progress lines as the panels show them are checked in PanelBaseTest; here the
// counts that are no outcome, and the rounding of the time left.
TEST(TaskTexts, TheSummaryCountsOnlyOutcomesAndTimeLeftRoundsUpToWhatAPersonPlansWith)
{
    SetStringTableLanguage(QStringLiteral("en"));
    MOutcomeCounts counts;
    for (int i = 0; i < 412; ++i)
        counts.Add(MItemOutcome::Created);
    counts.Add(MItemOutcome::Sending); // an item still on its way is no outcome
    counts.Add(MItemOutcome::Skipped);
    EXPECT_EQ(SummaryText(counts), QStringLiteral("412 created, 1 skipped"));
    EXPECT_EQ(counts.Total(), 413);
    EXPECT_EQ(ProgressLineText({12, 0, -1}), QStringLiteral("12")); // total not known
    EXPECT_EQ(ProgressLineText({40, 40, 0}), QStringLiteral("40 of 40")); // nothing left to wait for
    EXPECT_EQ(DurationText(0), QStringLiteral("1 s"));
    EXPECT_EQ(DurationText(61), QStringLiteral("2 min"));
    EXPECT_EQ(DurationText(3599), QStringLiteral("1 h"));
    EXPECT_EQ(DurationText(7500), QStringLiteral("2 h 5 min"));
}
