#pragma once

#include <QString>
#include <optional>

class QSqlError;

// The settings of the page cache: "PageCache" ("off" turns it off; anything else, or nothing, leaves
// it on) and "PageCacheMB" (the most its pages may take, compressed; 500 by default, 0 keeps none).
struct MPageCacheSettings
{
    static constexpr qint64 kDefaultLimitMB = 500;

    bool on = true;
    qint64 limitMB = kDefaultLimitMB;

    qint64 LimitBytes() const { return limitMB * 1024 * 1024; }
    static MPageCacheSettings Load(const QString& settingsFile);
    bool Save(const QString& settingsFile) const;
};

// What the cache holds.
struct MPageCacheUsage
{
    qint64 pages = 0;
    qint64 bytes = 0; // the pages' compressed content
    qint64 fileBytes = 0; // the database and its write-ahead log as they lie on disk
};

// A copy of the content of every page a task read, so that reading it again costs no request while
// the page has not changed: an SQLite database in the application folder (owner-only, like
// everything there), one row per account and page, holding the page's HTML compressed with the
// page's "lastModifiedDateTime" as the page list gave it when the content was read. A page is served
// only for the same account, page and time; a page whose time moved on is read again and replaces
// its row. Resources (images, attachments) are never kept.
//
// Past its size limit the pages read longest ago go first. The desktop and a command may use the
// file at once: writes go through the write-ahead log in short transactions, waiting briefly for
// each other. A file that is not a database, or is damaged, is moved aside (MovedAsideTo) and a new
// one started; should that fail too, the cache stays closed and every call does nothing.
//
// One object per thread (a database connection belongs to the thread that opened it).
class MPageCache
{
public:
    enum class Mode { Create, ExistingOnly };

    // Opens the cache at `path`; ExistingOnly leaves a missing file missing (and the cache closed).
    explicit MPageCache(
        const QString& path, qint64 limitBytes = MPageCacheSettings().LimitBytes(), Mode mode = Mode::Create);
    ~MPageCache();
    MPageCache(const MPageCache&) = delete;
    MPageCache& operator=(const MPageCache&) = delete;

    // "pagecache.sqlite" in the application folder; "" before there is one.
    static QString DefaultPath();

    bool IsOpen() const { return m_Open; }
    QString Error() const { return m_Error; }
    // Where an unreadable file was moved, when it was; "" otherwise.
    QString MovedAsideTo() const { return m_MovedAside; }

    // The page's HTML when the cache holds it for this account with this modification time.
    std::optional<QString> Find(const QString& account, const QString& pageId, const QString& modified);
    // Keeps the page's HTML under its modification time, in place of what was kept of the page before.
    bool Store(const QString& account, const QString& pageId, const QString& modified, const QString& html);
    // Removes the account's pages, or every page; returns how many went (-1 when it failed).
    qint64 Forget(const QString& account);
    qint64 Clear();
    MPageCacheUsage Usage() const;

private:
    // Declared first in a function, so that it runs once the function's queries are gone: a
    // connection is closed only when none of its queries is left.
    struct MRecoverAfter
    {
        MPageCache& cache;
        ~MRecoverAfter() { cache.Recover(); }
    };

    // `damaged` is set when the file is not a database, is damaged, or cannot be read and written.
    bool Open(Mode mode, bool* damaged);
    void Close();
    bool Exec(const QString& statement, bool* damaged = nullptr);
    // Notes a failed statement; a damaged file is marked for Recover. Always false.
    bool Failed(const QSqlError& error, bool* damaged = nullptr);
    bool MoveAside();
    // A file found damaged is moved aside and a new one opened (once; after that the cache closes).
    void Recover();
    qint64 Remove(const std::optional<QString>& account);
    // Removes the pages read longest ago until the rest fits well within the limit.
    void Trim();
    void ReleaseFreePages();

    QString m_Path;
    qint64 m_Limit;
    QString m_Connection;
    bool m_Open = false;
    QString m_Error;
    QString m_MovedAside;
    bool m_Damaged = false;
    bool m_Busy = false; // the last failure was another connection holding the file
};

// Removes `account`'s pages from the cache in the application folder (signing out). Makes no file.
void ForgetCachedPages(const QString& account);
