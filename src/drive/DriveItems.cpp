#include "DriveItems.h"

#include "account/MAccount.h"
#include "net/AnswerJson.h"
#include "net/ServiceText.h"
#include "service/OneDriveReads.h"
#include "util/TextUtils.h"

#include <QJsonArray>
#include <QUrl>

QString DriveChildAddress(const MAccount& account, const QString& parentId, const QString& name, const QString& action)
{
    const QString parent = DriveItemAddress(account, parentId);
    if (parent.isEmpty())
        return QString();
    return parent + QStringLiteral(":/") + QString::fromLatin1(QUrl::toPercentEncoding(name)) + QLatin1Char(':')
        + UrlQueryEncode(action);
}

std::optional<QJsonObject> FindItemInFolder(
    MServiceSession& session, const QString& folderId, const QString& name, QString* failure)
{
    const std::optional<QByteArray> listing = GetAOneDriveFolderChildrenJson(session, folderId, failure);
    if (!listing)
        return std::nullopt;
    for (const QJsonValue& entry : ReadList(*listing).value_or(QJsonArray())) {
        if (StringEqualsIgnoreCase(entry.toObject().value(QLatin1String("name")).toString(), name))
            return entry.toObject();
    }
    return QJsonObject();
}
