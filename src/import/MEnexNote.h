#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// What the import reads of one resource element. Absent optionals are absent child elements: a
// resource without a file-name element is not the same as one with an empty file name.
struct MEnexResource
{
    QString mime;
    QByteArray data; // the Base64 text, as written
    bool hasAttributes = false;
    std::optional<QString> fileName;
    std::optional<QString> sourceUrl;
};

// What the import reads of one note element; every text is the element's whole text content.
struct MEnexNote
{
    QString title;
    QString content; // the ENML document
    std::optional<QString> created;
    std::optional<QString> firstTag;
    QList<MEnexResource> resources;
    qint64 sourceBytes = 0; // bytes of the file this note spans, for progress and speed figures
};
