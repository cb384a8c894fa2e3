#include "NoteLinkPass.h"

#include "ImportProgress.h"
#include "NoteLinks.h"
#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "net/ServiceRequest.h"
#include "service/MServiceSession.h"
#include "tasks/MPageList.h"
#include "tasks/MTaskContext.h"
#include "tasks/TaskTexts.h"

#include <QFileInfo>
#include <QSet>

namespace {

constexpr int kLinkRequestTimeout = 120;
// A changed paragraph gets new ids: a PATCH built on a read made before someone changed the page is
// refused as naming an element that is not there.
const QString kTargetNotFound = QStringLiteral("20120");

MLinkVerdict Verdict(const QList<MMadePage>& found, qint64 run)
{
    QList<MMadePage> ours;
    for (const MMadePage& page : found)
        if (page.run == run)
            ours.append(page);
    // A note of this import wins over one an earlier run made from a note of the same name: imported
    // again, a file would otherwise make all its own links ambiguous.
    const QList<MMadePage>& pool = ours.isEmpty() ? found : ours;
    QSet<QString> ids;
    for (const MMadePage& page : pool)
        ids.insert(page.pageId);
    if (ids.isEmpty() || pool.first().link.isEmpty())
        return MLinkVerdict {MLinkVerdict::NotFound, {}};
    if (ids.size() > 1)
        return MLinkVerdict {MLinkVerdict::Ambiguous, {}};
    return MLinkVerdict {MLinkVerdict::Rewrite, pool.first().link};
}

MLinkResolver ResolverFor(const MRunLedger& ledger, const MMadePage& page)
{
    return [&ledger, page](const QString& href, const QString& text) {
        const MNoteLinkKind kind = NoteLinkKindOf(href);
        if (kind == MNoteLinkKind::None)
            return MLinkVerdict();
        const QString key = kind == MNoteLinkKind::Evernote ? text : LinkedFilePath(href, page.source);
        if (kind == MNoteLinkKind::LocalFile && page.source.isEmpty())
            return MLinkVerdict(); // a file name in a note that came from no file names nothing we know
        if (key.isEmpty())
            return MLinkVerdict {MLinkVerdict::NotFound, {}};
        return Verdict(ledger.MadePagesNamed(page.place, kind == MNoteLinkKind::Evernote, key), page.run);
    };
}

QString WhyText(const QString& why)
{
    if (why == QLatin1String("ambiguous"))
        return Localized("reasonLinkAmbiguous");
    if (why == QLatin1String("notfound"))
        return Localized("reasonLinkNotFound");
    return Localized("reasonLinkUnchangeable");
}

class MLinkPass
{
public:
    MLinkPass(const MTaskContext& context, MServiceSession& session, MRunLedger& ledger)
        : m_Context(context)
        , m_Session(session)
        , m_Ledger(ledger)
    { }

    // False when the run was stopped before the page was done.
    bool LinkPage(MMadePage page, MLinkPassResult& result)
    {
        const QString base = m_Session.Account().BaseUrl();
        for (int attempt = 0; attempt < 2; ++attempt) {
            const MServiceAnswer read
                = m_Session.Get(PageContentUrl(base, page.pageId), kLinkRequestTimeout, MExpect::Text);
            if (read.failure == MAnswerFailure::Stopped)
                return false;
            ++result.requests;
            if (!read.Ok())
                return Failed(page, read.reason, result);
            MPageRelink relink = RelinkPage(read.Text(), ResolverFor(m_Ledger, page));
            if (!relink.readable)
                return Failed(page, Localized("reasonLinkPageUnreadable"), result);
            if (!relink.changes.isEmpty()) {
                MHttpRequest request = ServiceRequestEncoded(
                    "PATCH", QStringLiteral("%1/pages/%2/content").arg(base, page.pageId), kLinkRequestTimeout);
                SetRequestBody(request, "application/json", relink.changes);
                const MServiceAnswer patched = m_Session.Send(request, MExpect::Success);
                if (patched.failure == MAnswerFailure::Stopped)
                    return false;
                ++result.requests;
                if (!patched.Ok() && attempt == 0 && patched.errorCode == kTargetNotFound)
                    continue; // changed since it was read: read it again
                if (!patched.Ok())
                    return Failed(page, patched.reason, result);
                if (m_Context.pacer)
                    m_Context.pacer->WaitUpload();
            }
            page.rewritten = relink.rewritten;
            page.ambiguous = relink.ambiguous;
            page.missing = relink.missing;
            for (MLeftLink& link : relink.left)
                link.pageTitle = page.title;
            m_Ledger.SetPageLinked(page, relink.left);
            return true;
        }
        return true;
    }

private:
    // The page keeps its links as they were, and a resumed run tries it again.
    bool Failed(const MMadePage& page, const QString& reason, MLinkPassResult& result)
    {
        WriteLog(QStringLiteral("Link pass: page %1 not changed: %2").arg(page.pageId, reason));
        result.lines.append(Localized("strLinkPageFailed").arg(page.title, reason));
        return true;
    }

    const MTaskContext& m_Context;
    MServiceSession& m_Session;
    MRunLedger& m_Ledger;
};

} // namespace

void RememberMadePage(MRunJournal* journal, qint64 index, const QString& title, const QString& sourcePath,
    const MRunItemResult& item, const QString& html)
{
    MRunLedger* ledger = journal ? journal->Ledger() : nullptr;
    if (!ledger || item.outcome != MItemOutcome::Created || item.creation.id.isEmpty())
        return;
    MMadePage page;
    page.run = journal->RunId();
    page.index = index;
    page.place = journal->Identity().target;
    page.title = title.simplified();
    page.source = sourcePath.isEmpty() ? QString() : QFileInfo(sourcePath).absoluteFilePath();
    page.pageId = item.creation.id;
    page.link = item.link;
    page.holdsLinks = HoldsNoteLinks(html, page.source);
    ledger->AddMadePage(page);
}

MLinkReport MLinkPassResult::Report() const
{
    return MLinkReport {rewritten, ambiguous, missing, unchanged, left};
}

QString MLinkPassResult::SummaryText() const
{
    return LinkCountsText(Report());
}

MLinkPassResult RunLinkPass(const MTaskContext& context, MServiceSession& session, MRunJournal* journal)
{
    MLinkPassResult result;
    MRunLedger* ledger = journal ? journal->Ledger() : nullptr;
    if (!ledger)
        return result;
    QList<MMadePage> linking;
    for (const MMadePage& page : ledger->MadePages(journal->RunId()))
        if (page.holdsLinks)
            linking.append(page);
    result.pages = linking.size();
    MLinkPass pass(context, session, *ledger);
    qint64 done = std::count_if(linking.begin(), linking.end(), [](const MMadePage& page) { return page.linked; });
    for (const MMadePage& page : linking) {
        if (page.linked)
            continue;
        if (!context.IsRunning() || result.stopped) {
            result.stopped = true;
            break;
        }
        if (context.reporter)
            context.reporter->ShowStatus(
                Localized("strLinkingPages").arg(QString::number(done + 1), QString::number(linking.size())));
        ReportImportProgress(context, done, linking.size(), 2);
        result.stopped = !pass.LinkPage(page, result);
        if (!result.stopped)
            ++done;
    }
    result.stopped = result.stopped || !context.IsRunning();
    if (!linking.isEmpty())
        ReportImportProgress(context, done, linking.size(), 2);
    // The counts and the links left cover the parts of the pass before a stop too.
    for (const MMadePage& page : ledger->MadePages(journal->RunId())) {
        result.rewritten += page.rewritten;
        result.ambiguous += page.ambiguous;
        result.missing += page.missing;
    }
    QStringList lines;
    for (MLeftLink link : ledger->LeftLinks(journal->RunId())) {
        if (link.why == QLatin1String("unchangeable"))
            ++result.unchanged;
        link.why = WhyText(link.why);
        lines.append(Localized("strLinkLeft").arg(link.text, link.pageTitle, link.why));
        result.left.append(link);
    }
    result.lines = lines + result.lines;
    if (context.reporter && result.Any()) {
        context.reporter->ShowStatus(result.SummaryText());
        context.reporter->ReportLinks(result.Report());
    }
    return result;
}

void ShowLinkPass(const MTaskContext& context, const MLinkPassResult& result)
{
    if (context.reporter && result.Any())
        context.reporter->ShowMessage(
            (result.lines + QStringList {result.SummaryText()}).join(QLatin1Char('\n')), result.SummaryText());
}

QString WithLinkSummary(const QString& summary, const MLinkPassResult& result)
{
    return result.Any() ? summary + QStringLiteral(". ") + result.SummaryText() : summary;
}
