#pragma once

#include "MPageList.h"
#include "MPagePolicy.h"
#include "MTaskContext.h"
#include "service/MHttpClient.h"

#include <QString>

class MONObject;

// What every page-by-page feature does: walk the checked nodes of the tree snapshot in outline
// order, list each checked section's pages in blocks of 100 (ten blocks at most, so never more than
// 1000 pages a section), and hand each page of a block to the feature. A feature derives from this
// and supplies its per-page work; the policy holds the ways the features differ.
class MPageWalker
{
public:
    MPageWalker(const MTaskContext& context, MPagePolicy policy);
    virtual ~MPageWalker() = default;
    MPageWalker(const MPageWalker&) = delete;
    MPageWalker& operator=(const MPageWalker&) = delete;

    // The tree walk: the checked children of `node`, with `path` the path built so far.
    void WalkNotebooks(const MONObject& node, const QString& path);
    // Lists the pages of one section; returns the sum of the batch results.
    qint64 ListSection(const MONObject& section, const QString& path);
    // One page-list answer: returns the pages handled (or the entries, where the policy counts them).
    qint64 HandleBatch(const QByteArray& body, const QString& sectionPath);

    // The page's HTML, or "" on any failure (logged, never shown).
    QString GetPageContent(const QString& pageId, const QString& title);
    // The page's desktop-client link, or "".
    QString GetPageOneNoteClientUrl(const QString& pageId);

    const MPagePolicy& Policy() const { return m_Policy; }
    const QString& ResultText() const { return m_Result; }

protected:
    // The feature's work for one page (`index` is its place in the batch); returns what it counts.
    virtual qint64 HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath) = 0;
    // A checked section; by default its pages are listed. (The section-file backup does otherwise.)
    virtual qint64 VisitSection(const MONObject& section, const QString& path);
    // Called with the path of every checked container and section before its content is visited.
    virtual void EnterFolder(const QString& path);
    // The path of a child below `path`. By default the name is joined as it is: the path is text to
    // show. A feature that makes folders of it keeps names from leaving the folder.
    virtual QString ChildPath(const QString& path, const QString& name) const;
    // Every request goes through here, so tests can answer without a network.
    virtual MHttpResponse Send(const MHttpRequest& request);

    // The result text and the status line, as the panel shows them.
    void ShowToUI(const QString& status);
    void Alert(const QString& text);
    void Wait(MPacer::Kind kind);
    bool Running() const { return m_Context.IsRunning(); }
    void RefreshTokens();
    // An authorized GET of the percent-encoded URL: the body text, or absent.
    std::optional<QString> GetText(const QString& url, int timeoutSeconds);

    const MTaskContext& m_Context;
    MPagePolicy m_Policy;
    QString m_Result;
};
