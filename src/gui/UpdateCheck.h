#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <functional>

// A version text read as four numbers. Only a text with three dots is read whole: "2.3.1" reads as
// 2.3.0.0, because a part counts only when the dot that closes it is there (the last part runs to
// the end of the text). A part that does not begin with digits reads as 0.
using MVersion = std::array<qint64, 4>;
MVersion ParseVersion(const QString& text);
// True when `candidate` is newer than `own`, comparing part by part from the first.
bool IsNewerVersion(const QString& candidate, const QString& own);

// What the daily update check needs from its surroundings. Every member has a working default
// (system idle time, a download on its own thread through the request frame, the system log,
// ShowMessageBox); the desktop replaces `openPage` and tests replace the rest.
struct MUpdateCheckHooks
{
    std::function<long long()> idleSeconds; // -1 when the system cannot tell
    std::function<bool()> taskRunning; // a feature run is going on
    // Starts fetching `url` into `file` in the background; calls `done` on that thread with an error
    // text ("" on success) once the file is written or the fetch has failed.
    std::function<void(const QString& url, const QString& file, std::function<void(const QString& error)> done)>
        download;
    std::function<void(const QString& text)> systemLog;
    std::function<void(const QString& text)> announce;
    std::function<void(const QString& url)> openPage;
};

// The daily look for a newer version, in two steps run on every tick of the one-second timer: the
// download of the one-line version file (at most once a day, only while the user is away), and the
// examination of the local copy (at most once a day, on the main thread). Where the idle time cannot
// be read both go by the day rule alone (the first tick after start-up, then once a day), and never
// while a task runs.
class MUpdateCheck
{
public:
    // `makerWeb` is the origin of the maker's web server; `infoFile` the local copy
    // ("updateinfo.txt"); `settingsFile` receives the two remembered values.
    MUpdateCheck(
        QString makerWeb, QString infoFile, QString settingsFile, QString ownVersion, MUpdateCheckHooks hooks = {});

    void TimerRun()
    {
        DownloadStep();
        AnnounceStep();
    }
    // Each returns true when it did its work this tick (a download started, a file examined).
    bool DownloadStep();
    bool AnnounceStep();

    QString InfoUrl() const;
    QString ProductPageUrl() const;

private:
    bool UserAway(long long idleSeconds) const;
    static void DownloadFinished(const QString& infoFile, const QString& settingsFile, const QString& tempFile,
        const QString& error, const std::function<void(const QString&)>& systemLog);

    QString m_MakerWeb;
    QString m_InfoFile;
    QString m_SettingsFile;
    QString m_OwnVersion;
    MUpdateCheckHooks m_Hooks;
    QDateTime m_LastExamination;
};
