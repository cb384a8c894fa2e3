#include "MRunLedger.h"

#include "app/AppPaths.h"
#include "app/PrivateFiles.h"
#include "app/SqlConnection.h"
#include "util/MSleeper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace {

// The names the ledger stores, by outcome. "stopped" (an item the run was stopped before) was once
// written too: it reads as not attempted.
struct MStoredOutcome
{
    MItemOutcome outcome;
    const char* name;
};
const MStoredOutcome kStoredOutcomes[] = {{MItemOutcome::NotAttempted, "notyet"}, {MItemOutcome::Sending, "sending"},
    {MItemOutcome::Created, "created"}, {MItemOutcome::Reused, "reused"}, {MItemOutcome::Failed, "failed"},
    {MItemOutcome::Skipped, "skipped"}, {MItemOutcome::NotAttempted, "stopped"}};

MLedgerItem ItemFrom(const QSqlQuery& q)
{
    MLedgerItem item;
    item.run = q.value(0).toLongLong();
    item.index = q.value(1).toLongLong();
    item.key = q.value(2).toString();
    item.title = q.value(3).toString();
    item.outcome = LedgerOutcomeNamed(q.value(4).toString());
    item.target = q.value(5).toString();
    item.pageId = q.value(6).toString();
    item.link = q.value(7).toString();
    item.reason = q.value(8).toString();
    item.updatedMs = q.value(9).toLongLong();
    return item;
}

MLedgerRun RunFrom(const QSqlQuery& q)
{
    MLedgerRun run;
    run.id = q.value(0).toLongLong();
    run.task = q.value(1).toString();
    run.source = q.value(2).toString();
    run.target = q.value(3).toString();
    run.settings = q.value(4).toString();
    run.startedMs = q.value(5).toLongLong();
    run.endedMs = q.value(6).toLongLong();
    run.state = q.value(7).toString();
    return run;
}

// The ledger's layout, one step a version. SQLite's user_version says how many steps a database has
// had; opening it runs the ones it lacks, in one transaction. A ledger written before versions were
// kept reads as version 0 with the tables of step 1 in place. A new version is a new step at the end,
// and a step, once released, never changes: the names it writes are stored in users' ledgers.
const QList<QStringList>& SchemaSteps()
{
    static const QList<QStringList> steps {
        // 1: runs and their items.
        {
            QStringLiteral("CREATE TABLE IF NOT EXISTS runs (id INTEGER PRIMARY KEY AUTOINCREMENT, task TEXT NOT NULL, "
                           "source TEXT NOT NULL, target TEXT NOT NULL, settings TEXT NOT NULL, started INTEGER NOT "
                           "NULL, ended INTEGER NOT NULL DEFAULT 0, state TEXT NOT NULL)"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS items (run INTEGER NOT NULL, idx INTEGER NOT NULL, key TEXT NOT "
                           "NULL, title TEXT, outcome TEXT NOT NULL, target TEXT, page_id TEXT, link TEXT, reason "
                           "TEXT, updated INTEGER NOT NULL, PRIMARY KEY (run, idx))"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS items_by_key ON items (key, outcome)"),
        },
        // 2: a file import names its feature in its settings ("feature=import-txt;") and an export in its
        // source ("export-txt") by the feature's ledger name, where they had the number of a file kind
        // ("kind=2;") and the desktop's button ("btnExportToTxt").
        {
            QStringLiteral("UPDATE runs SET settings = 'feature=' || CASE substr(settings, 6, 1) WHEN '0' THEN "
                           "'import-notes' WHEN '1' THEN 'import-keep' WHEN '2' THEN 'import-txt' WHEN '3' THEN "
                           "'import-html' ELSE 'import-images' END || substr(settings, 7) WHERE task = 'import-files' "
                           "AND settings GLOB 'kind=[0-4];*'"),
            QStringLiteral("UPDATE runs SET source = CASE lower(source) WHEN 'btnexporttotxt' THEN 'export-txt' WHEN "
                           "'btnexporttohtml' THEN 'export-html' ELSE 'export-backup' END WHERE task = 'export' AND "
                           "lower(source) IN ('btnexporttotxt', 'btnexporttohtml', 'btnbackup')"),
        },
        // 3: the pages imports made, named as links between notes find them, and the links left.
        {
            QStringLiteral("CREATE TABLE IF NOT EXISTS made_pages (run INTEGER NOT NULL, idx INTEGER NOT NULL, place "
                           "TEXT NOT NULL, title TEXT NOT NULL, source TEXT NOT NULL, page_id TEXT NOT NULL, link TEXT "
                           "NOT NULL, holds_links INTEGER NOT NULL, linked INTEGER NOT NULL DEFAULT 0, rewritten "
                           "INTEGER NOT NULL DEFAULT 0, ambiguous INTEGER NOT NULL DEFAULT 0, missing INTEGER NOT NULL "
                           "DEFAULT 0, PRIMARY KEY (run, idx))"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS made_pages_by_title ON made_pages (place, title)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS made_pages_by_source ON made_pages (place, source)"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS left_links (run INTEGER NOT NULL, idx INTEGER NOT NULL, "
                           "page_title TEXT NOT NULL, text TEXT NOT NULL, href TEXT NOT NULL, why TEXT NOT NULL)"),
        },
    };
    return steps;
}

const QString kItemColumns = QStringLiteral("run, idx, key, title, outcome, target, page_id, link, reason, updated");
const QString kRunColumns = QStringLiteral("id, task, source, target, settings, started, ended, state");

} // namespace

QString LedgerOutcomeName(MItemOutcome outcome)
{
    for (const MStoredOutcome& stored : kStoredOutcomes)
        if (stored.outcome == outcome)
            return QLatin1String(stored.name);
    return QLatin1String(kStoredOutcomes[0].name);
}

MItemOutcome LedgerOutcomeNamed(const QString& name)
{
    for (const MStoredOutcome& stored : kStoredOutcomes)
        if (name == QLatin1String(stored.name))
            return stored.outcome;
    return MItemOutcome::NotAttempted;
}

bool IsDone(MItemOutcome outcome)
{
    return outcome == MItemOutcome::Created || outcome == MItemOutcome::Reused || outcome == MItemOutcome::Skipped;
}

QString MRunLedger::DefaultPath()
{
    const QString folder = AppPaths().appFolder;
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QLatin1String(kLedgerName));
}

MRunLedger::MRunLedger(const QString& path)
    : m_Connection(NewSqlConnectionName(QStringLiteral("ledger")))
{
    if (path.isEmpty()) {
        m_Error = QStringLiteral("no application folder");
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_Connection);
    if (!db.isValid()) {
        m_Error = QStringLiteral("the SQLite driver of Qt is missing");
        return;
    }
    // SQLite makes its side files (write-ahead log, shared memory) with the database's own mode: a
    // database that starts owner-only keeps them so too.
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        OpenPrivately(file, QIODevice::WriteOnly | QIODevice::NewOnly);
    }
    db.setDatabaseName(path);
    if (!db.open()) {
        m_Error = db.lastError().text();
        return;
    }
    // A killed process loses nothing already written; only a power cut can cost the last moments.
    m_Open = Exec(QStringLiteral("PRAGMA journal_mode=WAL")) && Exec(QStringLiteral("PRAGMA synchronous=NORMAL"))
        && Exec(QStringLiteral("PRAGMA busy_timeout=5000")) && Migrate();
}

int MRunLedger::SchemaVersion()
{
    return int(SchemaSteps().size());
}

bool MRunLedger::Migrate()
{
    // Another process may open the ledger at the same moment: the version is read inside the
    // transaction that writes it.
    if (!Exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    const int version = q.exec(QStringLiteral("PRAGMA user_version")) && q.next() ? q.value(0).toInt() : -1;
    q.finish();
    bool ok = version >= 0;
    for (int step = std::max(version, 0); ok && step < SchemaVersion(); ++step) {
        for (const QString& statement : SchemaSteps().at(step))
            ok = ok && Exec(statement);
    }
    if (ok && version < SchemaVersion())
        ok = Exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion()));
    if (ok)
        return Exec(QStringLiteral("COMMIT"));
    const QString error = m_Error;
    Exec(QStringLiteral("ROLLBACK"));
    m_Error = error.isEmpty() ? QStringLiteral("the ledger's version cannot be read") : error;
    return false;
}

MRunLedger::~MRunLedger()
{
    CloseSqlConnection(m_Connection);
}

bool MRunLedger::Exec(const QString& statement)
{
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    if (q.exec(statement))
        return true;
    m_Error = q.lastError().text();
    return false;
}

qint64 MRunLedger::BeginRun(const QString& task, const QString& source, const QString& target, const QString& settings)
{
    if (!m_Open)
        return 0;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("INSERT INTO runs (task, source, target, settings, started, state) VALUES (?, ?, ?, ?, ?, "
                             "'running')"));
    for (const QVariant& value : {QVariant(task), QVariant(source), QVariant(target), QVariant(settings)})
        q.addBindValue(value);
    q.addBindValue(NowMs());
    if (!q.exec()) {
        m_Error = q.lastError().text();
        return 0;
    }
    return q.lastInsertId().toLongLong();
}

std::optional<MLedgerRun> MRunLedger::Run(qint64 id) const
{
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM runs WHERE id = ?").arg(kRunColumns));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return RunFrom(q);
}

std::optional<MLedgerRun> MRunLedger::FindUnfinished(
    const QString& task, const QString& source, const QString& target, const QString& settings) const
{
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    // A run is unfinished while an item of it is not done, when it was stopped before its end, or
    // when it never said it ended (killed).
    q.prepare(QStringLiteral(
        "SELECT %1 FROM runs r WHERE task = ? AND source = ? AND target = ? AND settings = ? AND "
        "(state IN ('running', 'stopped') OR EXISTS (SELECT 1 FROM items i WHERE i.run = r.id AND i.outcome NOT "
        "IN ('created', 'reused', 'skipped'))) ORDER BY id DESC LIMIT 1")
                  .arg(kRunColumns));
    for (const QString& value : {task, source, target, settings})
        q.addBindValue(value);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return RunFrom(q);
}

std::optional<MLedgerRun> MRunLedger::FindLatest(
    const QString& task, const QString& source, const QString& target, const QString& settings) const
{
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(
        QStringLiteral("SELECT %1 FROM runs WHERE task = ? AND source = ? AND target = ? AND settings = ? ORDER BY "
                       "id DESC LIMIT 1")
            .arg(kRunColumns));
    for (const QString& value : {task, source, target, settings})
        q.addBindValue(value);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return RunFrom(q);
}

void MRunLedger::ReopenRun(qint64 id)
{
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("UPDATE runs SET state = 'running', ended = 0 WHERE id = ?"));
    q.addBindValue(id);
    q.exec();
}

void MRunLedger::EndRun(qint64 id, const QString& state)
{
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("UPDATE runs SET state = ?, ended = ? WHERE id = ?"));
    q.addBindValue(state);
    q.addBindValue(NowMs());
    q.addBindValue(id);
    q.exec();
}

bool MRunLedger::SetItem(const MLedgerItem& item)
{
    if (!m_Open || item.run == 0)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(
        QStringLiteral("INSERT OR REPLACE INTO items (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(kItemColumns));
    // A null QString would go in as NULL; the columns hold texts, empty ones included.
    auto text = [](const QString& value) { return value.isNull() ? QStringLiteral("") : value; };
    q.addBindValue(item.run);
    q.addBindValue(item.index);
    q.addBindValue(text(item.key));
    q.addBindValue(text(item.title));
    q.addBindValue(LedgerOutcomeName(item.outcome));
    q.addBindValue(text(item.target));
    q.addBindValue(text(item.pageId));
    q.addBindValue(text(item.link));
    q.addBindValue(text(item.reason));
    q.addBindValue(item.updatedMs ? item.updatedMs : NowMs());
    if (q.exec())
        return true;
    m_Error = q.lastError().text();
    return false;
}

std::optional<MLedgerItem> MRunLedger::Item(qint64 run, qint64 index) const
{
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM items WHERE run = ? AND idx = ?").arg(kItemColumns));
    q.addBindValue(run);
    q.addBindValue(index);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return ItemFrom(q);
}

QList<MLedgerItem> MRunLedger::Items(qint64 run) const
{
    QList<MLedgerItem> items;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM items WHERE run = ? ORDER BY idx").arg(kItemColumns));
    q.addBindValue(run);
    if (!q.exec())
        return items;
    while (q.next())
        items.append(ItemFrom(q));
    return items;
}

std::optional<MLedgerItem> MRunLedger::CreatedBefore(
    const QString& task, const QString& target, const QString& key, qint64 exceptRun) const
{
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM items i JOIN runs r ON r.id = i.run WHERE i.key = ? AND i.outcome = "
                             "'created' AND r.task = ? AND i.target = ? AND i.run <> ? ORDER BY i.updated DESC LIMIT 1")
                  .arg(QStringLiteral("i.run, i.idx, i.key, i.title, i.outcome, i.target, i.page_id, i.link, i.reason, "
                                      "i.updated")));
    q.addBindValue(key);
    q.addBindValue(task);
    q.addBindValue(target);
    q.addBindValue(exceptRun);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return ItemFrom(q);
}
