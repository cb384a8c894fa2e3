#include "MRunJournal.h"

#include "util/MSleeper.h"

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
        if (item.outcome == MLedgerOutcome::Created && !item.pageId.isEmpty())
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
            else if (item->outcome == MLedgerOutcome::Sending)
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
    item.outcome = MLedgerOutcome::Sending;
    m_Ledger->SetItem(item);
    m_Open.insert(index, item);
}

void MRunJournal::Outcome(
    qint64 index, MLedgerOutcome outcome, const QString& pageId, const QString& link, const QString& reason)
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

void MRunJournal::Keep(qint64 index, const MLedgerItem& prior, MLedgerOutcome outcome, const QString& reason)
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
    const QJsonObject links
        = QJsonDocument::fromJson(answer.toUtf8()).object().value(QLatin1String("links")).toObject();
    const QString web = links.value(QLatin1String("oneNoteWebUrl")).toObject().value(QLatin1String("href")).toString();
    if (!web.isEmpty())
        return web;
    return links.value(QLatin1String("oneNoteClientUrl")).toObject().value(QLatin1String("href")).toString();
}
