#include "import/FolderTreeScan.h"

#include "TempDir.h"
#include "model/MONObject.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// The planned tree as lines: "  " per level, the type's letter and the name.
QStringList Outline(const MONObject& root)
{
    QStringList lines;
    for (const MONObject* node : PlannedNodes(root)) {
        int depth = 0;
        for (const MONObject* p = node->parent(); p && p->parent(); p = p->parent())
            ++depth;
        static const char kLetters[] = "RNGSP";
        lines.append(QString(depth * 2, QLatin1Char(' ')) + QLatin1Char(kLetters[node->objType]) + QLatin1Char(' ')
            + node->name);
    }
    return lines;
}

TEST(FolderTreeScanTest, FoldersBecomeGroupsWithASectionOfTheirFilesAndEmptyOnesEmptySections)
{
    MTempDir dir;
    dir.WriteFile(QStringLiteral("Chosen/A/one.txt"), "1");
    dir.WriteFile(QStringLiteral("Chosen/A/Two.HTML"), "<p>2</p>");
    dir.WriteFile(QStringLiteral("Chosen/A/photo.png"), "not a page");
    QDir().mkpath(dir.FilePath(QStringLiteral("Chosen/B")));
    dir.WriteFile(QStringLiteral("Chosen/Only folders/Inner/x.htm"), "x");
    dir.WriteFile(QStringLiteral("Chosen/Only pictures/a.png"), "p");
    dir.WriteFile(QStringLiteral("Chosen/Saved/page.html"), "<img src=\"page_files/a.png\">");
    dir.WriteFile(QStringLiteral("Chosen/Saved/page_files/a.png"), "p");
    dir.WriteFile(QStringLiteral("Chosen/Saved/Export.files/b.png"), "p");
    dir.WriteFile(QStringLiteral("Chosen/loose.txt"), "files of a chosen folder are not imported");

    MONObject root;
    ScanImportTree({dir.FilePath(QStringLiteral("Chosen"))}, root, MImportTreeOptions());
    EXPECT_EQ(Outline(root),
        QStringList({"G A", "  S A", "    P one.txt", "    P Two.HTML", "S B", "G Only folders", "  G Inner",
            "    S Inner", "      P x.htm", "G Only pictures", "G Saved", "  S Saved", "    P page.html"}))
        << qPrintable(Outline(root).join('\n'));

    const MONObject* page = root.child(0)->child(0)->child(0);
    EXPECT_EQ(page->contentUrl, dir.FilePath(QStringLiteral("Chosen/A/one.txt")));
    EXPECT_EQ(page->parentSectionGroupUrl, dir.FilePath(QStringLiteral("Chosen/A")));
    EXPECT_EQ(PlannedPath(*page), QStringLiteral("A/A/one.txt"));

    // Without the skip option the picture folders are folders like any other; without text files
    // the section of A keeps only its HTML page.
    MImportTreeOptions options;
    options.skipHtmlFilesSubFolders = false;
    options.txtFiles = false;
    ScanImportTree({dir.FilePath(QStringLiteral("Chosen"))}, root, options);
    const QStringList outline = Outline(root);
    EXPECT_TRUE(outline.contains(QStringLiteral("  G page_files"))) << qPrintable(outline.join('\n'));
    EXPECT_TRUE(outline.contains(QStringLiteral("  G Export.files")));
    EXPECT_EQ(outline.mid(0, 3), QStringList({"G A", "  S A", "    P Two.HTML"}));
}

TEST(FolderTreeScanTest, TheFirstLevelCanMakeNotebooks)
{
    MTempDir dir;
    dir.WriteFile(QStringLiteral("Books/Travel/Lisbon/day.txt"), "d");
    dir.WriteFile(QStringLiteral("Books/Travel/not imported.txt"), "n");
    QDir().mkpath(dir.FilePath(QStringLiteral("Books/Work/Empty")));

    MONObject root;
    MImportTreeOptions options;
    options.firstSubIsNotebook = true;
    ScanImportTree({dir.FilePath(QStringLiteral("Books"))}, root, options);
    EXPECT_EQ(Outline(root),
        QStringList({"N Travel", "  G Lisbon", "    S Lisbon", "      P day.txt", "N Work", "  S Empty"}))
        << qPrintable(Outline(root).join('\n'));
    EXPECT_EQ(root.child(0)->parentNotebookUrl, QStringLiteral("Travel"));
    EXPECT_EQ(root.child(0)->child(0)->child(0)->parentNotebookUrl, QStringLiteral("Travel"));
}

} // namespace
