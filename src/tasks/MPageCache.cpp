#include "MPageCache.h"

#include "app/AppPaths.h"
#include "app/Log.h"
#include "app/MConfig.h"
#include "app/PrivateFiles.h"
#include "app/SqlConnection.h"
#include "util/MSleeper.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

namespace {

// SQLite's primary result codes for a file that is no database, or a damaged one.
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kOpenAttempts = 50;
constexpr int kOpenRetryMs = 100;

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS pages (account TEXT NOT NULL, page_id TEXT NOT NULL, modified TEXT NOT NULL, "
    "content BLOB NOT NULL, size INTEGER NOT NULL, read_at INTEGER NOT NULL, PRIMARY KEY (account, page_id))",
    "CREATE INDEX IF NOT EXISTS pages_by_read ON pages (read_at)",
    // The totals are kept by the database itself, so that every process sees the same ones without
    // adding up every row.
    "CREATE TABLE IF NOT EXISTS usage (id INTEGER PRIMARY KEY CHECK (id = 0), pages INTEGER NOT NULL, bytes INTEGER "
    "NOT NULL)",
    "INSERT OR IGNORE INTO usage VALUES (0, 0, 0)",
    "CREATE TRIGGER IF NOT EXISTS pages_added AFTER INSERT ON pages BEGIN UPDATE usage SET pages = pages + 1, bytes = "
    "bytes + NEW.size; END",
    "CREATE TRIGGER IF NOT EXISTS pages_removed AFTER DELETE ON pages BEGIN UPDATE usage SET pages = pages - 1, bytes "
    "= bytes - OLD.size; END",
    "CREATE TRIGGER IF NOT EXISTS pages_replaced AFTER UPDATE OF size ON pages BEGIN UPDATE usage SET bytes = bytes - "
    "OLD.size + NEW.size; END",
};

bool IsDamage(const QSqlError& error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == kSqliteCorrupt || code == kSqliteNotADatabase;
}

qint64 FileSize(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

} // namespace

MPageCacheSettings MPageCacheSettings::Load(const QString& settingsFile)
{
    MPageCacheSettings settings;
    const MConfig config(settingsFile);
    const QString on = config.ReadValue(QStringLiteral("PageCache"), QString()).trimmed().toLower();
    settings.on = on != QLatin1String("off") && on != QLatin1String("false") && on != QLatin1String("no")
        && on != QLatin1String("0");
    bool number = false;
    const qint64 limit = config.ReadValue(QStringLiteral("PageCacheMB"), QString()).trimmed().toLongLong(&number);
    if (number && limit >= 0)
        settings.limitMB = limit;
    return settings;
}

bool MPageCacheSettings::Save(const QString& settingsFile) const
{
    MConfig config(settingsFile);
    config.WriteValue(QStringLiteral("PageCache"), on ? QStringLiteral("on") : QStringLiteral("off"));
    config.WriteValue(QStringLiteral("PageCacheMB"), QString::number(limitMB));
    return config.Save();
}

QString MPageCache::DefaultPath()
{
    const QString folder = AppPaths().appFolder;
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QLatin1String(kPageCacheName));
}

MPageCache::MPageCache(const QString& path, qint64 limitBytes, Mode mode)
    : m_Path(path)
    , m_Limit(limitBytes)
    , m_Connection(NewSqlConnectionName(QStringLiteral("pagecache")))
{
    bool damaged = false;
    // Switching a new file to the write-ahead log and making its tables take the file for a moment,
    // and SQLite answers another connection doing the same "locked" without waiting: try again.
    bool open = Open(mode, &damaged);
    for (int attempt = 0; !open && !damaged && m_Busy && attempt < kOpenAttempts; ++attempt) {
        QThread::msleep(kOpenRetryMs); // the other connection is done in milliseconds
        open = Open(mode, &damaged);
    }
    if (!open && damaged && MoveAside())
        Open(Mode::Create, &damaged);
    m_Damaged = false; // dealt with
}

MPageCache::~MPageCache()
{
    Close();
}

bool MPageCache::Open(Mode mode, bool* damaged)
{
    *damaged = false;
    if (m_Path.isEmpty()) {
        m_Error = QStringLiteral("no application folder");
        return false;
    }
    const QFileInfo file(m_Path);
    if (!file.exists()) {
        if (mode == Mode::ExistingOnly)
            return false;
        // SQLite gives its side files (write-ahead log, shared memory) the database's own mode: a
        // database that starts owner-only keeps them so too. Another process may make it meanwhile.
        QFile created(m_Path);
        OpenPrivately(created, QIODevice::WriteOnly | QIODevice::NewOnly);
    } else if (!file.isReadable() || !file.isWritable()) {
        // Not a file this program left (it writes its files for their owner): it cannot serve.
        *damaged = true;
        m_Error = QStringLiteral("the file cannot be read and written");
        return false;
    }
    {
        // No handle of the connection may outlive this block: a failure below closes it.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_Connection);
        if (!db.isValid()) {
            m_Error = QStringLiteral("the SQLite driver of Qt is missing");
            return false;
        }
        db.setDatabaseName(m_Path);
        if (!db.open()) {
            m_Error = db.lastError().text();
            *damaged = IsDamage(db.lastError());
        }
    }
    if (!QSqlDatabase::database(m_Connection, false).isOpen()) {
        Close();
        return false;
    }
    // Another process may hold the write lock for a moment: wait for it rather than fail. A killed
    // process loses nothing written; a power cut at most the last pages, which are read again.
    bool ok = Exec(QStringLiteral("PRAGMA busy_timeout=5000"), damaged)
        && Exec(QStringLiteral("PRAGMA journal_mode=WAL"), damaged)
        && Exec(QStringLiteral("PRAGMA synchronous=NORMAL"), damaged);
    for (const char* statement : kSchema)
        ok = ok && Exec(QLatin1String(statement), damaged);
    m_Open = ok;
    if (!ok)
        Close();
    return ok;
}

void MPageCache::Close()
{
    m_Open = false;
    CloseSqlConnection(m_Connection);
}

bool MPageCache::Exec(const QString& statement, bool* damaged)
{
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    if (q.exec(statement)) {
        while (q.next()) { } // a pragma answers with a row
        return true;
    }
    return Failed(q.lastError(), damaged);
}

bool MPageCache::Failed(const QSqlError& error, bool* damaged)
{
    m_Error = error.text();
    const int code = error.nativeErrorCode().toInt() & 0xff;
    m_Busy = code == kSqliteBusy || code == kSqliteLocked;
    if (IsDamage(error)) {
        if (damaged)
            *damaged = true;
        m_Damaged = true;
    }
    return false;
}

bool MPageCache::MoveAside()
{
    Close();
    // The name begins with the cache's own, so that it is kept private with the rest.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = QStringLiteral("%1.broken-%2").arg(m_Path, stamp);
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = QStringLiteral("%1.broken-%2-%3").arg(m_Path, stamp).arg(n);
    if (!QFile::rename(m_Path, aside)) {
        m_Error = QStringLiteral("it could not be moved aside");
        return false;
    }
    // The write-ahead log belongs to the moved database; the shared-memory index is made anew.
    if (QFileInfo::exists(m_Path + QStringLiteral("-wal")))
        QFile::rename(m_Path + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(m_Path + QStringLiteral("-shm"));
    m_MovedAside = aside;
    WriteLog(QStringLiteral("The page cache %1 could not be read (%2) and was moved to %3")
                 .arg(QDir::toNativeSeparators(m_Path), m_Error, QDir::toNativeSeparators(aside)));
    return true;
}

void MPageCache::Recover()
{
    if (!m_Damaged)
        return;
    m_Damaged = false;
    // Once: a cache that breaks again in the same run is closed for the rest of it.
    bool damaged = false;
    if (m_MovedAside.isEmpty() && MoveAside())
        Open(Mode::Create, &damaged);
    else
        Close();
}

std::optional<QString> MPageCache::Find(const QString& account, const QString& pageId, const QString& modified)
{
    if (!m_Open || account.isEmpty() || pageId.isEmpty() || modified.isEmpty())
        return std::nullopt;
    const MRecoverAfter recover {*this};
    QSqlDatabase db = QSqlDatabase::database(m_Connection, false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT rowid, content FROM pages WHERE account = ? AND page_id = ? AND modified = ?"));
    q.addBindValue(account);
    q.addBindValue(pageId);
    q.addBindValue(modified);
    if (!q.exec()) {
        Failed(q.lastError());
        return std::nullopt;
    }
    if (!q.next())
        return std::nullopt;
    const qint64 row = q.value(0).toLongLong();
    const QByteArray html = qUncompress(q.value(1).toByteArray());
    q.finish();
    QSqlQuery touch(db);
    if (html.isEmpty()) {
        // Damaged content is no page: it is read again and stored anew.
        touch.prepare(QStringLiteral("DELETE FROM pages WHERE rowid = ?"));
        touch.addBindValue(row);
        touch.exec();
        return std::nullopt;
    }
    // What was read last goes last when the cache is over its limit.
    touch.prepare(QStringLiteral("UPDATE pages SET read_at = ? WHERE rowid = ?"));
    touch.addBindValue(NowMs());
    touch.addBindValue(row);
    if (!touch.exec())
        Failed(touch.lastError());
    return QString::fromUtf8(html);
}

bool MPageCache::Store(const QString& account, const QString& pageId, const QString& modified, const QString& html)
{
    if (!m_Open || account.isEmpty() || pageId.isEmpty() || modified.isEmpty() || html.isEmpty())
        return false;
    const QByteArray packed = qCompress(html.toUtf8());
    if (packed.size() > m_Limit)
        return false;
    const MRecoverAfter recover {*this};
    {
        QSqlQuery q(QSqlDatabase::database(m_Connection, false));
        q.prepare(QStringLiteral(
            "INSERT INTO pages (account, page_id, modified, content, size, read_at) VALUES (?, ?, ?, ?, ?, ?) ON "
            "CONFLICT (account, page_id) DO UPDATE SET modified = excluded.modified, content = excluded.content, size "
            "= excluded.size, read_at = excluded.read_at"));
        for (const QVariant& value : {QVariant(account), QVariant(pageId), QVariant(modified), QVariant(packed),
                 QVariant(qint64(packed.size())), QVariant(NowMs())})
            q.addBindValue(value);
        if (!q.exec())
            return Failed(q.lastError());
    }
    Trim();
    return true;
}

void MPageCache::Trim()
{
    QSqlDatabase db = QSqlDatabase::database(m_Connection, false);
    QSqlQuery total(db);
    if (!total.exec(QStringLiteral("SELECT bytes FROM usage WHERE id = 0")) || !total.next()) {
        Failed(total.lastError());
        return;
    }
    qint64 left = total.value(0).toLongLong();
    if (left <= m_Limit)
        return;
    // Down to nine tenths of the limit, so that the pages stored next do not each start a trim.
    const qint64 goal = m_Limit - m_Limit / 10;
    QVariantList rows;
    {
        QSqlQuery oldest(db);
        oldest.setForwardOnly(true);
        if (!oldest.exec(QStringLiteral("SELECT rowid, size FROM pages ORDER BY read_at, rowid"))) {
            Failed(oldest.lastError());
            return;
        }
        while (left > goal && oldest.next()) {
            rows.append(oldest.value(0));
            left -= oldest.value(1).toLongLong();
        }
    }
    db.transaction();
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM pages WHERE rowid = ?"));
    remove.addBindValue(rows);
    if (!remove.execBatch()) {
        Failed(remove.lastError());
        db.rollback();
        return;
    }
    db.commit();
}

qint64 MPageCache::Forget(const QString& account)
{
    return account.isEmpty() ? 0 : Remove(account);
}

qint64 MPageCache::Clear()
{
    return Remove(std::nullopt);
}

qint64 MPageCache::Remove(const std::optional<QString>& account)
{
    if (!m_Open)
        return 0;
    const MRecoverAfter recover {*this};
    qint64 removed = 0;
    {
        QSqlQuery q(QSqlDatabase::database(m_Connection, false));
        if (account) {
            q.prepare(QStringLiteral("DELETE FROM pages WHERE account = ?"));
            q.addBindValue(*account);
        } else {
            q.prepare(QStringLiteral("DELETE FROM pages"));
        }
        if (!q.exec()) {
            Failed(q.lastError());
            return -1;
        }
        removed = q.numRowsAffected();
    }
    ReleaseFreePages();
    return removed;
}

void MPageCache::ReleaseFreePages()
{
    // The file gives its space back: what was removed was the user's to reclaim. Another process in
    // the middle of a write makes this wait, or fail, which only leaves the space for later pages.
    Exec(QStringLiteral("VACUUM"));
    Exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

MPageCacheUsage MPageCache::Usage() const
{
    MPageCacheUsage usage;
    usage.fileBytes = FileSize(m_Path) + FileSize(m_Path + QStringLiteral("-wal"));
    if (!m_Open)
        return usage;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    if (q.exec(QStringLiteral("SELECT pages, bytes FROM usage WHERE id = 0")) && q.next()) {
        usage.pages = q.value(0).toLongLong();
        usage.bytes = q.value(1).toLongLong();
    }
    return usage;
}

void ForgetCachedPages(const QString& account)
{
    if (account.isEmpty())
        return;
    MPageCache cache(MPageCache::DefaultPath(), MPageCacheSettings().LimitBytes(), MPageCache::Mode::ExistingOnly);
    cache.Forget(account);
}
