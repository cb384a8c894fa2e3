#pragma once

#include <QHash>
#include <QString>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

// One limit of the service: at most `count` requests in any `ms` milliseconds.
struct MBudgetWindow
{
    int count = 0;
    qint64 ms = 0;
};

// Paces the OneNote requests of an account so that the service's documented limits (120 requests a
// minute and 400 an hour per app and user) are never crossed: a request that would cross one waits
// until the oldest request of that window has left it. One budget serves the whole process (every
// worker of every panel), and it remembers the requests of the last hour in the application folder,
// so that a run started right after another does not begin by overspending.
//
// The windows are the setting "RequestBudget": "COUNT/SECONDSs,..." ("120/60s,400/3600s"; "m" and
// "h" may stand for minutes and hours), or "off" to send without pacing. Even when off, the budget
// counts what is sent: its history is what the waits after a refusal are reckoned from.
class MRequestBudget
{
public:
    static constexpr const char* kDefaultWindows = "120/60s,400/3600s";

    // The windows of a setting's text: empty for "off", absent when the text cannot be read.
    static std::optional<std::vector<MBudgetWindow>> ParseWindows(const QString& text);

    // Sets the windows from a setting's text; false (and the documented limits kept) when it cannot
    // be read.
    bool Configure(const QString& text);
    bool IsOff() const;
    std::vector<MBudgetWindow> Windows() const;

    // Takes the next free slot for one request of `account` and counts it at once, so that two
    // workers never take the same one. Returns the time (ms since the epoch) the request may go.
    qint64 Reserve(const QString& account, qint64 nowMs);
    // The request of a reserved slot went out later than planned (the wait overran): the later time
    // is what the windows count from.
    void Restamp(const QString& account, qint64 slotMs, qint64 sentMs);
    // Gives back a reserved slot that was not used (the run stopped while waiting for it).
    void Release(const QString& account, qint64 slotMs);
    // Counts a request sent without waiting for a slot.
    void Record(const QString& account, qint64 nowMs);
    // The earliest time a request of `account` could go, by the windows; `nowMs` when one may go now
    // or when the budget is off.
    qint64 FreeAt(const QString& account, qint64 nowMs) const;
    // The least time the windows allow for `requests` more requests from now; -1 when off.
    qint64 EstimateMs(const QString& account, qint64 requests, qint64 nowMs) const;
    // The requests of `account` counted in the last `ms`.
    int SentWithin(const QString& account, qint64 ms, qint64 nowMs) const;

    // Where the history is kept between runs; loads what is there. An empty path keeps it in memory.
    void SetStoreFile(const QString& path);
    QString StoreFile() const;
    // Writes the history now; SaveSoon writes it when the last write is two seconds old.
    void Save();
    void SaveSoon(qint64 nowMs);
    // Forgets every count (tests, and a user who signs in to another account).
    void Clear();

    // Follows the settings: the windows' text and the application folder, re-read when they change.
    void Follow(const QString& appFolder, const QString& windowsText);

private:
    using MSent = std::deque<qint64>;
    static qint64 NextSlot(const MSent& sent, const std::vector<MBudgetWindow>& windows, qint64 nowMs);
    void TrimLocked(MSent& sent, qint64 nowMs) const;
    qint64 LongestWindowLocked() const;
    void LoadLocked();
    QByteArray SerializeLocked() const;

    mutable std::mutex m_Mutex;
    std::vector<MBudgetWindow> m_Windows;
    bool m_Off = false;
    QString m_Text;
    QString m_StoreFile;
    QString m_AppFolder;
    QHash<QString, MSent> m_Sent; // per account, in time order; reserved slots may lie ahead
    qint64 m_LastSaveMs = 0;
    bool m_Dirty = false; // counts changed since the last write
};

// The budget of the process, following the "RequestBudget" setting and the application folder
// ("requestbudget.json" there).
MRequestBudget& TheRequestBudget();

// True for an address of the OneNote interface (Graph's ".../onenote/..." or the OneNote service's
// ".../me/notes/..."), whose requests the budget counts.
bool IsOneNoteAddress(const QString& url);
