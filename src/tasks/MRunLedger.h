#pragma once

#include "MTaskReporter.h"
#include "model/MItemOutcome.h"

#include <QList>
#include <QString>
#include <optional>

// The outcome as the ledger stores it ("notyet", "sending", "created", ...), and back; what a
// ledger of any version wrote reads.
QString LedgerOutcomeName(MItemOutcome outcome);
MItemOutcome LedgerOutcomeNamed(const QString& name);
// Created, reused and skipped items are done: a resumed run leaves them be.
bool IsDone(MItemOutcome outcome);

struct MLedgerRun
{
    qint64 id = 0;
    QString task; // "import-enex", "import-files", "import-tree", "export"
    QString source; // what is imported: the file, the folder; the feature's ledger name for an export
    QString target; // where to: the section's or parent's address
    QString settings; // the settings that change the result, as one text
    qint64 startedMs = 0;
    qint64 endedMs = 0; // 0 while it runs, or when it was killed
    QString state; // "running", "finished", "stopped"
};

struct MLedgerItem
{
    qint64 run = 0;
    qint64 index = 0; // its place in the run
    QString key; // what it is: a note's digest, a file's path and digest, a relative path
    QString title;
    MItemOutcome outcome = MItemOutcome::NotAttempted;
    QString target; // the section it went to
    QString pageId;
    QString link; // the created page's address
    QString reason; // why it failed
    qint64 updatedMs = 0;
};

// A page an import made, as the links between imported notes find it: by the source note's title and,
// where the source has one, its own id or file path, within the place the import wrote into.
struct MMadePage
{
    qint64 run = 0;
    qint64 index = 0; // the item's place in its run
    QString place; // the run's target: a section, or the notebook or group its sections went into
    QString title;
    QString source; // the source's own id or absolute file path; "" when it has none
    QString pageId;
    QString link; // the page's web address
    bool holdsLinks = false; // its source links to other notes: the link pass reads it
    bool linked = false; // the link pass is done with it
    int rewritten = 0;
    int ambiguous = 0;
    int missing = 0; // links whose target is not among the imported notes
};

// A crash-safe record of every item of every import run, in an SQLite database in the application
// folder: an item is marked "sending" before its request and gets its outcome after the answer, so
// that a run killed at any moment leaves a ledger that says exactly what may have happened. Resume,
// skip-what-was-imported and the run reports read it.
//
// One object per thread (a database connection belongs to the thread that opened it). Writes go
// through the write-ahead log without a sync per item: a killed process loses nothing that was
// written, a power cut at most the last moments.
class MRunLedger
{
public:
    // Opens (creating) the database; see IsOpen and Error.
    explicit MRunLedger(const QString& path);
    ~MRunLedger();
    MRunLedger(const MRunLedger&) = delete;
    MRunLedger& operator=(const MRunLedger&) = delete;

    bool IsOpen() const { return m_Open; }
    QString Error() const { return m_Error; }
    // "runs.sqlite" in the application folder.
    static QString DefaultPath();
    // The layout's version this code writes; an older ledger is brought to it when it is opened.
    static int SchemaVersion();

    // A new run, marked running; 0 when it cannot be written.
    qint64 BeginRun(const QString& task, const QString& source, const QString& target, const QString& settings);
    std::optional<MLedgerRun> Run(qint64 id) const;
    // The newest run of this task, source, target and settings with an item not done (a killed,
    // stopped or failed run): what may be resumed.
    std::optional<MLedgerRun> FindUnfinished(
        const QString& task, const QString& source, const QString& target, const QString& settings) const;
    // The newest run of this task, source, target and settings, finished or not.
    std::optional<MLedgerRun> FindLatest(
        const QString& task, const QString& source, const QString& target, const QString& settings) const;
    void ReopenRun(qint64 id);
    void EndRun(qint64 id, const QString& state);

    // Writes an item (its run and index name it); false when it could not be written.
    bool SetItem(const MLedgerItem& item);
    std::optional<MLedgerItem> Item(qint64 run, qint64 index) const;
    QList<MLedgerItem> Items(qint64 run) const;
    // The newest created item of this task with this key and target in a run other than `exceptRun`:
    // what "skip what was imported before" skips.
    std::optional<MLedgerItem> CreatedBefore(
        const QString& task, const QString& target, const QString& key, qint64 exceptRun) const;

    // Remembers a page an import made; a page already remembered keeps its link pass state.
    bool AddMadePage(const MMadePage& page);
    QList<MMadePage> MadePages(qint64 run) const;
    // The pages made in `place` whose `title` or (when `byTitle` is false) `source` equals `value`,
    // by any run, newest first.
    QList<MMadePage> MadePagesNamed(const QString& place, bool byTitle, const QString& value) const;
    // The link pass is done with the page: its counts and the links it left, in one transaction.
    bool SetPageLinked(const MMadePage& page, const QList<MLeftLink>& left);
    QList<MLeftLink> LeftLinks(qint64 run) const;

private:
    bool Exec(const QString& statement);
    // Brings an older database up to the schema this build writes, in one transaction.
    bool Migrate();

    QString m_Connection;
    bool m_Open = false;
    QString m_Error;
};
