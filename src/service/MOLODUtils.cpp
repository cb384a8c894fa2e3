#include "MOLODUtils.h"

#include "MServiceSession.h"
#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "net/AnswerJson.h"
#include "net/ServiceRequest.h"
#include "net/ServiceText.h"
#include "util/HtmlText.h"
#include "util/MessageBox.h"
#include "util/TextUtils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>

// The answers of OneDrive reads, for diagnosis: QT_LOGGING_RULES="pagewright.onedrive.debug=true".
Q_LOGGING_CATEGORY(lcOneDrive, "pagewright.onedrive", QtWarningMsg)

namespace {

constexpr int kReadTimeout = 30;
constexpr int kCreateFolderTimeout = 120;
constexpr int kMostListingPages = 10000; // a guard against a service that keeps pointing onwards

QString ItemUrl(const MAccount& account, const QString& itemId, const char* suffix)
{
    const std::optional<QString> api = account.APIUrl();
    if (!api)
        return QString();
    return *api + QStringLiteral("/drive/items/") + itemId + QLatin1String(suffix);
}

// One read: the body, unless the answer is not the listing or item asked for.
std::optional<QByteArray> Read(
    MServiceSession& session, const MHttpRequest& request, MExpect expect, MOneDriveReadPolicy policy, QString* failure)
{
    const MServiceAnswer answer = session.Send(request, expect);
    if (failure)
        *failure = answer.reason;
    if (answer.response.HasBody())
        qCDebug(lcOneDrive).noquote() << "---" << answer.Text();
    if (!answer.Ok()) {
        if (policy.showErrorInMessageBox && answer.failure == MAnswerFailure::Service)
            ShowMessageBox(answer.CodeOrReason());
        return std::nullopt;
    }
    return answer.Body();
}

QJsonArray Entries(const QJsonObject& listing)
{
    return listing.value(QLatin1String("value")).toArray();
}

// A children listing with every page of it: the "@odata.nextLink" of each page is followed, and the
// entries are merged into one {"value":[...]}. Absent when any page cannot be read.
std::optional<QByteArray> ReadWholeListing(
    MServiceSession& session, const QString& url, MOneDriveReadPolicy policy, QString* failure)
{
    std::optional<QByteArray> page
        = Read(session, ServiceRequestEncoded("GET", url, kReadTimeout), MExpect::List, policy, failure);
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
        page = Read(session, ServiceRequest("GET", next, kReadTimeout), MExpect::List, policy, failure);
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

QString MOLODUtils::ConvertOneNoteAPIID2OneDriveID(const QString& oneNoteApiId)
{
    const QString id = GetStringBetween(oneNoteApiId, QStringLiteral("-"), QString());
    return id.isNull() ? QStringLiteral("") : id;
}

QString MOLODUtils::ConvertOneNoteAPIID2OneDriveID_Really(
    MServiceSession& session, const QString& oneNoteApiId, QString* failure)
{
    const QString driveId = ConvertOneNoteAPIID2OneDriveID(oneNoteApiId);
    if (driveId.isEmpty())
        return QStringLiteral("");
    const std::optional<QByteArray> item = GetAOneDriveItemInfoJson(session, driveId, true, {}, failure);
    if (!item)
        return QStringLiteral("");
    return AnswerObject(*item).value_or(QJsonObject()).value(QLatin1String("id")).toString();
}

std::optional<QByteArray> MOLODUtils::GetAOneDriveItemInfoJson(
    MServiceSession& session, const QString& itemId, bool isId, MOneDriveReadPolicy policy, QString* failure)
{
    Q_UNUSED(isId) // every caller passes an item id
    const QString url = ItemUrl(session.Account(), itemId, "");
    if (url.isEmpty())
        return std::nullopt;
    return Read(session, ServiceRequestEncoded("GET", url, kReadTimeout), MExpect::Json, policy, failure);
}

std::optional<QByteArray> MOLODUtils::GetAOneDriveFolderChildrenJson(
    MServiceSession& session, const QString& folderId, MOneDriveReadPolicy policy, QString* failure)
{
    const QString url = ItemUrl(session.Account(), folderId, "/children");
    if (url.isEmpty())
        return std::nullopt;
    return ReadWholeListing(session, url, policy, failure);
}

std::optional<QByteArray> MOLODUtils::GetOneDriveRootChildrenJson(
    MServiceSession& session, MOneDriveReadPolicy policy, QString* failure)
{
    const std::optional<QString> api = session.Account().APIUrl();
    if (!api)
        return std::nullopt;
    return ReadWholeListing(session, *api + QStringLiteral("/drive/root/children"), policy, failure);
}

QString MOLODUtils::GetSectionGroupFolderInOneDrive(
    const QJsonObject& listing, const QString& name, qint64& fileSize, MFolderLookupPolicy policy)
{
    fileSize = 0;
    for (const QJsonValue& value : Entries(listing)) {
        const QJsonObject entry = value.toObject();
        if (policy.foldersOnly && !entry.contains(QLatin1String("folder")))
            continue;
        if (StringEqualsIgnoreCase(entry.value(QLatin1String("name")).toString(), name)) {
            fileSize = entry.value(QLatin1String("size")).toInteger();
            return entry.value(QLatin1String("id")).toString();
        }
    }
    return QStringLiteral("");
}

QString MOLODUtils::GetSectionFileInOneDrive(const QJsonObject& listing, const QString& fileName)
{
    for (const QJsonValue& value : Entries(listing)) {
        const QJsonObject entry = value.toObject();
        const QJsonValue file = entry.value(QLatin1String("file"));
        if (!file.isObject())
            continue;
        const QString mimeType = file.toObject().value(QLatin1String("mimeType")).toString();
        if (!StringContainsIgnoreCase(QStringLiteral("msonenote"), mimeType))
            continue;
        if (StringEqualsIgnoreCase(entry.value(QLatin1String("name")).toString(), fileName))
            return entry.value(QLatin1String("id")).toString();
    }
    return QStringLiteral("");
}

QString MOLODUtils::CalculateUniqueSectionFileNameInOneDrive(const QJsonObject& listing, const QString& baseName)
{
    QString candidate = baseName + QStringLiteral(".one");
    for (qint64 n = 1; !GetSectionFileInOneDrive(listing, candidate).isEmpty(); ++n)
        candidate = QStringLiteral("%1 (%2).one").arg(baseName).arg(n);
    return candidate;
}

bool MOLODUtils::CreateNewFolderInOneDrive(
    MServiceSession& session, MONObject& node, const QString& parentOneDriveApiId)
{
    const MAccount& account = session.Account();
    const QString url = ItemUrl(account, parentOneDriveApiId, "/children");
    if (account.OnlineOneNoteAccessToken().isEmpty() || url.isEmpty()) {
        node.intValue = -1;
        return false;
    }
    // Written as JSON, so that a name with a quote or a backslash in it arrives as the user wrote it.
    QJsonObject body {{QStringLiteral("name"), node.name}};
    if (account.MSAccountType() != MAccount::OneNotePersonal)
        body.insert(QStringLiteral("folder"), QJsonObject());
    MHttpRequest request = ServiceRequestEncoded("POST", url, kCreateFolderTimeout);
    SetRequestBody(request, "application/json", QJsonDocument(body).toJson(QJsonDocument::Compact));
    const MServiceAnswer answer = session.Send(request, MExpect::Created);
    if (answer.failure == MAnswerFailure::NotSent || answer.failure == MAnswerFailure::Stopped) {
        node.intValue = -1;
        return false;
    }
    if (answer.failure == MAnswerFailure::Transport) {
        node.intValue = -3;
        node.strValue = answer.reason;
        return false;
    }
    if (!answer.Ok()) {
        const QString message = answer.errorMessage.isEmpty() ? answer.reason : answer.errorMessage;
        node.strValue = message;
        node.intValue = -4;
        qCWarning(lcOneDrive).noquote() << QStringLiteral("CreateNewFolderInOneDrive error: %1").arg(message);
        WriteLog(QStringLiteral("%1,%2,%3").arg(QStringLiteral("Create Section Group"), node.name, message));
        return false;
    }
    node.objId = answer.Object().value(QLatin1String("id")).toString();
    node.strValue = Localized("strSuccess");
    node.intValue = 1;
    return true;
}
