#pragma once

#include "CopyMonitor.h"
#include "MDriveTask.h"
#include "MFolderListing.h"

#include <QString>
#include <optional>

// Copies the checked sections and section groups of the tree snapshot into one notebook or section
// group, as OneDrive items: a section group becomes a folder (an existing folder of that name,
// whatever its case, is filled instead, never replaced), a section's ".one" file is copied by the
// service under a name the folder does not hold yet ("Plan (1).one" beside "Plan.one"), and a
// checked notebook gives no folder of its own: its contents land in the target directly. The
// service copies in the background; a copy counts only when the service says it completed. The
// tree: the target, below it the groups and sections as they were copied, each with its status.
class MCopySectionsTask : public MDriveTask
{
public:
    // `targetId` is the OneNote id of the target notebook or section group.
    MCopySectionsTask(
        const MTaskContext& context, QString targetId, MOutlineSink* outline = nullptr, MCopyRules rules = {});

    // The localized key of the reason a run cannot start ("strSelectASection"), or nothing.
    static std::optional<QString> StartProblem(const MNotebookNode* tree);

    // The worker's body: the copy, then the finish text.
    void ThreadViewRun();

    // Sections copied and folders made.
    qint64 CopySuccessCount() const { return m_CopySuccessCount; }

    // One copy request, followed to its end: true when the service completed it. The node gets its
    // status (and the copy's id when the service names it).
    bool CopyASection(MResultNode& node, const QString& sourceSectionId, const QString& parentOneDriveApiId,
        const QString& sectionNewFileName, const QString& path);

private:
    void CopyChildren(
        const MNotebookNode& source, MResultNode& resultParent, MFolderListing& listing, const QString& path);
    void CopyGroup(const MNotebookNode& group, MResultNode& resultParent, MFolderListing& listing, const QString& path);
    void CopySection(
        const MNotebookNode& section, MResultNode& resultParent, MFolderListing& listing, const QString& path);
    // The checked rows below a group whose folder could not be made or read: none of them was sent.
    void SkipBelow(const MNotebookNode& group, const QString& path, const QString& reason);
    // A copy accepted without an address to follow: done when the folder holds it.
    bool ConfirmInFolder(MResultNode& node, const QString& parentId, const QString& name);
    void Progress();

    QString m_TargetId;
    MCopyRules m_Rules;
    qint64 m_CopySuccessCount = 0;
    qint64 m_Done = 0;
    qint64 m_Total = 0;
};
