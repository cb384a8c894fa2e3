#pragma once

#include "MRunLedger.h"
#include "MTaskReporter.h"
#include "PageRequest.h"
#include "TaskTexts.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// How an import run treats what runs before it did.
enum class MRunMode {
    New, // every item is sent
    Resume, // continues an unfinished run: what it created is left be, what it was sending is looked for
    SkipImported, // a new run that skips what any earlier run created from the same item into the same place
};

// What one run of an importer writes into the ledger, and what it reads back to resume. Items are
// named by their place in the run and a key saying what they are (a note's digest, a file's path and
// digest, a relative path). A journal whose ledger cannot be opened says so (Error) and records
// nothing; the import goes on without it.
class MRunJournal
{
public:
    struct MIdentity
    {
        QString task;
        QString source;
        QString target;
        QString settings;
    };

    // `resumeRun` is the run to continue in Resume mode (see FindUnfinished).
    MRunJournal(const MIdentity& identity, MRunMode mode, qint64 resumeRun = 0, const QString& ledgerPath = QString());
    ~MRunJournal();
    MRunJournal(const MRunJournal&) = delete;
    MRunJournal& operator=(const MRunJournal&) = delete;

    // The newest unfinished run of this identity: what the panel offers and --resume continues.
    static std::optional<MLedgerRun> FindUnfinished(const MIdentity& identity, const QString& ledgerPath = QString());
    // The newest run of this identity, finished or not.
    static std::optional<MLedgerRun> FindLatest(const MIdentity& identity, const QString& ledgerPath = QString());
    // How much of a run is done, for the question that offers to resume it ("12 of 30").
    static qint64 DoneItems(qint64 run, const QString& ledgerPath = QString());
    // How its items ended (those still open are not counted).
    static MOutcomeCounts Counts(qint64 run, const QString& ledgerPath = QString());

    bool IsOpen() const;
    QString Error() const;
    qint64 RunId() const { return m_Run; }
    // When the run began: a resumed run began with its first part.
    qint64 RunStartMs() const { return m_StartMs; }
    MRunMode Mode() const { return m_Mode; }
    const MIdentity& Identity() const { return m_Identity; }
    // The ledger the run is written to (null when it could not be opened), for what the run keeps
    // beside its items.
    MRunLedger* Ledger() const { return m_Run > 0 ? m_Ledger.get() : nullptr; }
    // The pages this run created so far, in any of its parts.
    QStringList CreatedPageIds() const;

    // What is known of an item before it is sent.
    struct MPrior
    {
        enum Kind {
            None, // send it
            Done, // this run created (or reused or skipped) it already
            Sent, // this run was sending it when it was cut off: look for it before sending again
            ImportedBefore, // an earlier run created it in the same place (SkipImported)
        };
        Kind kind = None;
        MLedgerItem item;
    };
    MPrior Prior(qint64 index, const QString& key) const;

    // Marks the item sent (before its request) and records its outcome (after the answer).
    void Sending(qint64 index, const QString& key, const QString& title, const QString& target);
    void Outcome(qint64 index, MItemOutcome outcome, const QString& pageId = QString(), const QString& link = QString(),
        const QString& reason = QString());
    // Copies an item over as it is (a Done or ImportedBefore item reported again in this run).
    void Keep(qint64 index, const MLedgerItem& item, MItemOutcome outcome, const QString& reason = QString());

    // The run is over: "finished", or "stopped" when it was stopped.
    void End(bool stopped);

private:
    std::unique_ptr<MRunLedger> m_Ledger;
    MIdentity m_Identity;
    MRunMode m_Mode;
    qint64 m_Run = 0;
    qint64 m_StartMs = 0;
    QHash<qint64, MLedgerItem> m_Open; // items marked sending, awaiting their outcome
};

// The address of a created page as the service gave it (its web address, else its client link);
// "" when the answer names none.
QString PageLinkOfAnswer(const QString& answer);

// How a run is recorded: whether, in what mode, and in which ledger.
struct MRunRecording
{
    bool record = false; // off for dry runs: nothing is written
    MRunMode mode = MRunMode::New;
    qint64 resumeRun = 0; // the run to continue in Resume mode
    QString ledgerPath; // "" for the application folder's ledger
};

// What the user asked of an import before it starts: the command line's options, a panel's box.
enum class MRunRequest {
    Default, // nothing said
    Resume,
    New, // everything again
    SkipImported, // leave out what earlier runs imported
};

// The one decision the front ends of every importer make before a run, from the ledger: how the run
// is recorded, or what the user must be asked first. An import of the same source into the same
// target is never repeated without a word: an unfinished one would be doubled in part, a finished
// one whole.
struct MRunChoice
{
    enum class Kind {
        Start, // go on, recorded as `recording` says
        AskUnfinished, // the same import was not finished: resume it, or start it again
        AskFinished, // the same import finished: import again, leave out what it imported, or nothing
        AlreadyDone, // resuming was asked of an import that finished: nothing is sent again
    };
    Kind kind = Kind::Start;
    MRunRecording recording; // recorded; in the mode asked for, or New
    MLedgerRun earlier; // the run a question or refusal is about
};
MRunChoice ChooseRun(
    const MRunJournal::MIdentity& identity, MRunRequest request, const QString& ledgerPath = QString());
// "2024-05-01 10:15 (12 created, 1 failed)": an earlier run as questions and refusals name it.
QString EarlierRunText(const MLedgerRun& run, const QString& ledgerPath = QString());

// The journal of a run as `recording` asks; nothing when recording is off, or when the ledger cannot
// be opened (said on the status line: the run goes on, only resuming it later is not possible).
std::unique_ptr<MRunJournal> OpenRunJournal(
    const MRunJournal::MIdentity& identity, const MRunRecording& recording, MTaskReporter* reporter);

class MServiceSession;
// A resumed run goes on in the session: the pages it made count as its own, and the lookups of what
// was in flight when it was cut off look back to its start.
void ContinueRunIn(MServiceSession& session, const MRunJournal& journal);

// "file:<digest>" of a file's path and content (read in blocks); "" when it cannot be read.
QString FileItemKey(const QString& path);
// A short, stable name for a list of sources: the one path, or "N items: <digest of the paths>".
QString SourceListName(const QStringList& paths);

// What became of one item of a recorded run.
struct MRunItemResult
{
    MItemOutcome outcome = MItemOutcome::Failed;
    MCreationOutcome creation; // as sent, or as found after an interruption
    QString reason; // the row's reason: why it failed, or why it was not sent
    QString link; // the created page's address
    MRunJournal::MPrior::Kind prior = MRunJournal::MPrior::None;
};

// Looks for the item in its target (the run was cut off while sending it): the page when it is there,
// an empty object when it is not, nothing when that cannot be told (`failure` says why).
using MRunItemFinder = std::function<std::optional<QJsonObject>(QString* failure)>;

// One item of an import through its journal (which may be null: the item is simply sent). What the
// run made before it was interrupted is not sent again; what an earlier run made is skipped in
// SkipImported mode; what the run was sending when it was cut off is looked for with `find` first;
// everything else is marked sending, sent with `send`, and given its outcome.
MRunItemResult SendRunItem(MRunJournal* journal, qint64 index, const QString& key, const QString& title,
    const QString& target, const MRunItemFinder& find, const std::function<MCreationOutcome()>& send);
