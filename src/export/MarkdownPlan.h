#pragma once

#include "MarkdownPageIndex.h"
#include "tasks/MPageList.h"

#include <QList>
#include <QSet>
#include <QString>
#include <vector>

// One page of a Markdown export and the file it goes to.
struct MMarkdownPlannedPage
{
    MPageEntry entry;
    QString file; // the page's .md file below the export folder
    QString relativeFile; // the same, relative to the export folder ("/" between folders)
    QString resourceFolder; // the "_resources" folder of the page's section
};

// Where a Markdown export writes each page and resource. It is made from the page lists of every
// checked section before any page is read, so that a link to any page of the export can be written
// as a relative path whichever section comes first. Names are made unique against the files on disk
// and against every name the plan gave out, so nothing of this run or an earlier one is overwritten.
class MMarkdownPlan
{
public:
    explicit MMarkdownPlan(QString exportFolder);

    // The pages of one section (`sectionFolder` below the export folder), in the order the list gave
    // them. They are placed in section order; a page of a deeper level goes into a folder named after
    // the file of the page above it, beside that file.
    void AddSection(const QString& sectionFolder, QList<MPageEntry> pages);
    const std::vector<MMarkdownPlannedPage>& Pages() const { return m_Pages; }

    // A free file for an image or attachment of `page` in its section's resource folder.
    QString ReserveResource(const MMarkdownPlannedPage& page, const QString& suggestedName);
    // `file` (below the export folder) relative to the folder of `page`'s file.
    QString RelativeToPage(const MMarkdownPlannedPage& page, const QString& file) const;
    // The relative-path answer for links on `page` (what MMarkdownTargets::pagePath wants).
    std::function<std::optional<QString>(const QString&)> LinksFrom(const MMarkdownPlannedPage& page) const
    {
        return m_Index.LinksFrom(page.relativeFile);
    }

    static QString ResourceFolderName() { return QStringLiteral("_resources"); }

private:
    // `folder/base<ext>`, else `folder/base(1)<ext>`, ..., whichever is free; `reserved` names a base
    // that is never given (the resource folder's name among a section's pages).
    QString FreePath(const QString& folder, const QString& base, const QString& ext, const QString& reserved = {});
    QString Relative(const QString& file) const;

    QString m_ExportFolder;
    std::vector<MMarkdownPlannedPage> m_Pages;
    QSet<QString> m_Given; // lower case: a file system that ignores case must not see one name twice
    MMarkdownPageIndex m_Index;
};
