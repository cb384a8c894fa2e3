#include "FixedClock.h"
#include "TempDir.h"
#include "net/MRequestBudget.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 kStart = 1'700'000'000'000;

TEST(RequestBudget, WindowsAreReadFromTheSettingAndABadOneKeepsTheDocumentedLimits)
{
    const auto windows = MRequestBudget::ParseWindows(QStringLiteral("120/60s, 400/1h,5/2m"));
    ASSERT_TRUE(windows);
    ASSERT_EQ(windows->size(), 3u);
    EXPECT_EQ((*windows)[0].count, 120);
    EXPECT_EQ((*windows)[0].ms, 60000);
    EXPECT_EQ((*windows)[1].ms, 3600000);
    EXPECT_EQ((*windows)[2].ms, 120000);
    EXPECT_TRUE(MRequestBudget::ParseWindows(QStringLiteral("OFF"))->empty());
    for (const char* bad : {"", "120", "0/60s", "120/0s", "120/60x", "120/60s,"})
        EXPECT_FALSE(MRequestBudget::ParseWindows(QLatin1String(bad))) << bad;

    MRequestBudget budget;
    EXPECT_FALSE(budget.Configure(QStringLiteral("lots")));
    ASSERT_EQ(budget.Windows().size(), 2u);
    EXPECT_EQ(budget.Windows()[1].count, 400);
    EXPECT_TRUE(budget.Configure(QStringLiteral("off")));
    EXPECT_TRUE(budget.IsOff());
}

TEST(RequestBudget, ARequestThatWouldCrossAWindowWaitsUntilTheOldestHasLeftIt)
{
    MRequestBudget budget;
    budget.Configure(QStringLiteral("3/1s,5/10s"));
    const QString me = QStringLiteral("me");
    // Three go at once; the fourth waits for the first to leave the one-second window (plus the
    // margin that covers the trip to the service).
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(budget.Reserve(me, kStart), kStart);
    EXPECT_EQ(budget.Reserve(me, kStart), kStart + 1000 + 50);
    EXPECT_EQ(budget.Reserve(me, kStart), kStart + 1050);
    // The sixth crosses the ten-second window: it waits for the first to leave that.
    EXPECT_EQ(budget.Reserve(me, kStart), kStart + 10000 + 250);
    // Another account has limits of its own.
    EXPECT_EQ(budget.Reserve(QStringLiteral("other"), kStart), kStart);
    // Slots are taken in turn, so two workers never get the same one.
    EXPECT_EQ(budget.FreeAt(me, kStart), kStart + 10250);
}

TEST(RequestBudget, ALateSendCountsFromWhenItWentOut)
{
    MRequestBudget budget;
    budget.Configure(QStringLiteral("1/1s"));
    const QString me = QStringLiteral("me");
    EXPECT_EQ(budget.Reserve(me, kStart), kStart);
    const qint64 slot = budget.Reserve(me, kStart);
    budget.Restamp(me, slot, slot + 300); // the machine was busy: it went 300 ms late
    EXPECT_EQ(budget.FreeAt(me, slot), slot + 300 + 1050);
}

TEST(RequestBudget, AnUnusedSlotIsGivenBackAndUnpacedRequestsStillCount)
{
    MRequestBudget budget;
    budget.Configure(QStringLiteral("2/1s"));
    const QString me = QStringLiteral("me");
    budget.Record(me, kStart); // the notebook tree, read outside a run
    EXPECT_EQ(budget.Reserve(me, kStart), kStart);
    const qint64 slot = budget.Reserve(me, kStart);
    EXPECT_EQ(slot, kStart + 1050);
    budget.Release(me, slot); // the run stopped while it waited
    EXPECT_EQ(budget.FreeAt(me, kStart + 1050), kStart + 1050);
    EXPECT_EQ(budget.SentWithin(me, 1000, kStart), 2);
}

TEST(RequestBudget, TheEstimateIsTheLeastTimeTheWindowsAllow)
{
    MRequestBudget budget;
    budget.Configure(QStringLiteral("20/2s,60/10s"));
    // 60 go in the first ten seconds (20 every two, at most 60 in ten), the next after the first leaves.
    EXPECT_EQ(budget.EstimateMs(QStringLiteral("me"), 20, kStart), 0);
    EXPECT_EQ(budget.EstimateMs(QStringLiteral("me"), 21, kStart), 2100);
    EXPECT_EQ(budget.EstimateMs(QStringLiteral("me"), 61, kStart), 10250);
    // The estimate takes nothing.
    EXPECT_EQ(budget.FreeAt(QStringLiteral("me"), kStart), kStart);
    budget.Configure(QStringLiteral("off"));
    EXPECT_EQ(budget.EstimateMs(QStringLiteral("me"), 1000, kStart), -1);
}

TEST(RequestBudget, TheLastHourIsRememberedForTheNextStart)
{
    MFixedClockScope clock(QDateTime::fromMSecsSinceEpoch(kStart + 5000));
    MTempDir dir;
    const QString store = dir.FilePath(QStringLiteral("requestbudget.json"));
    {
        MRequestBudget budget;
        budget.Configure(QStringLiteral("2/60s"));
        budget.SetStoreFile(store);
        budget.Record(QStringLiteral("me"), kStart - 2 * 3600 * 1000); // long gone
        budget.Record(QStringLiteral("me"), kStart);
        budget.Record(QStringLiteral("me"), kStart + 1000);
        budget.Save();
    }
    MRequestBudget next;
    next.Configure(QStringLiteral("2/60s"));
    next.SetStoreFile(store);
    EXPECT_EQ(next.SentWithin(QStringLiteral("me"), 3600 * 1000, kStart + 5000), 2);
    EXPECT_EQ(next.FreeAt(QStringLiteral("me"), kStart + 5000), kStart + 60250);
}

} // namespace
