#pragma once

#include <QJsonObject>
#include <QString>

class MResultNode;
class MServiceSession;

// The folder lookup of the copy and restore panels takes folders only; the size report accepts a
// file of the same name too.
struct MFolderLookupPolicy
{
    bool foldersOnly = true;
};

// The section panels' work on OneDrive listings (as service/OneDriveReads reads them): lookups by
// name, free section file names, and folder creation.
class MOLODUtils
{
public:
    // The first entry whose name matches ignoring case: its id, and its "size" in `fileSize` (0
    // when none matches); "" when none does.
    static QString GetSectionGroupFolderInOneDrive(
        const QJsonObject& listing, const QString& name, qint64& fileSize, MFolderLookupPolicy policy = {});
    // The id of the section file (a file whose MIME type holds "msonenote") of that name, ignoring case.
    static QString GetSectionFileInOneDrive(const QJsonObject& listing, const QString& fileName);
    // "<base>.one", else "<base> (1).one", "<base> (2).one", ... whichever the listing does not hold.
    static QString CalculateUniqueSectionFileNameInOneDrive(const QJsonObject& listing, const QString& baseName);

    // Creates the folder named by the node below the parent folder, through the run's session. On
    // success the node's id becomes the new one and its outcome Created; a failure is the node's
    // outcome with its code (-1 no token, -3 no answer, -4 an error answer with its message).
    static bool CreateNewFolderInOneDrive(
        MServiceSession& session, MResultNode& node, const QString& parentOneDriveApiId);
};
