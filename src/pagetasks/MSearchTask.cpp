#include "MSearchTask.h"

#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "model/MOLONUtils.h"
#include "tasks/PageXml.h"
#include "util/HtmlText.h"
#include "util/TextUtils.h"

#include <QRegularExpression>

namespace {

bool IsParagraphLike(const QString& name)
{
    static const QStringList names {QStringLiteral("title"), QStringLiteral("h1"), QStringLiteral("h2"),
        QStringLiteral("h3"), QStringLiteral("h4"), QStringLiteral("h5"), QStringLiteral("h6"), QStringLiteral("p"),
        QStringLiteral("li")};
    return names.contains(name);
}

// Elements whose text runs on with the text around them ("<b>car</b>pet" reads "carpet"); every
// other element stands apart from its neighbours.
bool IsInline(const QString& name)
{
    static const QStringList names {QStringLiteral("a"), QStringLiteral("abbr"), QStringLiteral("b"),
        QStringLiteral("big"), QStringLiteral("cite"), QStringLiteral("code"), QStringLiteral("del"),
        QStringLiteral("em"), QStringLiteral("font"), QStringLiteral("i"), QStringLiteral("ins"),
        QStringLiteral("mark"), QStringLiteral("s"), QStringLiteral("small"), QStringLiteral("span"),
        QStringLiteral("strike"), QStringLiteral("strong"), QStringLiteral("sub"), QStringLiteral("sup"),
        QStringLiteral("u")};
    return names.contains(name);
}

// Elements that hold no text a reader sees.
bool IsHidden(const QString& name)
{
    return name == QLatin1String("style") || name == QLatin1String("script");
}

// The text an element is compared as: readable, with percent-escapes ("%41") decoded. A text that is
// not percent-encoded at all ("5 % over budget") is compared as it stands.
QString ComparableText(const QString& protectedText)
{
    const QString text = ReadableXmlText(protectedText);
    return RemovePercentEncoding(text).value_or(text);
}

struct MScan
{
    QString pageLink;
    QString search;
    bool matchCase = false;
    QList<MSearchHit> hits;
    QString pageText; // what a reader of the page sees, block by block

    void Consider(const pugi::xml_node& element, MNodeKind kind, const QString& text)
    {
        if (!StringContainsAllWords(text, search, matchCase))
            return;
        MSearchHit hit;
        hit.kind = kind;
        hit.text = text;
        if (const pugi::xml_attribute id = element.attribute("id")) {
            hit.id = UnprotectAmpersands(XmlText(id.value()));
            hit.link = InsertObjectIdIntoLink(pageLink, hit.id);
        }
        hits.append(hit);
    }

    void Recurse(const pugi::xml_node& node)
    {
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
                pageText += ComparableText(XmlText(child.value()));
                continue;
            }
            if (child.type() != pugi::node_element)
                continue;
            const QString name = LowerName(child);
            if (IsHidden(name))
                continue;
            const bool block = !IsInline(name);
            if (block)
                pageText += QLatin1Char('\n');
            if (IsParagraphLike(name)) {
                Consider(child, MNodeKind::Paragraph, ComparableText(XmlWholeText(child)));
            } else if (name == QLatin1String("img")) {
                if (const pugi::xml_attribute alt = child.attribute("alt")) {
                    const QString text = ComparableText(XmlText(alt.value()));
                    Consider(child, MNodeKind::RecognisedText, text);
                    pageText += text;
                }
            }
            // A matching list item that holds a matching paragraph gives two rows.
            Recurse(child);
            if (block)
                pageText += QLatin1Char('\n');
        }
    }
};

} // namespace

MSearchTask::MSearchTask(const MTaskContext& context, MSearchOptions options, MSearchSink* sink)
    : MPageWalker(context, PagePolicyFor(MPageUser::Search))
    , m_Options(std::move(options))
    , m_Sink(sink)
    , m_Rows(context.reporter)
{ }

std::optional<QString> MSearchTask::StartProblem(const MNotebookNode* tree, const QString& text)
{
    if (const std::optional<QString> problem = NothingChecked(tree))
        return problem;
    // Blanks are no words: every page and paragraph would match them.
    if (text.trimmed().isEmpty())
        return QString();
    return std::nullopt;
}

void MSearchTask::ThreadRun()
{
    m_Context.RefreshTokens();
    if (m_Context.tree)
        WalkNotebooks(*m_Context.tree, QString());
    if (m_Context.reporter)
        m_Context.reporter->Finish(FinishText());
}

bool MSearchTask::TitleMatches(const QString& title, const QString& search, bool matchCase)
{
    return matchCase ? StringContains(search, title) : StringContainsIgnoreCase(search, title);
}

qint64 MSearchTask::HandlePage(const MPageEntry& page, qint64, const QString& sectionPath)
{
    if (!m_Options.inPageTitle) {
        SearchIn_APage(page, sectionPath);
        return 1;
    }
    if (TitleMatches(page.title, m_Options.text, m_Options.matchCase)) {
        Found(MSearchPageHit {page.id, page.title, page.clientUrl, sectionPath, {}});
        ShowToUI(page.title);
    }
    return 1;
}

bool MSearchTask::SearchIn_APage(const MPageEntry& page, const QString& sectionPath)
{
    const QString breadcrumb = sectionPath + QLatin1Char('/') + page.title;
    const QString html = ReadPageOrReport(page, sectionPath, m_Rows);
    if (html.isEmpty()) {
        Wait(MPacer::Kind::Download);
        return false;
    }
    // The page's text is searched, never its markup: "div" or "Calibri" finds no page by its tags.
    MSearchPageScan scan = SearchIn_APageHtml(html, page.clientUrl, m_Options.text, m_Options.matchCase);
    if (scan.matched) {
        ShowToUI(page.title);
        Found(MSearchPageHit {page.id, page.title, page.clientUrl, sectionPath, std::move(scan.elements)});
        ShowToUI(breadcrumb);
    }
    Wait(MPacer::Kind::Download);
    return scan.matched;
}

MSearchPageScan MSearchTask::SearchIn_APageHtml(
    const QString& html, const QString& pageClientUrl, const QString& search, bool matchCase)
{
    MSearchPageScan result;
    pugi::xml_document document;
    if (!ParseProtectedPageHtml(html, document)) {
        static const QRegularExpression kHidden(QStringLiteral("<(style|script)\\b.*?</\\1\\s*>"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
        const QString text = StripHtmlToText(QString(html).remove(kHidden));
        result.matched = StringContainsAllWords(RemovePercentEncoding(text).value_or(text), search, matchCase);
        return result;
    }
    MScan scan {pageClientUrl, search, matchCase, {}, {}};
    scan.Recurse(document);
    result.matched = StringContainsAllWords(scan.pageText, search, matchCase);
    if (result.matched)
        result.elements = std::move(scan.hits);
    return result;
}

void MSearchTask::Found(const MSearchPageHit& hit)
{
    ++m_PagesFound;
    if (m_Sink)
        m_Sink->AddPageHit(hit);
}

void MSearchTask::OnSectionFailed(const MNotebookNode&, const QString& sectionPath, const QString& reason)
{
    m_Rows.Add(sectionPath, MItemOutcome::Failed, reason);
}
