#pragma once

#include "DriveUpload.h"
#include "MDriveTask.h"
#include "MFolderListing.h"

// Uploads local ".one" files and folders into the OneDrive folder of a notebook or section group
// (the restore list of RestoreTree.h). A local folder becomes a folder there, or fills the folder of
// that name that is there already ("strExists"); a file becomes a section file under a name the
// folder does not hold ("Plan (1).one" beside "Plan.one"): nothing there is ever replaced. Files are
// streamed from disk, large ones through an upload session, so their size costs no memory.
class MRestoreTask : public MDriveTask
{
public:
    // `list` is the restore list as the user made it; the task works on a copy.
    MRestoreTask(
        const MTaskContext& context, const MResultNode& list, MOutlineSink* outline = nullptr, MUploadRules rules = {});

    // The localized key of the reason a run cannot start ("strSelectASection"), or nothing.
    static std::optional<QString> StartProblem(const MResultNode& list);

    // The worker's body: the upload, then the finish text.
    void ThreadViewRun();

    // Files uploaded and folders made.
    qint64 SuccessCount() const { return m_SuccessCount; }

    // One file into the folder as `name`: the node gets its status and the new file's id.
    bool UploadASectionFileToOneDrive(MResultNode& node, const QString& parentOneDriveApiId, const QString& name);

private:
    void RestoreChildren(MResultNode& parent, MFolderListing& listing, const QString& path);
    void RestoreFolder(MResultNode& folder, MResultNode& parent, MFolderListing& listing, const QString& path);
    void RestoreFile(MResultNode& file, MResultNode& parent, MFolderListing& listing, const QString& path);
    // The rows below a folder that could not be made or read: none of them was sent.
    void SkipBelow(const MResultNode& folder, const QString& path, const QString& reason);

    MUploadRules m_Rules;
    qint64 m_SuccessCount = 0;
    qint64 m_Done = 0;
    qint64 m_Total = 0;
};
