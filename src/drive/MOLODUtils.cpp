#include "MOLODUtils.h"

#include "MDriveTask.h"
#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "model/MResultNode.h"
#include "net/ServiceRequest.h"
#include "service/MServiceSession.h"
#include "service/OneDriveReads.h"
#include "util/TextUtils.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

constexpr int kCreateFolderTimeout = 120;

QJsonArray Entries(const QJsonObject& listing)
{
    return listing.value(QLatin1String("value")).toArray();
}

} // namespace

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
    MServiceSession& session, MResultNode& node, const QString& parentOneDriveApiId)
{
    const MAccount& account = session.Account();
    const QString url = DriveItemAddress(account, parentOneDriveApiId, QStringLiteral("/children"));
    if (account.OnlineOneNoteAccessToken().isEmpty() || url.isEmpty()) {
        node.SetOutcome(MItemOutcome::Failed, QString(), kDriveNoToken);
        return false;
    }
    // Written as JSON, so that a name with a quote or a backslash in it arrives as the user wrote it.
    QJsonObject body {{QStringLiteral("name"), node.name}};
    if (account.MSAccountType() != MAccount::OneNotePersonal)
        body.insert(QStringLiteral("folder"), QJsonObject());
    MHttpRequest request = ServiceRequest("POST", url, kCreateFolderTimeout);
    SetRequestBody(request, "application/json", QJsonDocument(body).toJson(QJsonDocument::Compact));
    const MServiceAnswer answer = session.Send(request, MExpect::Created);
    if (answer.failure == MAnswerFailure::NotSent || answer.failure == MAnswerFailure::Stopped) {
        node.SetOutcome(MItemOutcome::Failed, QString(), kDriveNoToken);
        return false;
    }
    if (answer.failure == MAnswerFailure::Transport) {
        node.SetOutcome(MItemOutcome::Failed, answer.reason, kDriveNoAnswer);
        return false;
    }
    if (!answer.Ok()) {
        const QString message = answer.errorMessage.isEmpty() ? answer.reason : answer.errorMessage;
        node.SetOutcome(MItemOutcome::Failed, message, kDriveServiceError);
        qCWarning(lcOneDrive).noquote() << QStringLiteral("CreateNewFolderInOneDrive error: %1").arg(message);
        WriteLog(QStringLiteral("%1,%2,%3").arg(QStringLiteral("Create Section Group"), node.name, message));
        return false;
    }
    node.id = answer.Object().value(QLatin1String("id")).toString();
    node.SetOutcome(MItemOutcome::Created);
    return true;
}
