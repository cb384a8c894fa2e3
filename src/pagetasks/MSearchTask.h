#pragma once

#include "model/MTreeNode.h"
#include "tasks/MPageWalker.h"
#include "tasks/MRunRows.h"

#include <QList>
#include <QString>
#include <optional>

// A paragraph-like element or an image whose recognised text holds the search text.
struct MSearchHit
{
    MNodeKind kind = MNodeKind::Paragraph; // or RecognisedText
    QString id; // the element's id attribute, "" when it has none
    QString text; // the element's text, or the image's text
    QString link; // the paragraph's client link, "" without an id
};

// A page that matched, with the elements that matched (content search only).
struct MSearchPageHit
{
    QString pageId;
    QString title;
    QString clientUrl;
    QString sectionPath;
    QList<MSearchHit> elements;
};

// What the content search makes of one page: whether its text holds every word, and the elements
// that do.
struct MSearchPageScan
{
    bool matched = false;
    QList<MSearchHit> elements;
};

// Where the hits go as they are found (the panel's outline, the command line's output). Called on
// the worker thread; the desktop posts to the main thread and waits.
class MSearchSink
{
public:
    virtual ~MSearchSink() = default;
    virtual void AddPageHit(const MSearchPageHit& hit) = 0;
};

struct MSearchOptions
{
    QString text;
    bool matchCase = false;
    bool inPageTitle = true; // titles only; otherwise the pages' content, down to their paragraphs
};

// Finds the pages of the checked sections whose title, or whose content, holds the search text. A
// content search reads each page; a page matches when every word of the search text occurs in its
// text (what a reader sees: element text, image text; never tag names, attributes or styles), and
// then each paragraph, heading, list item and image text holding every word is listed under it. The hits go to the
// sink; what could not be read (a page, a section's page list) is reported as a failed row, so that a search that did
// not see everything does not look complete.
class MSearchTask : public MPageWalker
{
public:
    MSearchTask(const MTaskContext& context, MSearchOptions options, MSearchSink* sink);

    // "strSelectASection" when nothing is checked; "" when there is nothing to search for, no word in
    // the text (a run does nothing then); nothing when a run may start.
    static std::optional<QString> StartProblem(const MNotebookNode* tree, const QString& text);

    void ThreadRun();

    // The content search of one page; true when it matched.
    bool SearchIn_APage(const MPageEntry& page, const QString& sectionPath);
    // Whether the page's text holds every word of `search`, and the elements of its HTML that do (none
    // when it is not XML: its text is then what is left with the markup taken out).
    static MSearchPageScan SearchIn_APageHtml(
        const QString& html, const QString& pageClientUrl, const QString& search, bool matchCase);
    // The title test of the title-only search: the search text as one piece of the title.
    static bool TitleMatches(const QString& title, const QString& search, bool matchCase);

    qint64 PagesFound() const { return m_PagesFound; }
    const MRunRows& Rows() const { return m_Rows; }

protected:
    qint64 HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath) override;
    void OnSectionFailed(const MNotebookNode& section, const QString& sectionPath, const QString& reason) override;
    qint64 RequestsPerPage() const override { return m_Options.inPageTitle ? 0 : 1; }

private:
    void Found(const MSearchPageHit& hit);

    MSearchOptions m_Options;
    MSearchSink* m_Sink;
    MRunRows m_Rows;
    qint64 m_PagesFound = 0;
};
