#include "MPageList.h"

#include "net/AnswerJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

QList<MPageEntry> ParsePageList(const QByteArray& body)
{
    QList<MPageEntry> pages;
    const QJsonArray values = ReadList(body).value_or(QJsonArray());
    pages.reserve(values.size());
    for (const QJsonValue& value : values) {
        const QJsonObject page = value.toObject();
        MPageEntry entry;
        entry.title = page.value(QStringLiteral("title")).toString();
        entry.id = page.value(QStringLiteral("id")).toString();
        entry.clientUrl = LinkHref(page, QLatin1String("oneNoteClientUrl"));
        entry.webUrl = LinkHref(page, QLatin1String("oneNoteWebUrl"));
        entry.created = page.value(QStringLiteral("createdDateTime")).toString();
        entry.modified = page.value(QStringLiteral("lastModifiedDateTime")).toString();
        entry.level = std::max(0, page.value(QStringLiteral("level")).toInt());
        entry.order = page.value(QStringLiteral("order")).toInt(-1);
        pages.append(entry);
    }
    return pages;
}

QString PageListUrl(const QString& baseUrl, const QString& sectionId, qint64 skip, bool pageLevels)
{
    return QStringLiteral("%1/sections/%2/pages?top=100&skip=%3%4")
        .arg(baseUrl, sectionId, QString::number(skip), pageLevels ? QStringLiteral("&pagelevel=true") : QString());
}

QString PageContentUrl(const QString& baseUrl, const QString& pageId)
{
    return QStringLiteral("%1/pages/%2/content?includeIDs=true").arg(baseUrl, pageId);
}

QString PageMetadataUrl(const QString& baseUrl, const QString& pageId)
{
    return QStringLiteral("%1/pages/%2").arg(baseUrl, pageId);
}

QString ClientUrlFromPageMetadata(const QString& text)
{
    return LinkHref(AnswerObject(text.toUtf8()).value_or(QJsonObject()), QLatin1String("oneNoteClientUrl"));
}
