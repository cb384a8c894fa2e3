#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"

#include "FixedClock.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}

unsigned ModeBits(const QString& path)
{
    struct stat st
    { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}
} // namespace

TEST(Config, DateKeepsTheDayOnly)
{
    const MTempDir dir;
    const QString path = dir.FilePath(S("zephapp.plist"));
    MConfig writer(path);
    writer.WriteValue(S("OneAppUpdate_Last"), QDateTime(QDate(2026, 3, 14), QTime(23, 59, 30), Qt::LocalTime));
    ASSERT_TRUE(writer.Save());
    const MConfig reader(path);
    EXPECT_EQ(reader.ReadValue(S("OneAppUpdate_Last"), QDateTime()),
        QDateTime(QDate(2026, 3, 14), QTime(0, 0), Qt::LocalTime));
    const QDateTime fallback(QDate(2000, 1, 1), QTime(1, 2));
    EXPECT_EQ(reader.ReadValue(S("Missing"), fallback), fallback);
}

TEST(Config, UnparseableDateGivesNoDate)
{
    const MTempDir dir;
    MConfig config(dir.FilePath(S("zephapp.plist")));
    config.WriteValue(S("D"), S("yesterday"));
    EXPECT_FALSE(config.ReadValue(S("D"), QDateTime::currentDateTime()).isValid());
}

TEST(Config, ValueKindsRoundTripAndDefaultsApply)
{
    const MTempDir dir;
    const QString path = dir.FilePath(S("zephapp.plist"));
    MConfig writer(path);
    writer.WriteValue(S("Str"), S("Tom & \"Jerry\" <b>"));
    writer.WriteValue(S("Int"), qint64(1) << 40);
    writer.WriteValue(S("Bool"), true);
    ASSERT_TRUE(writer.Save());
    const MConfig reader(path);
    EXPECT_EQ(reader.ReadValue(S("Str"), S("")), S("Tom & \"Jerry\" <b>"));
    EXPECT_EQ(reader.ReadValue(S("Int"), 0), qint64(1) << 40);
    EXPECT_TRUE(reader.ReadValue(S("Bool"), false));
    EXPECT_EQ(reader.ReadValue(S("Nope"), S("dflt")), S("dflt"));
    EXPECT_EQ(reader.ReadValue(S("Nope"), 7), 7);
    EXPECT_TRUE(reader.ReadValue(S("Nope"), true));
}

TEST(Config, FirstSaveCreatesTheFileForItsOwnerOnly)
{
    const MTempDir dir;
    const QString path = dir.FilePath(S("zephapp.plist"));
    MConfig config(path);
    EXPECT_FALSE(QFile::exists(path));
    config.WriteValue(S("OnlineOneNoteAccessToken"), S("secret"));
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(ModeBits(path), 0600);
    // Rewriting keeps it private.
    config.WriteValue(S("X"), 1);
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(ModeBits(path), 0600);
}

TEST(Config, SavesMergeSoNeitherWriterLosesItsKeys)
{
    const MTempDir dir;
    const QString path = dir.FilePath(S("zephapp.plist"));
    MConfig a(path);
    MConfig b(path);
    a.WriteValue(S("Export_Folder"), S("/home/u/out"));
    b.WriteValue(S("OnlineOneNoteAccessToken"), S("tok"));
    ASSERT_TRUE(a.Save());
    ASSERT_TRUE(b.Save());
    const MConfig reader(path);
    EXPECT_EQ(reader.ReadValue(S("Export_Folder"), S("")), S("/home/u/out"));
    EXPECT_EQ(reader.ReadValue(S("OnlineOneNoteAccessToken"), S("")), S("tok"));
}

TEST(Config, UnreadableFileIsKeptAsideNotOverwritten)
{
    const MTempDir dir;
    const QString path = dir.WriteFile(S("zephapp.plist"), "<plist><dict><key>x</key>");
    MConfig config(path);
    EXPECT_EQ(config.ReadValue(S("x"), S("default")), S("default"));
    config.WriteValue(S("UploadInterval"), 5);
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(MConfig(path).ReadValue(S("UploadInterval"), 0), 5);
    QFile aside(dir.FilePath(S("zephapp.plist.unreadable")));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), QByteArray("<plist><dict><key>x</key>"));
}

TEST(Config, KeepsValuesOfKindsItDoesNotWrite)
{
    const MTempDir dir;
    const QString path = dir.WriteFile(S("zephapp.plist"),
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
        "<key>List</key><array><string>a</string><integer>2</integer></array>"
        "<key>Ratio</key><real>0.5</real></dict></plist>");
    MConfig config(path);
    config.WriteValue(S("New"), S("v"));
    ASSERT_TRUE(config.Save());
    const QString text = QString::fromUtf8(ReadAll(path));
    EXPECT_TRUE(text.contains(S("<array>")));
    EXPECT_TRUE(text.contains(S("<real>0.5</real>")));
}

TEST(GlobalSettingsStore, MissingFileGivesDefaultsAndSaveCreatesIt)
{
    const MTempDir dir;
    const MFixedClockScope clock(QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::LocalTime));
    GlobalSettings().UploadInterval = 3;
    GlobalSettings().DownloadInterval = 3;
    GlobalSettings().EnableLog = false;
    InitAppPaths(dir.FilePath(S("app")), dir.FilePath(S("Pagewright.log")));
    EXPECT_TRUE(QDir(dir.FilePath(S("app"))).exists());
    EXPECT_EQ(GlobalSettings().UploadInterval.load(), 3);
    EXPECT_EQ(GlobalSettings().DownloadInterval.load(), 3);
    EXPECT_FALSE(GlobalSettings().EnableLog.load());
    EXPECT_EQ(GlobalSettings().OneAppUpdate_Last(), QDateTime(QDate(2026, 5, 31), QTime(12, 0), Qt::LocalTime));
    EXPECT_EQ(GlobalSettings().CheckedUpdateVersion_Last(), ApplicationVersion());
    EXPECT_FALSE(QFile::exists(AppPaths().settingsFile));

    GlobalSettings().UploadInterval = 0;
    SaveGlobalSettings();
    EXPECT_TRUE(QFile::exists(AppPaths().settingsFile));
    GlobalSettings().UploadInterval = 9;
    LoadGlobalSettings();
    EXPECT_EQ(GlobalSettings().UploadInterval.load(), 0);
    GlobalSettings().UploadInterval = 3;
}
