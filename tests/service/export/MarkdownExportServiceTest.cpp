#include "FeatureServiceTest.h"
#include "export/MExportTask.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QUrl>

using ExportServiceTest = FeatureServiceTest;

namespace {

QJsonObject LeveledPage(const QString& title, int level, const QString& body, const QJsonArray& resources = {})
{
    return QJsonObject {{"title", title}, {"created", "2024-05-01T09:30:00Z"}, {"level", level}, {"body", body},
        {"resources", resources}};
}

// Every .md file below `folder`, relative to it.
QStringList MarkdownFiles(const QString& folder)
{
    QStringList files;
    for (QDirIterator it(folder, {"*.md"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// The link and image destinations of a Markdown file that are paths, not addresses (balanced
// parentheses belong to a destination, as CommonMark reads it).
QStringList RelativeDestinations(const QString& markdown)
{
    QStringList paths;
    for (qsizetype at = markdown.indexOf(QLatin1String("](")); at >= 0;
         at = markdown.indexOf(QLatin1String("]("), at)) {
        at += 2;
        qsizetype end = at;
        for (int depth = 0; end < markdown.size() && !(markdown[end] == QLatin1Char(')') && depth == 0); ++end)
            depth += markdown[end] == QLatin1Char('(') ? 1 : markdown[end] == QLatin1Char(')') ? -1 : 0;
        const QString destination = markdown.mid(at, end - at);
        if (!destination.contains(QLatin1Char(':')))
            paths << QUrl::fromPercentEncoding(destination.toUtf8());
    }
    return paths;
}

} // namespace

TEST_F(ExportServiceTest, MarkdownPagesNestSubPagesKeepResourcesAndLinkToEachOther)
{
    const QJsonArray picture {QJsonObject {{"name", "pic"}, {"png", QJsonObject {{"width", 4}, {"height", 3}}}}};
    const QString outside = QStringLiteral("onenote:https://d/Else.one#Far&amp;section-id={S}&amp;"
                                           "page-id={99999999-0000-4000-8000-000000000000}&amp;end");
    Start(QJsonArray {QJsonObject {{"name", "Book"},
        {"sections",
            QJsonArray {QJsonObject {{"name", "Notes"},
                {"pages",
                    QJsonArray {LeveledPage("Plan", 0,
                                    "<p data-tag=\"to-do\">Buy milk</p><table><tr><td>A</td><td>B</td></tr>"
                                    "<tr><td>1</td><td>2</td></tr></table><img src=\"name:pic\" alt=\"a dot\" />"
                                    "<p><a href=\"{{link:Trip}}\">to the trip</a> <a href=\""
                                        + outside + "\">far away</a></p>",
                                    picture),
                        LeveledPage(
                            "Trip", 1, "<p><a href=\"{{link:Plan}}\">back</a></p><img src=\"name:pic\" />", picture),
                        LeveledPage("Same", 0, "<p>first</p>"), LeveledPage("Same", 0, "<p>second</p>"),
                        LeveledPage("_resources", 0, "<p>named like the folder</p>")}}}}}}});
    ASSERT_TRUE(Check("Book"));
    MExportTask task(context, MExportKind::Markdown, out.Path());
    OnWorker([&] { task.ThreadRun(); });
    const QString notes = out.FilePath(QStringLiteral("Book/Notes"));
    EXPECT_EQ(
        MarkdownFiles(notes), QStringList({"Plan.md", "Plan/Trip.md", "Same(1).md", "Same.md", "_resources(1).md"}));
    const struct
    {
        const char* file;
        const char* text;
    } expected[] = {
        {"Plan.md", "---\ntitle: \"Plan\"\ncreated: 2024-05-01T09:30:00"},
        {"Plan.md", "\nonenote: \"onenote:https://"},
        {"Plan.md", "\n- [ ] Buy milk\n"},
        {"Plan.md", "\n| A | B |\n| --- | --- |\n| 1 | 2 |\n"},
        {"Plan.md", "![a dot](_resources/image-1.png)"},
        {"Plan.md", "[to the trip](Plan/Trip.md)"},
        {"Plan/Trip.md", "[back](../Plan.md)"},
        {"Plan/Trip.md", "](../_resources/image-1(1).png)"},
        {"Same.md", "\nfirst\n"},
        {"Same(1).md", "\nsecond\n"},
    };
    for (const auto& [file, text] : expected)
        EXPECT_TRUE(ReadText(notes + "/" + file).contains(QString::fromUtf8(text))) << file << ": " << text;
    EXPECT_TRUE(ReadAll(notes + "/_resources/image-1.png").startsWith("\x89PNG"));
    EXPECT_EQ(task.ItemsFailed(), 0);
    EXPECT_EQ(task.ResourcesFailed(), 0);
    // The link to a page outside the export stays as it was and is named beside the page's success.
    const QString planLine = reporter.LastResult().section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(planLine.endsWith(QStringLiteral("Plan.md Success (links to pages outside the export: "
                                                 "onenote:https://d/Else.one#Far&section-id={S}&"
                                                 "page-id={99999999-0000-4000-8000-000000000000}&end)")))
        << qPrintable(planLine);
    EXPECT_TRUE(ReadText(notes + "/Plan.md").contains(QStringLiteral("[far away](onenote:https://d/Else.one#Far&")));

    // A second run writes beside the first: new names, its own sub-page folder, nothing overwritten.
    const QByteArray firstPlan = ReadAll(notes + "/Plan.md");
    MExportTask again(context, MExportKind::Markdown, out.Path());
    OnWorker([&] { again.ThreadRun(); });
    EXPECT_EQ(again.ExportFilesCount(), 5);
    EXPECT_EQ(ReadAll(notes + "/Plan.md"), firstPlan);
    EXPECT_TRUE(ReadText(notes + "/Plan(1).md").contains(QStringLiteral("[to the trip](Plan(1)/Trip.md)")));
    EXPECT_EQ(QDir(notes + "/_resources").entryList(QDir::Files).size(), 4);

    // Every relative link of either run leads to a file that is there.
    qsizetype followed = 0;
    for (const QString& file : MarkdownFiles(notes))
        for (const QString& path : RelativeDestinations(ReadText(notes + "/" + file))) {
            ++followed;
            EXPECT_TRUE(QFileInfo::exists(QFileInfo(notes + "/" + file).dir().filePath(path)))
                << qPrintable(file + " -> " + path);
        }
    EXPECT_EQ(followed, 8);
}
