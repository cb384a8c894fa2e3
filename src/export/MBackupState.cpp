#include "MBackupState.h"

#include "app/PrivateFiles.h"
#include "app/SqlConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Runs a statement on the connection with its values bound in order; the query for its rows, or
// nothing (and `error` says why).
std::optional<QSqlQuery> Exec(
    const QString& connection, QString& error, const QString& statement, const QVariantList& values)
{
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.isOpen())
        return std::nullopt;
    QSqlQuery q(db);
    q.prepare(statement);
    for (const QVariant& value : values)
        q.addBindValue(value);
    if (q.exec())
        return q;
    error = q.lastError().text();
    return std::nullopt;
}

} // namespace

MBackupState::MBackupState(const QString& folder)
    : m_Connection(NewSqlConnectionName(QStringLiteral("backup")))
{
    const QString path = QDir(folder).filePath(QLatin1String(kFileName));
    if (!QFileInfo::exists(path)) {
        // Owner-only from its first byte: SQLite gives its side files the database's mode.
        QFile created(path);
        if (!OpenPrivately(created, QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_Error = created.errorString();
            return;
        }
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_Connection);
        db.setDatabaseName(path);
        if (!db.open()) {
            m_Error = db.lastError().text();
            return;
        }
    }
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    for (const char* statement : {"PRAGMA busy_timeout=5000", "PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL",
             "CREATE TABLE IF NOT EXISTS pages (page_id TEXT PRIMARY KEY, section_id TEXT NOT NULL, modified TEXT NOT "
             "NULL, path TEXT NOT NULL, digest TEXT NOT NULL)",
             "CREATE INDEX IF NOT EXISTS pages_by_section ON pages (section_id)",
             "CREATE INDEX IF NOT EXISTS pages_by_path ON pages (path)",
             "CREATE TABLE IF NOT EXISTS mirror (key TEXT PRIMARY KEY, value TEXT NOT NULL)",
             // A mirror made before section files were kept gains their table on its next run.
             "CREATE TABLE IF NOT EXISTS section_files (section_id TEXT PRIMARY KEY, modified TEXT NOT NULL, size "
             "INTEGER NOT NULL, path TEXT NOT NULL, digest TEXT NOT NULL)"}) {
        if (!q.exec(QLatin1String(statement))) {
            m_Error = q.lastError().text();
            return;
        }
        while (q.next()) { }
    }
    m_Open = true;
}

MBackupState::~MBackupState()
{
    CloseSqlConnection(m_Connection);
}

QList<MBackupPage> MBackupState::Select(const QString& where, const QString& value) const
{
    QList<MBackupPage> pages;
    std::optional<QSqlQuery> q = Exec(m_Connection, m_Error,
        QStringLiteral("SELECT page_id, section_id, modified, path, digest FROM pages WHERE %1 = ? ORDER BY path")
            .arg(where),
        {value});
    while (q && q->next())
        pages.append({q->value(0).toString(), q->value(1).toString(), q->value(2).toString(), q->value(3).toString(),
            q->value(4).toString()});
    return pages;
}

std::optional<MBackupPage> MBackupState::Find(const QString& pageId) const
{
    const QList<MBackupPage> pages = Select(QStringLiteral("page_id"), pageId);
    return pages.isEmpty() ? std::nullopt : std::optional(pages.first());
}

QString MBackupState::OwnerOf(const QString& path) const
{
    const QList<MBackupPage> pages = Select(QStringLiteral("path"), path);
    return pages.isEmpty() ? QString() : pages.first().pageId;
}

QList<MBackupPage> MBackupState::PagesOf(const QString& sectionId) const
{
    return Select(QStringLiteral("section_id"), sectionId);
}

bool MBackupState::Put(const MBackupPage& page)
{
    return Exec(m_Connection, m_Error, QStringLiteral("INSERT OR REPLACE INTO pages VALUES (?, ?, ?, ?, ?)"),
        {page.pageId, page.sectionId, page.modified, page.path, page.digest})
        .has_value();
}

bool MBackupState::Remove(const QString& pageId)
{
    return Exec(m_Connection, m_Error, QStringLiteral("DELETE FROM pages WHERE page_id = ?"), {pageId}).has_value();
}

QStringList MBackupState::Sections() const
{
    QStringList ids;
    std::optional<QSqlQuery> q = Exec(m_Connection, m_Error,
        QStringLiteral("SELECT section_id FROM pages UNION SELECT section_id FROM section_files ORDER BY 1"), {});
    while (q && q->next())
        ids << q->value(0).toString();
    return ids;
}

std::optional<MBackupSectionFile> MBackupState::FindSectionFile(const QString& sectionId) const
{
    std::optional<QSqlQuery> q = Exec(m_Connection, m_Error,
        QStringLiteral("SELECT modified, size, path, digest FROM section_files WHERE section_id = ?"), {sectionId});
    if (!q || !q->next())
        return std::nullopt;
    return MBackupSectionFile {
        sectionId, q->value(0).toString(), q->value(1).toLongLong(), q->value(2).toString(), q->value(3).toString()};
}

bool MBackupState::PutSectionFile(const MBackupSectionFile& file)
{
    return Exec(m_Connection, m_Error, QStringLiteral("INSERT OR REPLACE INTO section_files VALUES (?, ?, ?, ?, ?)"),
        {file.sectionId, file.modified, file.size, file.path, file.digest})
        .has_value();
}

bool MBackupState::RemoveSectionFile(const QString& sectionId)
{
    return Exec(m_Connection, m_Error, QStringLiteral("DELETE FROM section_files WHERE section_id = ?"), {sectionId})
        .has_value();
}

QDateTime MBackupState::LastComplete() const
{
    if (!m_Open)
        return {};
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    if (!q.exec(QStringLiteral("SELECT value FROM mirror WHERE key = 'last_complete'")) || !q.next())
        return {};
    return QDateTime::fromString(q.value(0).toString(), Qt::ISODateWithMs);
}

bool MBackupState::SetLastComplete(const QDateTime& when)
{
    if (!m_Open)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO mirror VALUES ('last_complete', ?)"));
    q.addBindValue(when.toUTC().toString(Qt::ISODateWithMs));
    return q.exec();
}

QDateTime MirrorLastComplete(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo::exists(QDir(folder).filePath(QLatin1String(MBackupState::kFileName))))
        return {};
    return MBackupState(folder).LastComplete();
}
