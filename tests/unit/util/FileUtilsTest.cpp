#include "util/FileUtils.h"

#include "TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The safe name drops eleven characters and caps the length; sanitizing keeps ":" and "'".
TEST(FileNames, SafeAndSanitizedNames)
{
    EXPECT_EQ(MakeSafeFileName(u"a:b/c"_s), u"abc"_s);
    EXPECT_EQ(MakeSafeFileName(u"'q?%*|\"<>\\x"_s), u"qx"_s);
    const QString clean255(255, QLatin1Char('n'));
    EXPECT_EQ(MakeSafeFileName(clean255), clean255);
    EXPECT_EQ(MakeSafeFileName(QString(256, QLatin1Char('n'))), QString(150, QLatin1Char('n')));
    // The length counts after removal.
    EXPECT_EQ(MakeSafeFileName(QString(255, QLatin1Char('n')) + u"::"_s), clean255);
    EXPECT_EQ(MUtils::SanitizeFileNameString(u"Tom's 10:30 / notes?"_s), u"Tom's 10:30  notes"_s);
    EXPECT_EQ(MUtils::SanitizeFileNameString(QString(300, QLatin1Char('x'))).size(), 300);
}

TEST(FileNames, NewNameSkipsFilesAndFoldersInTheWay)
{
    const MTempDir dir;
    const QString t = dir.FilePath(u"T.txt"_s);
    EXPECT_EQ(MUtils::getFilePathNewName(t, u".txt"_s), t);
    dir.WriteFile(u"T.txt"_s, "x");
    dir.WriteFile(u"T(1).txt"_s, "x");
    EXPECT_EQ(MUtils::getFilePathNewName(t, u".txt"_s), dir.FilePath(u"T(2).txt"_s));
    QDir(dir.Path()).mkdir(u"T(2).txt"_s);
    EXPECT_EQ(MUtils::getFilePathNewName(t, u".txt"_s), dir.FilePath(u"T(3).txt"_s));
    // A title that looks like a format argument stays as it is.
    EXPECT_EQ(MUtils::getFilePathNewName(dir.FilePath(u"50%2.txt"_s), u".txt"_s), dir.FilePath(u"50%2.txt"_s));
    dir.WriteFile(u"50%2.txt"_s, "x");
    EXPECT_EQ(MUtils::getFilePathNewName(dir.FilePath(u"50%2.txt"_s), u".txt"_s), dir.FilePath(u"50%2(1).txt"_s));
}

TEST(FileNames, LastComponentAndExtension)
{
    EXPECT_EQ(MUtils::getFileNameFromFullName(u"/a/b/Report.final.pdf"_s, true), u"Report.final"_s);
    EXPECT_EQ(MUtils::getFileNameFromFullName(u"/a/b/Report.final.pdf"_s, false), u"Report.final.pdf"_s);
    EXPECT_EQ(MUtils::getFileNameFromFullName(u"/a/b/folder/"_s, false), u"folder"_s);
    EXPECT_EQ(MUtils::getFileNameFromFullName(u"/a/.hidden"_s, true), u".hidden"_s);
}

TEST(FileNames, SafePathComponentNeverLeavesTheFolder)
{
    EXPECT_EQ(SafePathComponent(u"a/b\\c"_s), u"a_b_c"_s);
    EXPECT_EQ(SafePathComponent(u".."_s), u"__"_s);
    EXPECT_EQ(SafePathComponent(u"."_s), u"_"_s);
    EXPECT_EQ(SafePathComponent(u""_s), u"_"_s);
    EXPECT_EQ(SafePathComponent(u"...and more"_s), u"...and more"_s);
    EXPECT_EQ(SafePathComponent(u"Q&A: \"2024\""_s), u"Q&A: \"2024\""_s);
}

TEST(Files, AMissingFolderHoldsNoFiles)
{
    EXPECT_EQ(CountFilesInFolder(u"/nonexistent/folder"_s), 0);
}
