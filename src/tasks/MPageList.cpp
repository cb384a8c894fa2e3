#include "MPageList.h"

#include "util/TextUtils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QList<MPageEntry> ParsePageList(const QByteArray& body)
{
    QList<MPageEntry> pages;
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    const QJsonArray values = doc.object().value(QStringLiteral("value")).toArray();
    pages.reserve(values.size());
    for (const QJsonValue& value : values) {
        const QJsonObject page = value.toObject();
        MPageEntry entry;
        entry.title = page.value(QStringLiteral("title")).toString();
        entry.id = page.value(QStringLiteral("id")).toString();
        entry.clientUrl = page.value(QStringLiteral("links"))
                              .toObject()
                              .value(QStringLiteral("oneNoteClientUrl"))
                              .toObject()
                              .value(QStringLiteral("href"))
                              .toString();
        pages.append(entry);
    }
    return pages;
}

QString PageListUrl(const QString& baseUrl, const QString& sectionId, qint64 skip)
{
    return QStringLiteral("%1/sections/%2/pages?top=100&skip=%3").arg(baseUrl, sectionId, QString::number(skip));
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
    // Client links hold braced GUIDs, so the object cannot be cut at its first "}": the href is
    // read from the rest of the answer instead.
    const QString rest = GetStringBetween(text, QStringLiteral("\"oneNoteClientUrl\":"), QString());
    return GetStringBetween(rest, QStringLiteral("\"href\":\""), QStringLiteral("\""));
}
