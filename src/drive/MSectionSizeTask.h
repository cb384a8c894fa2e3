#pragma once

#include "MDriveTask.h"
#include "MFolderListing.h"

#include <QString>
#include <optional>

// How much OneDrive storage the checked notebooks, section groups and sections take, as OneDrive
// reports it (a folder's size is the total of what it holds). The tree mirrors the checked part of
// the notebook tree: a row with its size, "Non-creator" for a notebook another account owns (not
// entered), "Not found" for a group or section without its folder or file (a group not found is not
// entered), or the reason a read failed (its size dropped: what was measured is not the whole).
class MSectionSizeTask : public MDriveTask
{
public:
    explicit MSectionSizeTask(const MTaskContext& context, MOutlineSink* outline = nullptr);

    static std::optional<QString> StartProblem(const MNotebookNode* tree);

    // The worker's body: the walk, then the finish text.
    void ThreadViewRun();

    // Rows whose item could not be read (a service error or no answer).
    qint64 ReadsFailed() const { return m_ReadsFailed; }

private:
    void SizeChildren(
        const MNotebookNode& node, MResultNode& viewParent, const MFolderListing* listing, const QString& path);
    void SizeNotebook(const MNotebookNode& notebook, MResultNode& viewParent, const QString& path);
    void SizeInListing(
        const MNotebookNode& child, MResultNode& viewParent, const MFolderListing* listing, const QString& path);
    void ReadFailed(MResultNode& row, const QString& path, const QString& reason);

    qint64 m_ReadsFailed = 0;
    qint64 m_Done = 0;
    qint64 m_Total = 0;
};
