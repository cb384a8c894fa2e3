#include "MRunJournal.h"

#include "app/MStrings.h"
#include "net/AnswerJson.h"
#include "service/MServiceSession.h"
#include "util/MSleeper.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString LedgerPath(const QString& path)
{
    return path.isEmpty() ? MRunLedger::DefaultPath() : path;
}

} // namespace

MRunJournal::MRunJournal(const MIdentity& identity, MRunMode mode, qint64 resumeRun, const QString& ledgerPath)
    : m_Ledger(std::make_unique<MRunLedger>(LedgerPath(ledgerPath)))
    , m_Identity(identity)
    , m_Mode(mode)
    , m_StartMs(NowMs())
{
    if (!m_Ledger->IsOpen())
        return;
    if (mode == MRunMode::Resume && resumeRun > 0) {
        if (const std::optional<MLedgerRun> run = m_Ledger->Run(resumeRun)) {
            m_Run = run->id;
            m_StartMs = run->startedMs;
            m_Ledger->ReopenRun(m_Run);
            return;
        }
    }
    if (m_Mode == MRunMode::Resume)
        m_Mode = MRunMode::New; // nothing to resume: a new run
    m_Run = m_Ledger->BeginRun(identity.task, identity.source, identity.target, identity.settings);
}

MRunJournal::~MRunJournal() = default;

std::optional<MLedgerRun> MRunJournal::FindUnfinished(const MIdentity& identity, const QString& ledgerPath)
{
    const MRunLedger ledger(LedgerPath(ledgerPath));
    if (!ledger.IsOpen())
        return std::nullopt;
    return ledger.FindUnfinished(identity.task, identity.source, identity.target, identity.settings);
}

std::optional<MLedgerRun> MRunJournal::FindLatest(const MIdentity& identity, const QString& ledgerPath)
{
    const MRunLedger ledger(LedgerPath(ledgerPath));
    if (!ledger.IsOpen())
        return std::nullopt;
    return ledger.FindLatest(identity.task, identity.source, identity.target, identity.settings);
}

qint64 MRunJournal::DoneItems(qint64 run, const QString& ledgerPath)
{
    const MRunLedger ledger(LedgerPath(ledgerPath));
    const QList<MLedgerItem> items = ledger.Items(run);
    return std::count_if(items.begin(), items.end(), [](const MLedgerItem& item) { return IsDone(item.outcome); });
}

MOutcomeCounts MRunJournal::Counts(qint64 run, const QString& ledgerPath)
{
    MOutcomeCounts counts;
    const MRunLedger ledger(LedgerPath(ledgerPath));
    for (const MLedgerItem& item : ledger.Items(run))
        counts.Add(item.outcome);
    return counts;
}

bool MRunJournal::IsOpen() const
{
    return m_Ledger->IsOpen() && m_Run > 0;
}

QString MRunJournal::Error() const
{
    return m_Ledger->Error();
}

QStringList MRunJournal::CreatedPageIds() const
{
    QStringList ids;
    if (!IsOpen())
        return ids;
    for (const MLedgerItem& item : m_Ledger->Items(m_Run))
        if (item.outcome == MItemOutcome::Created && !item.pageId.isEmpty())
            ids << item.pageId;
    return ids;
}

MRunJournal::MPrior MRunJournal::Prior(qint64 index, const QString& key) const
{
    MPrior prior;
    if (!IsOpen())
        return prior;
    if (m_Mode == MRunMode::Resume) {
        // The same place holding another item means the source changed: that item is new.
        const std::optional<MLedgerItem> item = m_Ledger->Item(m_Run, index);
        if (item && item->key == key) {
            prior.item = *item;
            if (IsDone(item->outcome))
                prior.kind = MPrior::Done;
            else if (item->outcome == MItemOutcome::Sending)
                prior.kind = MPrior::Sent;
            return prior;
        }
    }
    if (m_Mode == MRunMode::SkipImported) {
        if (const std::optional<MLedgerItem> item
            = m_Ledger->CreatedBefore(m_Identity.task, m_Identity.target, key, m_Run)) {
            prior.kind = MPrior::ImportedBefore;
            prior.item = *item;
        }
    }
    return prior;
}

void MRunJournal::Sending(qint64 index, const QString& key, const QString& title, const QString& target)
{
    if (!IsOpen())
        return;
    MLedgerItem item;
    item.run = m_Run;
    item.index = index;
    item.key = key;
    item.title = title;
    item.target = target;
    item.outcome = MItemOutcome::Sending;
    m_Ledger->SetItem(item);
    m_Open.insert(index, item);
}

void MRunJournal::Outcome(
    qint64 index, MItemOutcome outcome, const QString& pageId, const QString& link, const QString& reason)
{
    if (!IsOpen())
        return;
    MLedgerItem item = m_Open.take(index);
    if (item.run == 0) {
        // An item this part did not send (found after an interruption): what the ledger holds of it.
        item = m_Ledger->Item(m_Run, index).value_or(MLedgerItem());
        item.run = m_Run;
        item.index = index;
    }
    item.outcome = outcome;
    item.pageId = pageId;
    item.link = link;
    item.reason = reason;
    item.updatedMs = 0;
    m_Ledger->SetItem(item);
}

void MRunJournal::Keep(qint64 index, const MLedgerItem& prior, MItemOutcome outcome, const QString& reason)
{
    if (!IsOpen())
        return;
    MLedgerItem item = prior;
    item.run = m_Run;
    item.index = index;
    item.outcome = outcome;
    item.reason = reason;
    item.updatedMs = 0;
    m_Ledger->SetItem(item);
}

void MRunJournal::End(bool stopped)
{
    if (IsOpen())
        m_Ledger->EndRun(m_Run, stopped ? QStringLiteral("stopped") : QStringLiteral("finished"));
}

QString PageLinkOfAnswer(const QString& answer)
{
    const QJsonObject page = AnswerObject(answer.toUtf8()).value_or(QJsonObject());
    const QString web = LinkHref(page, QLatin1String("oneNoteWebUrl"));
    return web.isEmpty() ? LinkHref(page, QLatin1String("oneNoteClientUrl")) : web;
}

MRunChoice ChooseRun(const MRunJournal::MIdentity& identity, MRunRequest request, const QString& ledgerPath)
{
    MRunChoice choice;
    choice.recording.record = true;
    choice.recording.ledgerPath = ledgerPath;
    choice.recording.mode = request == MRunRequest::SkipImported ? MRunMode::SkipImported : MRunMode::New;
    if (request == MRunRequest::New)
        return choice;
    if (const std::optional<MLedgerRun> unfinished = MRunJournal::FindUnfinished(identity, ledgerPath)) {
        choice.earlier = *unfinished;
        if (request == MRunRequest::Resume) {
            choice.recording.mode = MRunMode::Resume;
            choice.recording.resumeRun = unfinished->id;
        } else {
            choice.kind = MRunChoice::Kind::AskUnfinished;
        }
        return choice;
    }
    if (request == MRunRequest::SkipImported)
        return choice;
    if (const std::optional<MLedgerRun> latest = MRunJournal::FindLatest(identity, ledgerPath)) {
        choice.earlier = *latest;
        choice.kind = request == MRunRequest::Resume ? MRunChoice::Kind::AlreadyDone : MRunChoice::Kind::AskFinished;
    }
    return choice;
}

QString EarlierRunText(const MLedgerRun& run, const QString& ledgerPath)
{
    const qint64 when = run.endedMs > 0 ? run.endedMs : run.startedMs;
    return QStringLiteral("%1 (%2)").arg(
        QDateTime::fromMSecsSinceEpoch(when).toString(QStringLiteral("yyyy-MM-dd HH:mm")),
        SummaryText(MRunJournal::Counts(run.id, ledgerPath)));
}

std::unique_ptr<MRunJournal> OpenRunJournal(
    const MRunJournal::MIdentity& identity, const MRunRecording& recording, MTaskReporter* reporter)
{
    if (!recording.record)
        return nullptr;
    auto journal = std::make_unique<MRunJournal>(identity, recording.mode, recording.resumeRun, recording.ledgerPath);
    if (journal->IsOpen())
        return journal;
    if (reporter)
        reporter->ShowStatus(Localized("msgLedgerUnavailable").arg(journal->Error()));
    return nullptr;
}

MRunItemResult SendRunItem(MRunJournal* journal, qint64 index, const QString& key, const QString& title,
    const QString& target, const MRunItemFinder& find, const std::function<MCreationOutcome()>& send)
{
    MRunItemResult result;
    const MRunJournal::MPrior prior = journal ? journal->Prior(index, key) : MRunJournal::MPrior();
    result.prior = prior.kind;
    if (prior.kind == MRunJournal::MPrior::Done) {
        result.outcome = MItemOutcome::Created;
        result.creation.code = kCreationCreated;
        result.creation.id = prior.item.pageId;
        result.link = prior.item.link;
        result.reason = Localized("reasonMadeBeforeInterruption");
        return result;
    }
    if (prior.kind == MRunJournal::MPrior::ImportedBefore) {
        const QString when
            = QDateTime::fromMSecsSinceEpoch(prior.item.updatedMs).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        result.outcome = MItemOutcome::Skipped;
        result.creation.code = kCreationNotSent;
        result.link = prior.item.link;
        result.reason = Localized("reasonImportedBefore").arg(when);
        journal->Keep(index, prior.item, MItemOutcome::Skipped, result.reason);
        return result;
    }

    MCreationOutcome& outcome = result.creation;
    bool sent = false;
    if (prior.kind == MRunJournal::MPrior::Sent && find) {
        // The run was cut off while this item was on its way: it may have arrived.
        QString failure;
        const std::optional<QJsonObject> found = find(&failure);
        if (found && !found->isEmpty()) {
            outcome.code = kCreationCreated;
            outcome.id = found->value(QLatin1String("id")).toString();
            outcome.answer = QString::fromUtf8(QJsonDocument(*found).toJson(QJsonDocument::Compact));
            outcome.foundAfterLostAnswer = true;
        } else if (!found) {
            outcome.code = kCreationNoAnswer;
            outcome.reason = Localized("reasonLostUnchecked").arg(Localized("reasonCutOffWhileSending"), failure);
        } else {
            sent = true;
        }
    } else {
        sent = true;
    }
    if (sent) {
        if (journal)
            journal->Sending(index, key, title, target);
        outcome = send();
    }
    if (outcome.code == kCreationStopped) {
        // Stopped while it waited for its turn: it was never sent.
        if (journal)
            journal->Outcome(index, MItemOutcome::NotAttempted);
        result.outcome = MItemOutcome::Skipped;
        result.reason = outcome.reason;
        return result;
    }
    if (outcome.Created()) {
        result.outcome = MItemOutcome::Created;
        result.link = PageLinkOfAnswer(outcome.answer);
        if (outcome.foundAfterLostAnswer && prior.kind == MRunJournal::MPrior::Sent)
            result.reason = Localized("reasonFoundAfterInterruption");
    } else {
        result.outcome = MItemOutcome::Failed;
        result.reason = outcome.reason;
    }
    if (journal) {
        journal->Outcome(index, result.outcome, outcome.id, result.link, result.reason);
    }
    return result;
}

void ContinueRunIn(MServiceSession& session, const MRunJournal& journal)
{
    session.SetRunStartMs(journal.RunStartMs());
    for (const QString& id : journal.CreatedPageIds())
        session.RememberCreated(id);
}

QString FileItemKey(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(path.toUtf8());
    hash.addData(QByteArrayView("\x1f"));
    if (!hash.addData(&file))
        return QString();
    return QStringLiteral("file:") + QString::fromLatin1(hash.result().toHex());
}

QString SourceListName(const QStringList& paths)
{
    if (paths.size() == 1)
        return paths.first();
    QStringList sorted = paths;
    sorted.sort();
    const QByteArray digest = QCryptographicHash::hash(sorted.join(QChar(0x1F)).toUtf8(), QCryptographicHash::Md5);
    return QStringLiteral("%1 items: %2").arg(paths.size()).arg(QString::fromLatin1(digest.toHex()));
}
