#include "app/Log.h"
#include "app/AppPaths.h"

#include "FixedClock.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}
} // namespace

TEST(Log, DisabledWritesNothing)
{
    const MTempDir dir;
    InitAppPaths(dir.FilePath(S("app")), dir.FilePath(S("Pagewright.log")));
    WriteLog(false, true, S("never"));
    EXPECT_FALSE(QFile::exists(AppPaths().logFile));
}

TEST(Log, EntriesAreWholeTimestampedLines)
{
    const MTempDir dir;
    InitAppPaths(dir.FilePath(S("app")), dir.FilePath(S("Pagewright.log")));
    const MFixedClockScope clock(QDateTime(QDate(2026, 2, 3), QTime(4, 5, 6), Qt::LocalTime));
    WriteLog(true, true, S("Create Page,Groceries,Bad request"));
    WriteLog(true, true, S("second"));
    WriteLog(true, false, S("detail"));
    EXPECT_EQ(QString::fromUtf8(ReadAll(AppPaths().logFile)),
        S("2026-02-03 04:05:06 Create Page,Groceries,Bad request\n"
          "2026-02-03 04:05:06 second\n"
          "\tdetail\n"));
}
