#pragma once

#include "MPageCacheRun.h"
#include "MPageList.h"
#include "MPagePolicy.h"
#include "MTaskContext.h"
#include "net/MHttpClient.h"
#include "service/MServiceSession.h"

#include <QString>
#include <optional>

class MNotebookNode;
class MRunRows;

// What every page-by-page feature does: walk the checked nodes of the tree snapshot in outline
// order, list each checked section's pages in blocks of 100 until a block comes back short, and hand
// each page of a block to the feature. A feature derives from this and supplies its per-page work;
// the policy holds the ways the features differ. Every request goes through the run's service
// session, so answers are judged, throttling is waited out and a stop ends any wait at once.
class MPageWalker
{
public:
    MPageWalker(const MTaskContext& context, MPagePolicy policy);
    virtual ~MPageWalker() = default;
    MPageWalker(const MPageWalker&) = delete;
    MPageWalker& operator=(const MPageWalker&) = delete;

    // The tree walk: the checked children of `node`, with `path` the path built so far.
    void WalkNotebooks(const MNotebookNode& node, const QString& path);
    // Lists the pages of one section; returns the sum of the batch results.
    qint64 ListSection(const MNotebookNode& section, const QString& path);
    // One batch of a page list: returns the pages handled.
    qint64 HandleBatch(const QList<MPageEntry>& pages, const QString& sectionPath);

    // The page's HTML, or "" on any failure (logged, never shown); `failure` gets the reason. A page
    // the page cache holds as its list entry dates it is read from there, with no request.
    QString GetPageContent(const MPageEntry& page, MFailure* failure = nullptr);
    // The page's desktop-client link, or "".
    QString GetPageOneNoteClientUrl(const QString& pageId);
    // The page's content; "" when it could not be read, and then the page is a failed row of `rows`
    // ("sectionPath/title" with the reason) unless the run was stopped before it was read.
    QString ReadPageOrReport(const MPageEntry& page, const QString& sectionPath, MRunRows& rows);

    // A page task's run over the checked tree: fresh tokens, every checked section, the finish text.
    void WalkCheckedTree();
    // The localized "strFinish", then, when pages came from the page cache, how many (and what went
    // wrong with its file, if anything did).
    QString FinishText() const;

    const MPagePolicy& Policy() const { return m_Policy; }
    const QString& ResultText() const { return m_Result; }
    // Sections whose page list could not be read (each was named in an alert).
    qint64 SectionsFailed() const { return m_SectionsFailed; }
    MServiceSession& Session() { return m_Session; }

protected:
    // The feature's work for one page (`index` is its place in the batch); returns what it counts.
    virtual qint64 HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath) = 0;
    // A checked section; by default its pages are listed. (The section-file backup does otherwise.)
    virtual qint64 VisitSection(const MNotebookNode& section, const QString& path);
    // Called with the path of every checked container and section before its content is visited.
    virtual void EnterFolder(const QString& path);
    // The path of a child below `path`. By default the name is joined as it is: the path is text to
    // show. A feature that makes folders of it keeps names from leaving the folder.
    virtual QString ChildPath(const QString& path, const QString& name) const;
    // A section's page list could not be read; the alert has been shown. Features add a row.
    virtual void OnSectionFailed(const MNotebookNode& section, const QString& sectionPath, const QString& reason);
    // The address of a section's page list from `skip` on; a feature that needs fewer fields asks
    // for fewer.
    virtual QString PageListAddress(const QString& sectionId, qint64 skip) const;
    // The requests one page costs the feature, for the time-left estimate.
    virtual qint64 RequestsPerPage() const { return 1; }
    // The transport under the session: every request goes through here, so unit tests can answer
    // without a network. The bearer token is already on the request.
    virtual MHttpResponse Send(const MHttpRequest& request);

    // The result text and the status line, as the panel shows them.
    void ShowToUI(const QString& status);
    void Alert(const QString& text);
    void Wait(MPacer::Kind kind);
    bool Running() const { return m_Context.IsRunning(); }
    // Progress: sections done of the checked sections, with the time the known rest needs.
    void ShowProgress();

    const MTaskContext& m_Context;
    MPagePolicy m_Policy;
    QString m_Result;
    MServiceSession m_Session;
    MPageCacheRun m_PageCache;

private:
    qint64 m_SectionsFailed = 0;
    qint64 m_SectionsTotal = 0;
    qint64 m_SectionsDone = 0;
    qint64 m_PagesLeftInBatch = 0;
};

// The number of checked sections below `node` (what a walk of it will visit).
qint64 CountCheckedSections(const MNotebookNode& node);
