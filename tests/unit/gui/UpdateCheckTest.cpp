#include "UpdateCheck.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"

#include "FixedClock.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(UpdateVersion, OnlyAFourPartTextIsReadWhole)
{
    EXPECT_EQ(ParseVersion(QStringLiteral("5")), (MVersion {0, 0, 0, 0}));
    EXPECT_EQ(ParseVersion(QStringLiteral("2.3.1")), (MVersion {2, 3, 0, 0}));
    EXPECT_EQ(ParseVersion(QStringLiteral("2.x.1b.7rc")), (MVersion {2, 0, 1, 7}));
}

TEST(UpdateVersion, ComparesPartsAsNumbers)
{
    EXPECT_TRUE(IsNewerVersion(QStringLiteral("2.3.0.1"), QStringLiteral("2.3.0")));
    EXPECT_FALSE(IsNewerVersion(QStringLiteral("2.9.9.9"), QStringLiteral("2.10.0.0")));
    EXPECT_TRUE(IsNewerVersion(QStringLiteral("2.10.0.0"), QStringLiteral("2.9.9.9")));
}

namespace {

// Drives the check with a settable idle time and a download that completes at once with a
// chosen body or error, recording what the user and the system log would see.
class UpdateCheckTest : public ::testing::Test
{
protected:
    UpdateCheckTest()
        : clock(QDateTime(QDate(2026, 3, 10), QTime(14, 0)))
    {
        GlobalSettings().SetOneAppUpdate_Last(clock->CurrentTime().addSecs(-86400));
        GlobalSettings().SetCheckedUpdateVersion_Last(QStringLiteral("1.0.0.0"));
    }

    MUpdateCheck Make(const QString& own = QStringLiteral("1.0.0.0"))
    {
        MUpdateCheckHooks hooks;
        hooks.idleSeconds = [this] { return idle; };
        hooks.taskRunning = [this] { return task; };
        hooks.download = [this](const QString& url, const QString& file, auto done) {
            urls.append(url);
            if (error.isEmpty())
                dir.WriteFile(QFileInfo(file).fileName(), body);
            done(error);
        };
        hooks.systemLog = [this](const QString& text) { logs.append(text); };
        hooks.announce = [this](const QString& text) { announcements.append(text); };
        hooks.openPage = [this](const QString& url) { pages.append(url); };
        return MUpdateCheck(QStringLiteral("http://maker.test"), InfoFile(), SettingsFile(), own, hooks);
    }
    QString InfoFile() const { return dir.FilePath(QStringLiteral("updateinfo.txt")); }
    QString SettingsFile() const { return dir.FilePath(QStringLiteral("zephapp.plist")); }

    MFixedClockScope clock;
    MTempDir dir;
    long long idle = 60;
    bool task = false;
    QByteArray body = "2.0.0.0\n";
    QString error;
    QStringList urls, logs, announcements, pages;
};

} // namespace

TEST_F(UpdateCheckTest, ANeverIdleUserGetsNoCheckWhereasAnUnknownIdleTimeGoesByTheDayOutsideTasks)
{
    // -1: the idle time cannot be read (a Wayland session, no screen-saver extension).
    const struct
    {
        long long idle;
        bool task;
        bool checked;
    } cases[] = {{19, false, false}, {-1, true, false}, {-1, false, true}, {60, true, true}};
    for (const auto& c : cases) {
        idle = c.idle;
        task = c.task;
        urls.clear();
        announcements.clear();
        GlobalSettings().SetOneAppUpdate_Last(clock->CurrentTime().addSecs(-86400));
        GlobalSettings().SetCheckedUpdateVersion_Last(QStringLiteral("1.0.0.0"));
        MUpdateCheck check = Make();
        for (int tick = 0; tick < 5; ++tick)
            check.TimerRun();
        EXPECT_EQ(urls.size(), c.checked ? 1 : 0) << c.idle << c.task;
        EXPECT_EQ(announcements.size(), c.checked ? 1 : 0) << c.idle << c.task;
        if (c.idle < 0 && !c.task) {
            clock->AdvanceSeconds(86400);
            check.TimerRun();
            EXPECT_EQ(urls.size(), 2) << "and once a day after";
        }
    }
}
