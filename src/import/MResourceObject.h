#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One resource (image or attached file) of the note being converted. `data` is the Base64 text as
// the file holds it; `bytes` is what it decodes to, kept so that the hash and the page request do
// not decode the same megabytes twice.
struct MResourceObject
{
    bool isImage = false;
    QByteArray data;
    QString mime;
    QString fileName;
    QString resourceUrl;
    QString hashValue;
    QByteArray bytes;
};

using MResourceList = QList<MResourceObject>;
