#include "OneDriveReads.h"

#include "MServiceSession.h"
#include "account/MAccount.h"
#include "net/AnswerJson.h"
#include "net/ServiceRequest.h"
#include "net/ServiceText.h"
#include "util/TextUtils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcOneDrive, "pagewright.onedrive", QtWarningMsg)

namespace {

constexpr int kReadTimeout = 30;
constexpr int kMostListingPages = 10000; // a guard against a service that keeps pointing onwards

// One read: the body, unless the answer is not the listing or item asked for.
std::optional<QByteArray> Read(MServiceSession& session, const MHttpRequest& request, MExpect expect, QString* failure)
{
    const MServiceAnswer answer = session.Send(request, expect);
    if (failure)
        *failure = answer.reason;
    if (answer.response.HasBody())
        qCDebug(lcOneDrive).noquote() << "---" << answer.Text();
    if (!answer.Ok())
        return std::nullopt;
    return answer.Body();
}

QJsonArray Entries(const QJsonObject& listing)
{
    return listing.value(QLatin1String("value")).toArray();
}

// A children listing with every page of it: the "@odata.nextLink" of each page is followed, and the
// entries are merged into one {"value":[...]}. Absent when any page cannot be read.
std::optional<QByteArray> ReadWholeListing(MServiceSession& session, const QString& url, QString* failure)
{
    std::optional<QByteArray> page = Read(session, ServiceRequest("GET", url, kReadTimeout), MExpect::List, failure);
    if (!page)
        return std::nullopt;
    const QJsonObject listing = AnswerObject(*page).value_or(QJsonObject());
    QString next = listing.value(QLatin1String("@odata.nextLink")).toString();
    if (next.isEmpty())
        return page; // one page: the answer as it came
    // A listing cut into pages: a lookup that saw only the first page would miss a section file
    // beyond it, and a later upload under a "free" name would replace the user's file.
    QJsonArray entries = Entries(listing);
    for (int pages = 1; !next.isEmpty() && pages < kMostListingPages; ++pages) {
        // The next link is a complete, already encoded address.
        page = Read(session, ServiceRequest("GET", next, kReadTimeout), MExpect::List, failure);
        if (!page)
            return std::nullopt; // a partial listing would pass for the whole folder
        const QJsonObject more = AnswerObject(*page).value_or(QJsonObject());
        for (const QJsonValue& entry : Entries(more))
            entries.append(entry);
        const QString following = more.value(QLatin1String("@odata.nextLink")).toString();
        next = following == next ? QString() : following;
    }
    if (!next.isEmpty())
        return std::nullopt;
    QJsonObject merged;
    merged.insert(QLatin1String("value"), entries);
    return QJsonDocument(merged).toJson(QJsonDocument::Compact);
}

} // namespace

QString DriveItemAddress(const MAccount& account, const QString& itemId, const QString& suffix)
{
    const std::optional<QString> api = account.APIUrl();
    if (!api)
        return QString();
    return UrlQueryEncode(*api + QStringLiteral("/drive/items/") + itemId + suffix);
}

QString OneNoteIdDrivePart(const QString& oneNoteApiId)
{
    const QString id = GetStringBetween(oneNoteApiId, QStringLiteral("-"), QString());
    return id.isNull() ? QStringLiteral("") : id;
}

QString DriveItemIdFromOneNoteId(
    MServiceSession& session, const QString& oneNoteApiId, QString* failure, QJsonObject* itemOut)
{
    const QString driveId = OneNoteIdDrivePart(oneNoteApiId);
    if (driveId.isEmpty())
        return QStringLiteral("");
    const std::optional<QByteArray> item = GetAOneDriveItemInfoJson(session, driveId, failure);
    if (!item)
        return QStringLiteral("");
    const QJsonObject object = AnswerObject(*item).value_or(QJsonObject());
    if (itemOut)
        *itemOut = object;
    return object.value(QLatin1String("id")).toString();
}

std::optional<QByteArray> GetAOneDriveItemInfoJson(MServiceSession& session, const QString& itemId, QString* failure)
{
    const QString url = DriveItemAddress(session.Account(), itemId);
    if (url.isEmpty())
        return std::nullopt;
    return Read(session, ServiceRequest("GET", url, kReadTimeout), MExpect::Json, failure);
}

std::optional<QByteArray> GetAOneDriveFolderChildrenJson(
    MServiceSession& session, const QString& folderId, QString* failure)
{
    const QString url = DriveItemAddress(session.Account(), folderId, QStringLiteral("/children"));
    if (url.isEmpty())
        return std::nullopt;
    return ReadWholeListing(session, url, failure);
}

std::optional<QByteArray> GetOneDriveRootChildrenJson(MServiceSession& session, QString* failure)
{
    const std::optional<QString> api = session.Account().APIUrl();
    if (!api)
        return std::nullopt;
    return ReadWholeListing(session, UrlQueryEncode(*api + QStringLiteral("/drive/root/children")), failure);
}
