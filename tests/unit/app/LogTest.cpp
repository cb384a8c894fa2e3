#include "app/Log.h"
#include "app/AppPaths.h"

#include "FixedClock.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Log, EntriesAreWholeTimestampedLinesAndNoneWhenDisabled)
{
    const MTempDir dir;
    InitAppPaths(dir.FilePath(u"app"_s), dir.FilePath(u"Pagewright.log"_s));
    WriteLog(false, true, u"never"_s);
    EXPECT_FALSE(QFile::exists(AppPaths().logFile));
    const MFixedClockScope clock(QDateTime(QDate(2026, 2, 3), QTime(4, 5, 6), Qt::LocalTime));
    WriteLog(true, true, u"Create Page,Groceries,Bad request"_s);
    WriteLog(true, true, u"second"_s);
    WriteLog(true, false, u"detail"_s);
    EXPECT_EQ(QString::fromUtf8(ReadAll(AppPaths().logFile)),
        u"2026-02-03 04:05:06 Create Page,Groceries,Bad request\n"
        "2026-02-03 04:05:06 second\n"
        "\tdetail\n"_s);
}
