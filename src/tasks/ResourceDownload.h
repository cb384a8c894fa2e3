#pragma once

#include "service/MServiceAnswer.h"

#include <QString>
#include <functional>

class MServiceSession;

// How a download into a file ended.
struct MDownloadOutcome
{
    bool saved = false;
    MAnswerFailure failure = MAnswerFailure::None; // the answer's, when the answer was no good
    QString errorCode; // the service's code when it answered an error instead of the file
    QString reason; // why nothing was saved, in words a user can read
};

// What a download does with a file already at its path.
enum class MExistingFile {
    Replace,
    Keep, // the download fails and the file stays as it is
};

// Streams the answer to `request` into a temporary file beside `path` and moves it into place only
// when it arrived whole and is the file asked for (a 2xx answer that is not the service's error
// object, and of `expectedSize` bytes when that is known), so an error answer never lands under the
// user's file name and a failed download leaves no part file behind. `send` sends the request and
// judges its answer (a service session, as a rule).
MDownloadOutcome DownloadToFile(MHttpRequest request, const QString& path,
    const std::function<MServiceAnswer(const MHttpRequest&)>& send, qint64 expectedSize = -1,
    MExistingFile existing = MExistingFile::Replace);

// An image or attachment of a page (its address as the page HTML gives it) into `path` through the
// run's session, as DownloadToFile saves it; false, with the reason in `failure`, when it was not
// saved whole. Without a token or a user id nothing is sent: the reason says so.
bool DownloadAttachment(MServiceSession& session, const QString& url, const QString& path, MFailure* failure = nullptr,
    MExistingFile existing = MExistingFile::Replace);

// Writes `text` as UTF-8 to a new file; false when the file exists already or any step fails.
bool WriteNewTextFile(const QString& path, const QString& text);
