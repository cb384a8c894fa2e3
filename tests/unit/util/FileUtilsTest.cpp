#include "util/FileUtils.h"

#include "TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}
} // namespace

TEST(FileNames, SafeFileNameRemovesElevenCharactersAndCapsLength)
{
    EXPECT_EQ(MakeSafeFileName(S("a:b/c")), S("abc"));
    EXPECT_EQ(MakeSafeFileName(S("'q?%*|\"<>\\x")), S("qx"));
    const QString clean255(255, QLatin1Char('n'));
    EXPECT_EQ(MakeSafeFileName(clean255), clean255);
    EXPECT_EQ(MakeSafeFileName(QString(256, QLatin1Char('n'))), QString(150, QLatin1Char('n')));
    // The length counts after removal.
    EXPECT_EQ(MakeSafeFileName(QString(255, QLatin1Char('n')) + S("::")), clean255);
}

TEST(FileNames, SanitizeKeepsColonAndApostrophe)
{
    EXPECT_EQ(MUtils::SanitizeFileNameString(S("Tom's 10:30 / notes?")), S("Tom's 10:30  notes"));
    EXPECT_EQ(MUtils::SanitizeFileNameString(QString(300, QLatin1Char('x'))).size(), 300);
}

TEST(FileNames, NewNameSkipsFilesAndFoldersInTheWay)
{
    const MTempDir dir;
    const QString t = dir.FilePath(S("T.txt"));
    EXPECT_EQ(MUtils::getFilePathNewName(t, S(".txt")), t);
    dir.WriteFile(S("T.txt"), "x");
    dir.WriteFile(S("T(1).txt"), "x");
    EXPECT_EQ(MUtils::getFilePathNewName(t, S(".txt")), dir.FilePath(S("T(2).txt")));
    QDir(dir.Path()).mkdir(S("T(2).txt"));
    EXPECT_EQ(MUtils::getFilePathNewName(t, S(".txt")), dir.FilePath(S("T(3).txt")));
    // A title that looks like a format argument stays as it is.
    EXPECT_EQ(MUtils::getFilePathNewName(dir.FilePath(S("50%2.txt")), S(".txt")), dir.FilePath(S("50%2.txt")));
    dir.WriteFile(S("50%2.txt"), "x");
    EXPECT_EQ(MUtils::getFilePathNewName(dir.FilePath(S("50%2.txt")), S(".txt")), dir.FilePath(S("50%2(1).txt")));
}

TEST(FileNames, LastComponentAndExtension)
{
    EXPECT_EQ(MUtils::getFileNameFromFullName(S("/a/b/Report.final.pdf"), true), S("Report.final"));
    EXPECT_EQ(MUtils::getFileNameFromFullName(S("/a/b/Report.final.pdf"), false), S("Report.final.pdf"));
    EXPECT_EQ(MUtils::getFileNameFromFullName(S("/a/b/folder/"), false), S("folder"));
    EXPECT_EQ(MUtils::getFileNameFromFullName(S("/a/.hidden"), true), S(".hidden"));
}

TEST(FileNames, SafePathComponentNeverLeavesTheFolder)
{
    EXPECT_EQ(SafePathComponent(S("a/b\\c")), S("a_b_c"));
    EXPECT_EQ(SafePathComponent(S("..")), S("__"));
    EXPECT_EQ(SafePathComponent(S(".")), S("_"));
    EXPECT_EQ(SafePathComponent(S("")), S("_"));
    EXPECT_EQ(SafePathComponent(S("...and more")), S("...and more"));
    EXPECT_EQ(SafePathComponent(S("Q&A: \"2024\"")), S("Q&A: \"2024\""));
}

TEST(Files, CountsAndReads)
{
    const MTempDir dir;
    dir.WriteFile(S("a.txt"), "1");
    dir.WriteFile(S("b.txt"), "2");
    dir.WriteFile(S(".hidden"), "3");
    dir.WriteFile(S("sub/c.txt"), "4");
    EXPECT_EQ(CountFilesInFolder(dir.Path()), 2);
    EXPECT_EQ(CountSubpaths(dir.Path()), 5);
    EXPECT_EQ(CountFilesInFolder(dir.FilePath(S("missing"))), 0);
    EXPECT_EQ(CountSubpaths(dir.FilePath(S("missing"))), 0);
    EXPECT_EQ(ReadTextFile(dir.FilePath(S("a.txt"))), S("1"));
    EXPECT_FALSE(ReadTextFile(dir.FilePath(S("missing"))).has_value());
    EXPECT_TRUE(CreateFolder(dir.FilePath(S("x/y/z"))));
    EXPECT_TRUE(FileExists(dir.FilePath(S("x/y/z"))));
    EXPECT_FALSE(FileExists(S("")));
}
