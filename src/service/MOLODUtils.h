#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

class MONObject;
class MServiceSession;

// Reads of OneDrive items behave in one of two ways: the shared reads stay silent on a service
// error, the section panels' reads show its code in a message box first.
struct MOneDriveReadPolicy
{
    bool showErrorInMessageBox = false;
};

// The folder lookup of the copy and restore panels takes folders only; the size report accepts a
// file of the same name too.
struct MFolderLookupPolicy
{
    bool foldersOnly = true;
};

// OneDrive addressing: OneNote ids to drive item ids, item and children reads, lookups in a children
// listing, and folder creation. Notebooks, section groups and sections of a personal account are
// folders and ".one" files on the user's OneDrive. Every call goes through the run's service session
// and blocks its thread until the answer is in (30 seconds a request at most for reads, plus the
// waits the service asks for); none refreshes the token (callers do that before they start). Reads
// that fail say why in `failure` when it is given.
class MOLODUtils
{
public:
    // The text after the first "-" of a OneNote id ("0-ABC!123" gives "ABC!123"); "" without a "-".
    static QString ConvertOneNoteAPIID2OneDriveID(const QString& oneNoteApiId);
    // The drive item id as OneDrive confirms it by reading the item; "" when it cannot.
    static QString ConvertOneNoteAPIID2OneDriveID_Really(
        MServiceSession& session, const QString& oneNoteApiId, QString* failure = nullptr);

    // The item's JSON; absent without a token, without an answer, or for an error answer.
    static std::optional<QByteArray> GetAOneDriveItemInfoJson(MServiceSession& session, const QString& itemId,
        bool isId, MOneDriveReadPolicy policy = {}, QString* failure = nullptr);
    // The folder's children as one listing {"value":[...]}: every page of the listing, its
    // "@odata.nextLink" followed, so that no lookup misses an item beyond the first page. Absent when
    // any page cannot be read.
    static std::optional<QByteArray> GetAOneDriveFolderChildrenJson(
        MServiceSession& session, const QString& folderId, MOneDriveReadPolicy policy = {}, QString* failure = nullptr);
    // The drive root's children, every page of them, in the same form.
    static std::optional<QByteArray> GetOneDriveRootChildrenJson(
        MServiceSession& session, MOneDriveReadPolicy policy = {}, QString* failure = nullptr);

    // The first entry whose name matches ignoring case: its id, and its "size" in `fileSize` (0
    // when none matches); "" when none does.
    static QString GetSectionGroupFolderInOneDrive(
        const QJsonObject& listing, const QString& name, qint64& fileSize, MFolderLookupPolicy policy = {});
    // The id of the section file (a file whose MIME type holds "msonenote") of that name, ignoring case.
    static QString GetSectionFileInOneDrive(const QJsonObject& listing, const QString& fileName);
    // "<base>.one", else "<base> (1).one", "<base> (2).one", ... whichever the listing does not hold.
    static QString CalculateUniqueSectionFileNameInOneDrive(const QJsonObject& listing, const QString& baseName);

    // Creates the folder named by the node below the parent folder. On success the node's objId
    // becomes the new id, strValue the localized "strSuccess" and intValue 1. Failures set intValue
    // -1 (no token), -3 (no answer) or -4 (an error answer, its message or reason in strValue).
    static bool CreateNewFolderInOneDrive(
        MServiceSession& session, MONObject& node, const QString& parentOneDriveApiId);
};
