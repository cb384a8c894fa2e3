#include "MFolderListing.h"

#include "MOLODUtils.h"
#include "net/AnswerJson.h"

#include <QJsonArray>

namespace {

void Append(QJsonObject& listing, const QJsonObject& entry)
{
    QJsonArray entries = listing.value(QLatin1String("value")).toArray();
    entries.append(entry);
    listing.insert(QLatin1String("value"), entries);
}

} // namespace

MFolderListing MFolderListing::FromJson(const QByteArray& json)
{
    return MFolderListing(AnswerObject(json).value_or(QJsonObject()));
}

QString MFolderListing::FolderId(const QString& name, qint64& size, bool foldersOnly) const
{
    return MOLODUtils::GetSectionGroupFolderInOneDrive(m_Listing, name, size, MFolderLookupPolicy {foldersOnly});
}

QString MFolderListing::UniqueSectionFileName(const QString& baseName) const
{
    return MOLODUtils::CalculateUniqueSectionFileNameInOneDrive(m_Listing, baseName);
}

void MFolderListing::AddFile(const QString& name, const QString& id, qint64 size)
{
    Append(m_Listing,
        QJsonObject {{QStringLiteral("id"), id}, {QStringLiteral("name"), name}, {QStringLiteral("size"), size},
            {QStringLiteral("file"),
                QJsonObject {{QStringLiteral("mimeType"), QStringLiteral("application/msonenote")}}}});
}

void MFolderListing::AddFolder(const QString& name, const QString& id)
{
    Append(m_Listing,
        QJsonObject {{QStringLiteral("id"), id}, {QStringLiteral("name"), name}, {QStringLiteral("size"), 0},
            {QStringLiteral("folder"), QJsonObject {{QStringLiteral("childCount"), 0}}}});
}
