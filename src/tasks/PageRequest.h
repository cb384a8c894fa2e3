#pragma once

#include "service/MHttpClient.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

class MAccount;

// The page-creation request every importer ends in: one HTML document plus data parts (images,
// attached files) that the HTML names as "name:<part>".

struct MPagePart
{
    QString name;
    QByteArray contentType;
    QByteArray bytes;
};

inline constexpr char kPartBoundary[] = "ZephAppPartBoundary";
inline constexpr qint64 kLargeBodyBytes = 1048576; // past this a page gets the long time-out
inline constexpr int kCreationTimeoutSeconds = 120;
inline constexpr int kLargeBodyTimeoutSeconds = 240;

struct MPageBody
{
    QByteArray contentType;
    QByteArray body;
    bool multipart = false;
};

// Plain "text/html" without parts; otherwise multipart with the "Presentation" part first, one part
// per data part in the given order, and the closing boundary line last.
MPageBody BuildPageBody(const QString& html, const QList<MPagePart>& parts);
// The size BuildPageBody would give, without assembling it (for previews of large imports).
qint64 PageBodySize(const QString& html, const QList<MPagePart>& parts);
int PageRequestTimeout(qint64 bodySize);
// Method, URL (encoded), time-out, headers and body; the bearer header is added when sent.
MHttpRequest BuildPageRequest(const QString& url, const QString& html, const QList<MPagePart>& parts);

// The outcome of one creation. Codes as the importers record them.
enum MCreationCode : int {
    kCreationCreated = 1,
    kCreationReused = 2,
    kCreationNoToken = -1,
    kCreationNoTarget = -2,
    kCreationNoAnswer = -3,
    kCreationServiceError = -4,
};

struct MCreationOutcome
{
    int code = kCreationNoAnswer;
    QString message; // the service's error message, for kCreationServiceError
    QString errorCode; // the service's error code, for kCreationServiceError
    QString answer; // the answer text, when there was one
    bool Created() const { return code == kCreationCreated; }
};

// No body: no answer. A body holding "error": is a service error with its message; anything else,
// an HTML error page included, is success.
MCreationOutcome JudgeCreationAnswer(const MHttpResponse& response);

// The MIME type of a local file by its extension, compared exactly as written; absent for an
// extension not in the table.
std::optional<QString> MimeTypeForExtension(const QString& extension);
QString MimeTypeOfFileOrOctetStream(const QString& path);

// Where the three importers differ.
struct MPageCreationPolicy
{
    enum class Importer { Enex, NotesAndFiles, FolderTree };
    Importer importer = Importer::Enex;
    // The content type of a local file part (file importers only).
    QString (*mimeForFile)(const QString& path) = MimeTypeOfFileOrOctetStream;

    static MPageCreationPolicy Enex();
    static MPageCreationPolicy NotesAndFiles();
    static MPageCreationPolicy FolderTree();

    // The page URL before encoding: the ENEX importer's section URL + "/pages", the notes
    // importer's section id under the account's base URL, the folder importer's pagesUrl as is.
    QString PagesUrl(const MAccount& account, const QString& target) const;
    // What the importer keeps of a service error's message (the folder importer strips markup).
    QString RecordedMessage(const QString& message) const;
    // The log line for a failed page (`name` is the title, the file item's or the node's name).
    QString LogLine(const QString& name, const MCreationOutcome& outcome) const;
};

// Parts of the file importers: each map entry whose file exists, read whole, in the map's order;
// vanished files are left out.
QList<MPagePart> PartsFromAttachments(const QMap<QString, QString>& attachments, const MPageCreationPolicy& policy);

// The whole request: token and target checks, sending, judging, the log line on a service error.
MCreationOutcome CreatePageInOnlineOneNote(const MAccount& account, const MPageCreationPolicy& policy,
    const QString& target, const QString& name, const QString& html, const QList<MPagePart>& parts);
