#include "MPageWalker.h"

#include "MRunRows.h"

#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "net/MRequestBudget.h"
#include "util/MSleeper.h"

namespace {

constexpr qint64 kPageBlock = 100;
constexpr int kContentTimeout = 90;
constexpr int kMetadataTimeout = 90;

} // namespace

qint64 CountCheckedSections(const MNotebookNode& node)
{
    qint64 count = 0;
    for (const auto& child : node.children()) {
        if (!child->checked)
            continue;
        count += child->kind == MNodeKind::Section ? 1 : CountCheckedSections(*child);
    }
    return count;
}

MPageWalker::MPageWalker(const MTaskContext& context, MPagePolicy policy)
    : m_Context(context)
    , m_Policy(policy)
    , m_Session(
          *context.account, context.running,
          [this](const QString& status) {
              if (m_Context.reporter)
                  m_Context.reporter->ShowStatus(status);
          },
          [this](const MHttpRequest& request) {
              m_PageCache.RequestSent();
              return Send(request);
          })
    , m_PageCache([this](const QString& warning) {
        if (m_Context.reporter)
            m_Context.reporter->ShowStatus(warning);
    })
{ }

void MPageWalker::WalkNotebooks(const MNotebookNode& node, const QString& path)
{
    if (&node == m_Context.tree.get() || m_SectionsTotal == 0)
        m_SectionsTotal = CountCheckedSections(node);
    // The count is read on every pass: the snapshot does not change, but the rule is "while there
    // are children left", not a count taken once.
    for (size_t i = 0; i < node.childCount(); ++i) {
        if (!Running())
            return;
        m_Context.RefreshTokens();
        const MNotebookNode& child = *node.child(i);
        if (!child.checked)
            continue;
        if (child.kind == MNodeKind::Section) {
            VisitSection(child, path);
            ++m_SectionsDone;
            ShowProgress();
        } else {
            const QString childPath = ChildPath(path, child.name);
            EnterFolder(childPath);
            WalkNotebooks(child, childPath);
        }
    }
}

qint64 MPageWalker::VisitSection(const MNotebookNode& section, const QString& path)
{
    return ListSection(section, path);
}

qint64 MPageWalker::ListSection(const MNotebookNode& section, const QString& path)
{
    if (!m_Context.account || m_Context.account->OnlineOneNoteAccessToken().isEmpty())
        return 0;
    const QString sectionPath = ChildPath(path, section.name);
    EnterFolder(sectionPath);

    qint64 total = 0;
    qint64 skip = 0;
    QString previousFirstId;
    for (;;) {
        if (!Running())
            break;
        m_Context.RefreshTokens();
        ShowToUI(sectionPath);
        if (m_Policy.listWait == MPagePolicy::ListWait::BeforeRequest)
            Wait(m_Policy.listWaitKind);

        const MServiceAnswer answer
            = m_Session.Get(PageListAddress(section.id, skip), m_Policy.listTimeoutSeconds, MExpect::List);
        if (!answer.Ok()) {
            if (answer.failure == MAnswerFailure::Stopped)
                break;
            const QString message = QStringLiteral("Retrieve page list of section '%1'  error: %2")
                                        .arg(section.name, answer.CodeOrReason());
            if (m_Policy.logListError)
                WriteLog(message);
            Alert(message);
            ++m_SectionsFailed;
            OnSectionFailed(section, sectionPath, answer.reason);
            break;
        }
        if (m_Policy.listWait == MPagePolicy::ListWait::AfterGoodResponse)
            Wait(m_Policy.listWaitKind);

        const QList<MPageEntry> pages = ParsePageList(answer.Body());
        // A service that ignored the skip would hand out its first block for ever.
        if (!pages.isEmpty() && pages.first().id == previousFirstId)
            break;
        previousFirstId = pages.isEmpty() ? QString() : pages.first().id;
        const qint64 handled = HandleBatch(pages, sectionPath);
        total += m_Policy.batchCountsEntries ? pages.size() : handled;
        if (pages.size() < kPageBlock)
            break;
        skip += kPageBlock;
    }
    return total;
}

QString MPageWalker::PageListAddress(const QString& sectionId, qint64 skip) const
{
    return PageListUrl(m_Context.account->BaseUrl(), sectionId, skip, m_Policy.pageLevels);
}

qint64 MPageWalker::HandleBatch(const QList<MPageEntry>& pages, const QString& sectionPath)
{
    qint64 handled = 0;
    m_PagesLeftInBatch = pages.size();
    ShowProgress();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (!Running())
            break;
        m_Context.RefreshTokens();
        MPageEntry page = pages.at(i);
        // Untitled pages take their index in this batch, so the second batch starts at "0" again.
        if (page.title.isEmpty() && !m_Policy.keepEmptyTitle)
            page.title = QString::number(i);
        handled += HandlePage(page, i, sectionPath);
        m_PagesLeftInBatch = pages.size() - i - 1;
        if (m_PagesLeftInBatch % 10 == 0)
            ShowProgress();
        if (m_Policy.waitBetweenPages)
            Wait(MPacer::Kind::Download);
    }
    m_PagesLeftInBatch = 0;
    return handled;
}

QString MPageWalker::GetPageContent(const MPageEntry& page, MFailure* failure)
{
    if (!m_Context.account || m_Context.account->OnlineOneNoteAccessToken().isEmpty() || page.id.isEmpty()) {
        if (failure)
            *failure = {MAnswerFailure::NotSent, QString()};
        return QString();
    }
    // The page list just read dates the page: only content kept from that very version is served.
    const QString account = m_Context.account->UserId();
    if (std::optional<QString> kept = m_PageCache.Find(account, page)) {
        if (failure)
            *failure = MFailure {};
        return *kept;
    }
    if (m_Policy.waitBeforeContent)
        Wait(MPacer::Kind::Download);
    MServiceSession::Options options;
    const MServiceAnswer answer
        = m_Session.Get(PageContentUrl(m_Context.account->BaseUrl(), page.id), kContentTimeout, MExpect::Text, options);
    if (failure)
        *failure = MFailure::Of(answer);
    if (!answer.Ok()) {
        if (answer.failure != MAnswerFailure::Stopped)
            WriteLog(QStringLiteral("Retrieve page error: %1, code: %2").arg(page.title, answer.CodeOrReason()));
        return QString();
    }
    const QString html = answer.Text();
    m_PageCache.Fetched(account, page, html);
    return html;
}

QString MPageWalker::GetPageOneNoteClientUrl(const QString& pageId)
{
    if (!m_Context.account || m_Context.account->OnlineOneNoteAccessToken().isEmpty() || pageId.isEmpty())
        return QString();
    const MServiceAnswer answer
        = m_Session.Get(PageMetadataUrl(m_Context.account->BaseUrl(), pageId), kMetadataTimeout, MExpect::Json);
    return answer.Ok() ? ClientUrlFromPageMetadata(answer.Text()) : QString();
}

void MPageWalker::EnterFolder(const QString&) { }

QString MPageWalker::ChildPath(const QString& path, const QString& name) const
{
    // A path to show starts with the notebook's name, not with a separator.
    return path.isEmpty() ? name : path + QLatin1Char('/') + name;
}

void MPageWalker::OnSectionFailed(const MNotebookNode&, const QString&, const QString&) { }

MHttpResponse MPageWalker::Send(const MHttpRequest& request)
{
    return MHttpClient::ForCurrentThread().Send(request);
}

void MPageWalker::ShowToUI(const QString& status)
{
    if (m_Context.reporter)
        m_Context.reporter->ShowMessage(m_Result, status);
}

void MPageWalker::ShowProgress()
{
    if (!m_Context.reporter || m_SectionsTotal <= 0)
        return;
    MTaskProgress progress;
    progress.done = m_SectionsDone;
    progress.total = m_SectionsTotal;
    // What is known to be left: the rest of this batch, and a list request for every section to come.
    const qint64 requests = m_PagesLeftInBatch * RequestsPerPage() + (m_SectionsTotal - m_SectionsDone);
    const qint64 ms = TheRequestBudget().EstimateMs(m_Session.BudgetKey(), requests, NowMs());
    progress.secondsLeft = ms < 0 ? -1 : (ms + 999) / 1000;
    m_Context.reporter->ShowProgress(progress);
}

void MPageWalker::Alert(const QString& text)
{
    if (m_Context.reporter)
        m_Context.reporter->Alert(text);
}

void MPageWalker::Wait(MPacer::Kind kind)
{
    // The pauses space requests out; a page read from the page cache sent none.
    if (!m_PageCache.PauseNeeded())
        return;
    if (m_Context.pacer)
        m_Context.pacer->Wait(kind);
}

QString MPageWalker::ReadPageOrReport(const MPageEntry& page, const QString& sectionPath, MRunRows& rows)
{
    MFailure failure;
    const QString html = GetPageContent(page, &failure);
    // A page the run was stopped before reading is no failure of the page.
    if (html.isEmpty() && !(failure.Stopped() && !Running())) {
        rows.Add(sectionPath + QLatin1Char('/') + page.title, MItemOutcome::Failed,
            failure.reason.isEmpty() ? Localized("reasonEmptyAnswer") : failure.reason);
    }
    return html;
}

void MPageWalker::WalkCheckedTree()
{
    m_Context.RefreshTokens(true);
    Wait(MPacer::Kind::Download);
    if (m_Context.tree)
        WalkNotebooks(*m_Context.tree, QString());
    if (m_Context.reporter)
        m_Context.reporter->Finish(FinishText());
}

QString MPageWalker::FinishText() const
{
    const QString cache = m_PageCache.SummaryText();
    return cache.isEmpty() ? Localized("strFinish") : Localized("strFinish") + QLatin1Char(' ') + cache;
}
