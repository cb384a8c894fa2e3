#pragma once

#include "service/MServiceAnswer.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <optional>

class MAccount;
class MServiceSession;

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
inline constexpr int kLookupTimeoutSeconds = 30;
// The service's documented limits for a page creation: a plain "text/html" body up to 4 MB (larger
// pages must be multipart), each data part up to 25 MB, the whole request up to 70 MB.
inline constexpr qint64 kPlainBodyMaxBytes = 4 * 1024 * 1024;
inline constexpr qint64 kMaxPartBytes = 25 * 1024 * 1024;
inline constexpr qint64 kMaxRequestBytes = 70 * 1024 * 1024;

struct MPageBody
{
    QByteArray contentType;
    QByteArray body;
    bool multipart = false;
};

// The page HTML with every element that names a part missing from `parts` ("name:…" in an src or data
// attribute) replaced by a visible line, "Missing attachment (image/jpeg, 33c6ed66…)": the service
// refuses a whole page (400, 20008) for one such reference, text and all. `labels` says what a part
// stands for where its name tells nothing (a local file's part is a UUID); otherwise the line gives
// the element's type and the start of the name (an ENEX hash). `missing` receives each line made.
QString WithoutMissingParts(const QString& html, const QList<MPagePart>& parts,
    const QMap<QString, QString>& labels = {}, QStringList* missing = nullptr);

// Plain "text/html" without parts; otherwise multipart with the "Presentation" part first, one part
// per data part in the given order, and the closing boundary line last. A page too large for a plain
// body goes as multipart with its "Presentation" part alone.
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
    kCreationStopped = -5, // the run was stopped before the request went out
    kCreationNotSent = -6, // the page cannot be made from its file (unreadable, too large): nothing was sent
};

struct MCreationOutcome
{
    int code = kCreationNoAnswer;
    QString message; // the service's error message (else the reason), for kCreationServiceError
    QString errorCode; // the service's error code, for kCreationServiceError
    QString reason; // why it failed, in words a user can read (every failure has one)
    QString answer; // the answer text of a success: the created item as the service describes it
    QString id; // the created item's id
    // The answer to the creation was lost, and the item was then found in the service: it was created
    // by the request whose answer did not arrive.
    bool foundAfterLostAnswer = false;
    // Parts the page named that the request could not carry: each went as a line on the page instead.
    QStringList missingParts;
    bool Created() const { return code == kCreationCreated; }
};

// An answer is a creation only when its status is 2xx, it is not an error (no "error" member) and it
// names the new item by its "id"; an HTML error page, an empty answer or one without an id is a
// failure with its reason. No answer at all is kCreationNoAnswer.
MCreationOutcome JudgeCreationAnswer(const MHttpResponse& response);
// The same for an answer the session has judged (a stopped run gives kCreationStopped).
MCreationOutcome JudgeCreationAnswer(const MServiceAnswer& answer);

// The MIME type of a local file by its extension, compared exactly as written; absent for an
// extension not in the table.
std::optional<QString> MimeTypeForExtension(const QString& extension);
QString MimeTypeOfFileOrOctetStream(const QString& path);
// An image told by its first two bytes (PNG, JPEG, GIF, BMP, TIFF, PSD, PCX, SGI, Sun raster); "" for
// anything else or a file that cannot be read.
QString ImageMimeFromLeadingBytes(const QString& path);
// The notes-and-files importer's rule: the extension table, then the leading bytes, then
// "application/octet-stream".
QString GetFileMime(const QString& path);

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

// The whole request: token and target checks, references to missing parts made lines
// (WithoutMissingParts, with `partLabels`), sending through the run's session (which paces it and
// waits out throttling), judging, and the log line on an error answer. When the answer is lost (a
// time-out, a dropped connection) the page is not blindly sent again: the section is first looked
// at for a page of that title written since the run began; found, it counts as created; not found, the
// page is sent once more.
MCreationOutcome CreatePageInOnlineOneNote(MServiceSession& session, const MPageCreationPolicy& policy,
    const QString& target, const QString& name, const QString& html, const QList<MPagePart>& parts,
    const QMap<QString, QString>& partLabels = {});

// The title a page's HTML gives it: the text of its title element, entities decoded.
QString PageTitleOfHtml(const QString& html);

// What a creation made, looked for after its answer was lost: the item (with its "id"), an empty
// object when it is not there, or absent when that could not be told (`failure` says why).
using MCreationLookup = std::function<std::optional<QJsonObject>(QString* failure)>;

// Sends a creation and judges its answer. When the answer is lost, the request is not blindly sent
// again: `lookup` looks for what it would have made; found, that counts as created; not there, the
// request goes once more (and is looked for once more should that answer be lost too); when the
// lookup cannot tell, the creation fails rather than risk making the item twice.
MCreationOutcome SendCreation(MServiceSession& session, const MHttpRequest& request, const MCreationLookup& lookup);

// Looks in a section (its pages collection URL) for a page titled `title` that the service wrote
// since the session began and that the session has not counted yet.
std::optional<QJsonObject> FindPageMadeInThisRun(
    MServiceSession& session, const QString& pagesUrl, const QString& title, QString* failure);
