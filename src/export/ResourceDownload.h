#pragma once

#include "service/MHttpClient.h"

#include <QByteArray>
#include <QString>
#include <functional>

// How a download into a file ended.
struct MDownloadOutcome
{
    bool saved = false;
    bool serviceError = false;
    QString errorCode; // the service's code when it answered an error instead of the file
};

// An answer that is a service error rather than the file asked for: the error object itself, not a
// file that merely mentions one (a saved JSON log, say).
bool IsServiceErrorDownload(const QByteArray& head);

// Streams the answer to `request` into a temporary file beside `path` and moves it into place only
// when it arrived whole and is not a service error, so an error text never lands under the user's
// file name and a failed download leaves no part file behind. A file already at `path` is replaced.
MDownloadOutcome DownloadToFile(
    MHttpRequest request, const QString& path, const std::function<MHttpResponse(const MHttpRequest&)>& send);

// Writes `text` as UTF-8 to a new file; false when the file exists already or any step fails.
bool WriteNewTextFile(const QString& path, const QString& text);
