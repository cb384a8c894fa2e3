#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QString>
#include <optional>

class MAccount;
class MServiceSession;

// The answers of OneDrive reads and the failures of OneDrive writes, for diagnosis:
// QT_LOGGING_RULES="pagewright.onedrive.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcOneDrive)

// OneDrive addressing and reads: OneNote ids to drive item ids, item and children reads. Notebooks,
// section groups and sections of a personal account are folders and ".one" files on the user's
// OneDrive. Every read goes through the run's service session and blocks its thread until the
// answer is in (30 seconds a request at most, plus the waits the service asks for); none refreshes
// the token (callers do that before they start). A read that fails says why in `failure` when it is
// given.

// The address of a drive item ("<APIUrl>/drive/items/<id><suffix>"), encoded as it is sent; "" for
// an account without a Graph address.
QString DriveItemAddress(const MAccount& account, const QString& itemId, const QString& suffix = QString());

// The text after the first "-" of a OneNote id ("0-ABC!123" gives "ABC!123"); "" without a "-".
QString OneNoteIdDrivePart(const QString& oneNoteApiId);
// The drive item id as OneDrive confirms it by reading the item; "" when it cannot. `item` gets the
// item as read (its size and "lastModifiedDateTime" among its fields).
QString DriveItemIdFromOneNoteId(
    MServiceSession& session, const QString& oneNoteApiId, QString* failure = nullptr, QJsonObject* item = nullptr);

// The item's JSON; absent without a token, without an answer, or for an error answer.
std::optional<QByteArray> GetAOneDriveItemInfoJson(
    MServiceSession& session, const QString& itemId, QString* failure = nullptr);
// The folder's children as one listing {"value":[...]}: every page of the listing, its
// "@odata.nextLink" followed, so that no lookup misses an item beyond the first page. Absent when
// any page cannot be read.
std::optional<QByteArray> GetAOneDriveFolderChildrenJson(
    MServiceSession& session, const QString& folderId, QString* failure = nullptr);
// The drive root's children, every page of them, in the same form.
std::optional<QByteArray> GetOneDriveRootChildrenJson(MServiceSession& session, QString* failure = nullptr);
