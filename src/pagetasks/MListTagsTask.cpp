#include "MListTagsTask.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "model/MOLONUtils.h"
#include "tasks/PageXml.h"

namespace {

void Recurse(const pugi::xml_node& node, const MTagItem& page, QList<MTagItem>& items)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (const pugi::xml_attribute tag = child.attribute("data-tag")) {
            MTagItem element = page;
            element.objectId = UnprotectAmpersands(XmlText(child.attribute("id").value()));
            // An element without an id has no link of its own: its page's stands in.
            element.link
                = element.objectId.isEmpty() ? page.pageLink : InsertObjectIdIntoLink(page.pageLink, element.objectId);
            element.text = ReadableXmlText(XmlWholeText(child));
            items.append(TagItemsOf(UnprotectAmpersands(XmlText(tag.value())), element));
        }
        Recurse(child, page, items);
    }
}

} // namespace

MListTagsTask::MListTagsTask(const MTaskContext& context, MTagSink* sink)
    : MPageWalker(context, PagePolicyFor(MPageUser::Tags))
    , m_Sink(sink)
    , m_Rows(context.reporter)
{ }

std::optional<QString> MListTagsTask::StartProblem(const MNotebookNode* tree)
{
    return NothingChecked(tree);
}

void MListTagsTask::ThreadRun()
{
    WalkCheckedTree();
}

qint64 MListTagsTask::HandlePage(const MPageEntry& page, qint64, const QString& sectionPath)
{
    ShowToUI(page.title);
    const QString breadcrumb = sectionPath + QLatin1Char('/') + page.title;
    const QString html = ReadPageOrReport(page, sectionPath, m_Rows);
    if (!html.contains(QLatin1String("data-tag=")))
        return 1;
    // The page list already gave the page's client link; it is asked for only when it did not.
    const QString link = page.clientUrl.isEmpty() ? GetPageOneNoteClientUrl(page.id) : page.clientUrl;
    const QList<MTagItem> items = ListTagsInAPageHtml(link, page.id, page.title, html, breadcrumb);
    if (!items.isEmpty()) {
        ++m_FilesCount;
        m_ItemsFound += items.size();
        if (m_Sink)
            m_Sink->AddTagItems(items);
    }
    ShowToUI(breadcrumb);
    return 1;
}

QList<MTagItem> MListTagsTask::ListTagsInAPageHtml(const QString& pageLink, const QString& pageId,
    const QString& pageTitle, const QString& html, const QString& breadcrumb)
{
    pugi::xml_document document;
    if (!ParseProtectedPageHtml(html, document))
        return {};
    MTagItem page;
    page.pageBreadcrumb = breadcrumb;
    page.pageName = pageTitle;
    page.pageId = pageId;
    page.pageLink = pageLink;
    QList<MTagItem> items;
    Recurse(document, page, items);
    return items;
}

void MListTagsTask::OnSectionFailed(const MNotebookNode&, const QString& sectionPath, const QString& reason)
{
    m_Rows.Add(sectionPath, MItemOutcome::Failed, reason);
}
