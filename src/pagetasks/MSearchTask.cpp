#include "MSearchTask.h"

#include "app/MStrings.h"
#include "export/PageXml.h"
#include "model/MOLONUtils.h"
#include "model/MONObject.h"
#include "util/TextUtils.h"

namespace {

bool IsParagraphLike(const QString& name)
{
    static const QStringList names {QStringLiteral("title"), QStringLiteral("h1"), QStringLiteral("h2"),
        QStringLiteral("h3"), QStringLiteral("h4"), QStringLiteral("h5"), QStringLiteral("h6"), QStringLiteral("p"),
        QStringLiteral("li")};
    return names.contains(name);
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

    void Consider(const pugi::xml_node& element, quint64 kind, const QString& text)
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
            if (child.type() != pugi::node_element)
                continue;
            const QString name = LowerName(child);
            if (IsParagraphLike(name)) {
                Consider(child, kHitParagraph, ComparableText(XmlWholeText(child)));
            } else if (name == QLatin1String("img")) {
                if (const pugi::xml_attribute alt = child.attribute("alt"))
                    Consider(child, kHitImageText, ComparableText(XmlText(alt.value())));
            }
            // A matching list item that holds a matching paragraph gives two rows.
            Recurse(child);
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

std::optional<QString> MSearchTask::StartProblem(const MONObject* tree, const QString& text)
{
    if (const std::optional<QString> problem = NoCheckedSection(tree))
        return problem;
    // Blanks are no words: every page and paragraph would match them.
    if (text.trimmed().isEmpty())
        return QString();
    return std::nullopt;
}

void MSearchTask::ThreadRun()
{
    RefreshTokens();
    if (m_Context.tree)
        WalkNotebooks(*m_Context.tree, QString());
    if (m_Context.reporter)
        m_Context.reporter->Finish(Localized("strFinish"));
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
    // The raw HTML is tested, tags and attributes included: "div" finds every page.
    const bool matched = StringContainsAllWords(html, m_Options.text, m_Options.matchCase);
    if (matched) {
        ShowToUI(page.title);
        MSearchPageHit hit {page.id, page.title, page.clientUrl, sectionPath, {}};
        hit.elements = SearchIn_APageHtml(html, page.clientUrl, m_Options.text, m_Options.matchCase);
        Found(hit);
        ShowToUI(breadcrumb);
    }
    Wait(MPacer::Kind::Download);
    return matched;
}

QList<MSearchHit> MSearchTask::SearchIn_APageHtml(
    const QString& html, const QString& pageClientUrl, const QString& search, bool matchCase)
{
    pugi::xml_document document;
    if (!ParseProtectedPageHtml(html, document))
        return {};
    MScan scan {pageClientUrl, search, matchCase, {}};
    scan.Recurse(document);
    return scan.hits;
}

void MSearchTask::Found(const MSearchPageHit& hit)
{
    ++m_PagesFound;
    if (m_Sink)
        m_Sink->AddPageHit(hit);
}

void MSearchTask::OnSectionFailed(const MONObject&, const QString& sectionPath, const QString& reason)
{
    m_Rows.Add(sectionPath, MItemOutcome::Failed, reason);
}
