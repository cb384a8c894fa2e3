#pragma once

// What the emulator's request handlers share. Not part of the library's interface.

#include "MEmuFaults.h"
#include "MEmuJson.h"
#include "MEmuState.h"
#include "MEmulator.h"

#include <QDateTime>
#include <QSet>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

struct MEmuRequest
{
    QString method;
    QString path; // percent-decoded, without the query
    QString target; // path and query as sent
    std::vector<std::pair<QString, QString>> query; // decoded, in order
    std::multimap<QString, QString> headers; // lower-case names
    QByteArray body;
    QString origin; // "http://127.0.0.1:PORT", from the Host header
    bool atDownloadOrigin = false; // received by the varied style's second origin

    QString Query(const QString& name) const; // "" when absent
    bool HasQuery(const QString& name) const;
    // A query option the OneNote interface accepts with or without "$".
    QString Option(const QString& name) const;
    QString Header(const QString& name) const;
};

struct MEmuResponse
{
    int status = 200;
    QByteArray contentType = "application/json; charset=utf-8";
    QByteArray body;
    std::vector<std::pair<QByteArray, QByteArray>> headers;
    bool drop = false; // close the connection in the middle of the answer
    int delayMs = 0;
};

MEmuResponse JsonAnswer(int status, const QByteArray& json);
MEmuResponse HtmlAnswer(int status, const QByteArray& html);
MEmuResponse Redirect(const QString& location);
// {"error":{"code":...,"message":...,"innerError":{...}}}, as Graph writes errors.
MEmuResponse GraphError(int status, const QString& code, const QString& message);
// The OneNote form, with "@api.url" pointing at the error's documentation.
MEmuResponse OneNoteError(int status, const QString& code, const QString& message);
// The identity platform's form: {"error":"invalid_grant","error_description":...,"error_codes":[...]}.
MEmuResponse IdentityError(int status, const QString& error, const QString& description, int code);

// The answer in the varied style: JSON restyled (Graph's extra fields on Graph's answers), a text
// body gzipped when the request accepts it. The sending makes every varied answer chunked.
MEmuResponse StyleAnswer(const MEmuRequest& request, MEmuResponse answer);

QString UrlEncode(const QString& text);
std::vector<std::pair<QString, QString>> ParseForm(const QByteArray& body);
QString FormValue(const std::vector<std::pair<QString, QString>>& form, const QString& name);

struct MEmuAccessToken
{
    QString accountKey;
    QDateTime expires;
};

struct MEmuCode
{
    QString accountKey;
    QString clientId;
    QString redirectUri;
    // PKCE (RFC 7636): what the authorization request sent; the code is redeemed only with the
    // verifier that matches it.
    QString codeChallenge;
    QString codeChallengeMethod;
};

// A device-code sign-in (RFC 8628) waiting for the user at the verification page.
struct MEmuDeviceCode
{
    enum State { Pending, Approved, Declined };
    QString userCode;
    QString clientId;
    QString scope;
    QDateTime expires;
    qint64 interval = 5; // seconds; a poll sooner than this after the last answers slow_down
    QDateTime lastPoll; // invalid before the first poll
    bool slowDownNext = false; // set through /_emulator/device/slow-down
    State state = Pending;
    QString accountKey; // who approved it
};

struct MEmuServerHost;

struct MEmulator::Impl
{
    Options options;
    std::shared_ptr<MEmuServerHost> host;
    std::shared_ptr<MEmuServerHost> downloadHost; // the varied style's second origin
    bool varied = false; // the answer style, fixed when the emulator starts
    QSet<QString> clientIds;

    mutable std::mutex stateMutex; // guards everything below up to the request log
    MEmuState state;
    std::map<QString, MEmuAccessToken> accessTokens;
    std::map<QString, QString> refreshTokens; // token -> account key
    std::map<QString, MEmuCode> codes;
    std::map<QString, MEmuDeviceCode> deviceCodes; // by device code
    struct Download
    {
        QString itemId;
        QString resourceId; // a OneNote resource's bytes instead of a drive item's
        QDateTime expires;
    };
    std::map<QString, Download> downloadAddresses; // the token in a pre-authenticated address
    qint64 downloadLifetime = 3600; // seconds a download address stays valid
    // Copies in the background, each behind its monitor address.
    struct CopyJob
    {
        enum State { InProgress, Completed, Failed };
        QString accountKey;
        QString sourceId;
        QString parentId;
        QString name;
        int pollsLeft = 0;
        int polls = 0;
        State state = InProgress;
        QString resourceId;
        QString errorCode;
        QString errorMessage;
    };
    std::map<QString, CopyJob> copyJobs; // by the token in the monitor address
    // Upload sessions, each behind its upload address.
    struct UploadJob
    {
        QString accountKey;
        QString parentId;
        QString name;
        QString conflictBehavior;
        qint64 total = -1; // the file's size, from the first fragment's Content-Range
        QByteArray received;
        QDateTime expires;
    };
    std::map<QString, UploadJob> uploadJobs; // by the token in the upload address

    mutable std::mutex logMutex;
    std::vector<MEmuLoggedRequest> log;
    qint64 loggedBodyBytes = 0;

    MEmuFaults faults;

    std::mutex stopMutex;
    std::condition_variable stopped;
    std::atomic<bool> stopping {false};

    // Back to the fixture: state, tokens, download addresses, limits' counts, faults and the log.
    void ResetAll();
    // Issues tokens for an account; the caller holds stateMutex.
    MEmulator::Tokens IssueLocked(const QString& accountKey);
    // The account of a bearer token, or the 401 answer.
    MEmuAccount* Authorize(const MEmuRequest& request, MEmuResponse& denied);
    // 0 when the request limits let this call of the account to the service ("onenote", "drive")
    // through (it is counted); else the milliseconds until they would. The caller holds stateMutex.
    qint64 Throttled(const QString& accountKey, const char* service);

    MEmuResponse Dispatch(const MEmuRequest& request);
    // A pre-authenticated address of a drive item's bytes (or of a OneNote resource's), valid for
    // `downloadLifetime`: on the second origin in the varied style. The caller holds stateMutex.
    QString DownloadAddress(const MEmuRequest& request, const QString& itemId, const QString& resourceId = {});
};

// The handler families; each answers the paths it knows and returns false for others.
bool HandleIdentity(MEmulator::Impl& emu, const MEmuRequest& request, MEmuResponse& response);
bool HandleMakerWeb(MEmulator::Impl& emu, const MEmuRequest& request, MEmuResponse& response);
bool HandleInspection(MEmulator::Impl& emu, const MEmuRequest& request, MEmuResponse& response);
// Graph and the legacy OneNote interface: the principal prefix has been taken off; `segments` is the
// rest of the path, `base` the interface root as the caller addressed it.
MEmuResponse HandleOneNote(MEmulator::Impl& emu, MEmuAccount& account, const MEmuRequest& request,
    const QStringList& segments, const QString& base, bool legacy);
// /_emulator/change-after-read, {"page":ID,"changes":[...]} (the changes as a PATCH of the page's
// content sends them): made to the page right after its content is next read, as if someone edited it
// online while the application read it. 204, or the error the PATCH would answer.
MEmuResponse ChangeAfterRead(MEmulator::Impl& emu, const QByteArray& body);
MEmuResponse HandleDrive(MEmulator::Impl& emu, MEmuAccount& account, const MEmuRequest& request,
    const QStringList& segments, const QString& base);
MEmuResponse HandleDownload(MEmulator::Impl& emu, const MEmuRequest& request);
// An item's JSON as the drive interface writes it.
QByteArray DriveItemJson(MEmulator::Impl& emu, MEmuAccount& account, const MEmuRequest& request, const MEmuItem& item);
// The background work of the drive: copy monitors (/_monitor/...) and upload sessions (/_upload/...).
// A "failed" fault on a monitor address makes that copy fail with the fault's code and message.
MEmuResponse HandleDriveJob(MEmulator::Impl& emu, const MEmuRequest& request, const std::optional<MEmuFault>& failCopy);
// The answers that open them, for the drive's handler (the caller holds stateMutex).
MEmuResponse StartCopyJob(MEmulator::Impl& emu, const MEmuAccount& account, const MEmuRequest& request,
    const QString& sourceId, const QString& parentId, const QString& name);
MEmuResponse StartUploadJob(MEmulator::Impl& emu, const MEmuAccount& account, const MEmuRequest& request,
    const QString& parentId, const QString& name, const QString& conflictBehavior);
