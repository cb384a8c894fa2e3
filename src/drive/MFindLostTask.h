#pragma once

#include "MDriveTask.h"

#include <QByteArray>
#include <QString>

// Finds the section files the OneNote service left behind as temporary ".onetmp" files anywhere in
// the user's OneDrive. Every folder is walked depth first, every page of every listing read; each
// file found becomes a ticked row of the tree (id the item id, name as found, path the parent's
// drive path, address its web address, shownName the name it is saved under). A folder that
// cannot be listed is named in an alert and a failed row; the walk goes on.
class MFindLostTask : public MDriveTask
{
public:
    explicit MFindLostTask(const MTaskContext& context, MOutlineSink* outline = nullptr);

    // The worker's body: the search, then the finish text.
    void ThreadRun();
    void SearchIn_OneDrive();

    qint64 ExportFilesCount() const { return m_ExportFilesCount; }

private:
    void SearchIn_RootJson(const QByteArray& body, const QString& path);
    void SearchIn_AFolder(const QString& folderId, const QString& path);
    void ListingFailed(const QString& path, const QString& reason);

    qint64 m_ExportFilesCount = 0;
    qint64 m_FoldersRead = 0;
};

// The folder of a found file below the drive root, as its row shows it: "" for the root itself,
// "/Backups/Phone" for a file two folders deep.
QString LostSectionFolder(const MResultNode& found);

// Saves the ticked files of a search as ".one" files in a local folder, each under
// "<name>_<item id>.one" (two files of one name in different folders stay apart), never over a file
// that is there: a taken name gets a number ("..._<id>(1).one"). A file is written to a temporary
// file first and moved into place only when it arrived whole and of its size.
class MSaveLostTask : public MDriveTask
{
public:
    // `found` is a search's tree as the user ticked it; the task works on a copy.
    MSaveLostTask(
        const MTaskContext& context, const MResultNode& found, QString folder, MOutlineSink* outline = nullptr);

    // The worker's body: each ticked file, then the finish text.
    void ThreadRunSave();

    // The file's download address into its address, and its size; false (its outcome says why)
    // when there is none.
    bool GetFileDownloadUrl(MResultNode& node, qint64& size, QString* failure);
    bool DownloadFile(MResultNode& node, const QString& path, qint64 size, QString* failure);

    qint64 SavedCount() const { return m_Saved; }

private:
    QString m_Folder;
    qint64 m_Saved = 0;
};

// "<found name without its extension>_<item id>.one", made safe as a file name.
QString LostSectionFileName(const MResultNode& found);
