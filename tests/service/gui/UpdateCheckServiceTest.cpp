#include "MEmulator.h"
#include "TempDir.h"
#include "UpdateCheck.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "util/MClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>
#include <mutex>

namespace {

// The check's own download (a thread of its own, the request frame) against the emulator's maker
// web server; only the idle time and the system log are replaced (what the user is shown is the unit
// test's work).
class UpdateCheckService : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        MEmulator::Options options;
        options.fixture = LoadFixtureFile(QStringLiteral(PAGEWRIGHT_EMULATOR_FIXTURES_DIR "/demo.json"), &error);
        ASSERT_TRUE(error.isEmpty()) << qPrintable(error);
        emulator = std::make_unique<MEmulator>(options);
        ASSERT_FALSE(emulator->Start().has_value());
        GlobalSettings().SetOneAppUpdate_Last(MClock::Now().addSecs(-86400));
        GlobalSettings().SetCheckedUpdateVersion_Last(QStringLiteral("0.9.0.0"));
    }

    MUpdateCheck Make(const QString& own)
    {
        MUpdateCheckHooks hooks;
        hooks.idleSeconds = [] { return 120LL; };
        hooks.systemLog = [this](const QString& text) {
            const std::lock_guard lock(mutex);
            logs.append(text);
        };
        return MUpdateCheck(emulator->Origin(), dir.FilePath(QStringLiteral("updateinfo.txt")),
            dir.FilePath(QStringLiteral("zephapp.plist")), own, hooks);
    }

    bool WaitFor(const std::function<bool()>& done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 10000) {
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
        return done();
    }

    QStringList Logs()
    {
        const std::lock_guard lock(mutex);
        return logs;
    }

    std::unique_ptr<MEmulator> emulator;
    MTempDir dir;
    std::mutex mutex;
    QStringList logs;
};

} // namespace

TEST_F(UpdateCheckService, DownloadsTheVersionFileFromTheMakersServer)
{
    MUpdateCheck check = Make(QStringLiteral("0.9.0.0"));
    ASSERT_TRUE(check.DownloadStep());
    const QString settings = dir.FilePath(QStringLiteral("zephapp.plist"));
    ASSERT_TRUE(WaitFor([&] { return MConfig(settings).Contains(QStringLiteral("OneAppUpdate_Last")); }));
    EXPECT_EQ(ReadAll(dir.FilePath(QStringLiteral("updateinfo.txt"))).trimmed(), QByteArray("1.0.0.0"));
    EXPECT_TRUE(Logs().isEmpty());
}

TEST_F(UpdateCheckService, AFailedDownloadGoesToTheSystemLogOnly)
{
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("GET /uploads/* drop")).has_value());
    dir.WriteFile(QStringLiteral("updateinfo.txt"), "0.9.0.0");
    MUpdateCheck check = Make(QStringLiteral("0.9.0.0"));
    ASSERT_TRUE(check.DownloadStep());
    ASSERT_TRUE(WaitFor([&] { return !Logs().isEmpty(); }));
    EXPECT_TRUE(Logs().first().startsWith(QStringLiteral("下载文件出错：")));
    EXPECT_EQ(ReadAll(dir.FilePath(QStringLiteral("updateinfo.txt"))), QByteArray("0.9.0.0"));
    EXPECT_FALSE(MConfig(dir.FilePath(QStringLiteral("zephapp.plist"))).Contains(QStringLiteral("OneAppUpdate_Last")));
    EXPECT_FALSE(check.DownloadStep()); // not again today
}
