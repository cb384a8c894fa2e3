#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One entry of a section's page list as the service gives it.
struct MPageEntry
{
    QString title;
    QString id;
    QString clientUrl; // links.oneNoteClientUrl.href
    QString webUrl; // links.oneNoteWebUrl.href
    QString created; // createdDateTime as the service writes it
    QString modified; // lastModifiedDateTime as the service writes it; "" when the list left it out
    // With pagelevel=true: 0 for a page, 1 for its sub-page, ...; and its place in the section. The
    // order is -1 when the list does not give it.
    int level = 0;
    int order = -1;
};

// The "value" entries of a page-list answer in service order; empty for an answer that does not
// parse or has no "value". Any next-page link is ignored: paging goes by the skip counter alone.
QList<MPageEntry> ParsePageList(const QByteArray& body);

// The section's page list from `skip` on, 100 at most (not yet percent-encoded); `pageLevels` asks
// for each page's level and order as well.
QString PageListUrl(const QString& baseUrl, const QString& sectionId, qint64 skip, bool pageLevels = false);
QString PageContentUrl(const QString& baseUrl, const QString& pageId);
QString PageMetadataUrl(const QString& baseUrl, const QString& pageId);
// The client link in a page-metadata answer, found by text: "" when a marker is missing.
QString ClientUrlFromPageMetadata(const QString& text);
