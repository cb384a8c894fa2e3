#include "MListAttachmentsTask.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "model/MOLONUtils.h"
#include "tasks/PageXml.h"
#include "util/HtmlText.h"

namespace {

QString Attribute(const pugi::xml_node& node, const char* name)
{
    return DecodeHtmlEntities(UnprotectAmpersands(XmlText(node.attribute(name).value())));
}

void Recurse(const pugi::xml_node& node, const MAttachment& page, QList<MAttachment>& items)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (child.attribute("data-attachment")) {
            MAttachment item = page;
            item.name = Attribute(child, "data-attachment");
            item.atype = Attribute(child, "type");
            item.data = Attribute(child, "data");
            items.append(item);
        }
        Recurse(child, page, items);
    }
}

} // namespace

MListAttachmentsTask::MListAttachmentsTask(const MTaskContext& context, MAttachmentSink* sink)
    : MPageWalker(context, PagePolicyFor(MPageUser::Attachments))
    , m_Sink(sink)
    , m_Rows(context.reporter)
{ }

std::optional<QString> MListAttachmentsTask::StartProblem(const MNotebookNode* tree)
{
    return NothingChecked(tree);
}

void MListAttachmentsTask::ThreadRun()
{
    WalkCheckedTree();
}

qint64 MListAttachmentsTask::HandlePage(const MPageEntry& page, qint64, const QString& sectionPath)
{
    ShowToUI(page.title);
    const QString breadcrumb = sectionPath + QLatin1Char('/') + page.title;
    const QString html = ReadPageOrReport(page, sectionPath, m_Rows);
    if (!html.contains(QLatin1String("data-attachment=")))
        return 1;
    const QList<MAttachment> items = ListAttachmentsInAPageHtml(page.id, page.title, html, breadcrumb);
    if (!items.isEmpty()) {
        ++m_FilesCount;
        if (m_Sink)
            m_Sink->AddAttachments(items);
    }
    ShowToUI(breadcrumb);
    return 1;
}

QList<MAttachment> MListAttachmentsTask::ListAttachmentsInAPageHtml(
    const QString& pageId, const QString& pageTitle, const QString& html, const QString& breadcrumb)
{
    pugi::xml_document document;
    if (!ParseProtectedPageHtml(html, document))
        return {};
    MAttachment page;
    page.pageName = pageTitle;
    page.pageId = pageId;
    page.pageBreadcrumb = breadcrumb;
    QList<MAttachment> items;
    Recurse(document, page, items);
    return items;
}

void MListAttachmentsTask::OnSectionFailed(const MNotebookNode&, const QString& sectionPath, const QString& reason)
{
    m_Rows.Add(sectionPath, MItemOutcome::Failed, reason);
}
