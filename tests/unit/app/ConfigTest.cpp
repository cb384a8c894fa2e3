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

using namespace Qt::StringLiterals;

namespace {

unsigned ModeBits(const QString& path)
{
    struct stat st
    { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}
} // namespace

// Plain numbers, flags and defaults go through the options dialog's and the start-up's tests; here
// text that is markup, a large number, a date (its day only) and one that is not.
TEST(Config, ValuesReadBackAsWrittenAndDatesAsTheirDay)
{
    const MTempDir dir;
    const QString path = dir.FilePath(u"zephapp.plist"_s);
    MConfig writer(path);
    writer.WriteValue(u"Str"_s, u"Tom & \"Jerry\" <b>"_s);
    writer.WriteValue(u"Int"_s, qint64(1) << 40);
    writer.WriteValue(u"OneAppUpdate_Last"_s, QDateTime(QDate(2026, 3, 14), QTime(23, 59, 30), Qt::LocalTime));
    writer.WriteValue(u"D"_s, u"yesterday"_s);
    ASSERT_TRUE(writer.Save());
    const MConfig reader(path);
    EXPECT_EQ(reader.ReadValue(u"Str"_s, u""_s), u"Tom & \"Jerry\" <b>"_s);
    EXPECT_EQ(reader.ReadValue(u"Int"_s, 0), qint64(1) << 40);
    EXPECT_EQ(reader.ReadValue(u"OneAppUpdate_Last"_s, QDateTime()),
        QDateTime(QDate(2026, 3, 14), QTime(0, 0), Qt::LocalTime));
    EXPECT_FALSE(reader.ReadValue(u"D"_s, QDateTime::currentDateTime()).isValid());
    const QDateTime fallback(QDate(2000, 1, 1), QTime(1, 2));
    EXPECT_EQ(reader.ReadValue(u"Missing"_s, fallback), fallback);
}

TEST(Config, FirstSaveCreatesTheFileForItsOwnerOnly)
{
    const MTempDir dir;
    const QString path = dir.FilePath(u"zephapp.plist"_s);
    MConfig config(path);
    EXPECT_FALSE(QFile::exists(path));
    config.WriteValue(u"OnlineOneNoteAccessToken"_s, u"secret"_s);
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(ModeBits(path), 0600);
    // Rewriting keeps it private.
    config.WriteValue(u"X"_s, 1);
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(ModeBits(path), 0600);
}

TEST(Config, SavesMergeSoNeitherWriterLosesItsKeys)
{
    const MTempDir dir;
    const QString path = dir.FilePath(u"zephapp.plist"_s);
    MConfig a(path);
    MConfig b(path);
    a.WriteValue(u"Export_Folder"_s, u"/home/u/out"_s);
    b.WriteValue(u"OnlineOneNoteAccessToken"_s, u"tok"_s);
    ASSERT_TRUE(a.Save());
    ASSERT_TRUE(b.Save());
    const MConfig reader(path);
    EXPECT_EQ(reader.ReadValue(u"Export_Folder"_s, u""_s), u"/home/u/out"_s);
    EXPECT_EQ(reader.ReadValue(u"OnlineOneNoteAccessToken"_s, u""_s), u"tok"_s);
}

TEST(Config, UnreadableFileIsKeptAsideNotOverwritten)
{
    const MTempDir dir;
    const QString path = dir.WriteFile(u"zephapp.plist"_s, "<plist><dict><key>x</key>");
    MConfig config(path);
    EXPECT_EQ(config.ReadValue(u"x"_s, u"default"_s), u"default"_s);
    config.WriteValue(u"UploadInterval"_s, 5);
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(MConfig(path).ReadValue(u"UploadInterval"_s, 0), 5);
    QFile aside(dir.FilePath(u"zephapp.plist.unreadable"_s));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), QByteArray("<plist><dict><key>x</key>"));
}

TEST(Config, KeepsValuesOfKindsItDoesNotWrite)
{
    const MTempDir dir;
    const QString path = dir.WriteFile(u"zephapp.plist"_s,
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
        "<key>List</key><array><string>a</string><integer>2</integer></array>"
        "<key>Ratio</key><real>0.5</real></dict></plist>");
    MConfig config(path);
    config.WriteValue(u"New"_s, u"v"_s);
    ASSERT_TRUE(config.Save());
    const QString text = QString::fromUtf8(ReadAll(path));
    EXPECT_TRUE(text.contains(u"<array>"_s));
    EXPECT_TRUE(text.contains(u"<real>0.5</real>"_s));
}

TEST(GlobalSettingsStore, MissingFileGivesDefaultsAndSaveCreatesIt)
{
    const MTempDir dir;
    const MFixedClockScope clock(QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::LocalTime));
    GlobalSettings().UploadInterval = 3;
    GlobalSettings().EnableLog = false;
    InitAppPaths(dir.FilePath(u"app"_s), dir.FilePath(u"Pagewright.log"_s));
    EXPECT_TRUE(QDir(dir.FilePath(u"app"_s)).exists());
    EXPECT_EQ(GlobalSettings().UploadInterval.load(), 3);
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
