#include "LocalHtml.h"

#include "PageText.h"
#include "model/MOLONUtils.h"
#include "tasks/PageXml.h"
#include "util/FileUtils.h"
#include "util/HtmlText.h"
#include "util/TextUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstring>

namespace {

// Elements HTML writes without an end tag; every other element needs one even when empty, or a
// browser reads "<div />" as an opening tag and nests the rest of the page inside it.
bool IsVoidElement(const QString& name)
{
    static const QStringList voids {QStringLiteral("area"), QStringLiteral("base"), QStringLiteral("br"),
        QStringLiteral("col"), QStringLiteral("embed"), QStringLiteral("hr"), QStringLiteral("img"),
        QStringLiteral("input"), QStringLiteral("link"), QStringLiteral("meta"), QStringLiteral("param"),
        QStringLiteral("source"), QStringLiteral("track"), QStringLiteral("wbr")};
    return voids.contains(name);
}

void KeepEndTags(pugi::xml_node node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (!child.first_child() && !IsVoidElement(LowerName(child)))
            child.append_child(pugi::node_pcdata);
        else
            KeepEndTags(child);
    }
}

pugi::xml_node FirstElementNamed(const pugi::xml_node& node, const char* name)
{
    return node.find_node(
        [name](const pugi::xml_node& n) { return n.type() == pugi::node_element && std::strcmp(n.name(), name) == 0; });
}

QByteArray Utf8(const QString& text)
{
    return text.toUtf8();
}

// A text taken from the parse and meant for the file system: unprotected and entity-decoded.
QString PlainValue(const char* value)
{
    return DecodeHtmlEntities(UnprotectAmpersands(XmlText(value)));
}

} // namespace

QString RelativeReference(const QString& folderName, const QString& fileName)
{
    QString reference = folderName + QLatin1Char('/') + fileName;
    reference.replace(QLatin1Char('%'), QStringLiteral("%25"))
        .replace(QLatin1Char('#'), QStringLiteral("%23"))
        .replace(QLatin1Char('?'), QStringLiteral("%3F"));
    return reference;
}

MLocalHtmlConverter::MLocalHtmlConverter(QString tagIconOrigin, Downloader downloader)
    : m_TagIconOrigin(std::move(tagIconOrigin))
    , m_Downloader(std::move(downloader))
{ }

QString MLocalHtmlConverter::ConvertOnlineHtml2LocalHtml(
    const QString& link, const QString& html, const QString& fullPageFileName)
{
    const QString pageName = MUtils::getFileNameFromFullName(fullPageFileName, true);
    const QString folder = QFileInfo(fullPageFileName).path();
    const QString attachFolder = QDir(folder).filePath(pageName + QStringLiteral(".files"));
    const QString relativePath = MUtils::getFileNameFromFullName(attachFolder, false);

    pugi::xml_document document;
    if (!ParseProtectedPageHtml(html, document))
        return html;
    m_Document = &document;
    ConvertOneNoteTags_Recurse(document, link);
    DownloadPageAttachments_Recurse(document, attachFolder, relativePath);
    InsertZephPageTitleDateTime(document.document_element(), pageName);
    KeepEndTags(document);
    m_Document = nullptr;
    return SerializeUnprotected(document);
}

void MLocalHtmlConverter::ConvertOneNoteTags_Recurse(pugi::xml_node node, const QString& pageOneNoteClientUrl)
{
    for (pugi::xml_node e = node.first_child(); e; e = e.next_sibling()) {
        if (e.type() != pugi::node_element)
            continue;
        if (const pugi::xml_attribute tag = e.attribute("data-tag")) {
            QString icon = XmlText(tag.value());
            icon.replace(QLatin1Char(':'), QLatin1Char('-'));
            pugi::xml_node space = e.prepend_child("span");
            space.text().set(" ");
            pugi::xml_node img = e.insert_child_before("img", space);
            img.append_attribute("src").set_value(
                Utf8(QStringLiteral("%1/uploads/soft/quillview/apptags/%2.png").arg(m_TagIconOrigin, icon))
                    .constData());
            img.append_attribute("style").set_value("padding: 0px 0px 0px 0px;");
        }
        if (LowerName(e) == QLatin1String("a") && e.attribute("href"))
            RewriteSamePageLink(e, pageOneNoteClientUrl);
        ConvertOneNoteTags_Recurse(e, pageOneNoteClientUrl);
    }
}

void MLocalHtmlConverter::RewriteSamePageLink(pugi::xml_node anchor, const QString& pageOneNoteClientUrl)
{
    const QString href = UnprotectAmpersands(XmlText(anchor.attribute("href").value()));
    if (!href.contains(QStringLiteral("object-id=")))
        return;
    const QString target = DecodeAmpEntities(href);
    const QString pageId = PageIdFromLink(target);
    // Without a page id on both sides nothing says the link stays on this page.
    if (pageId.isEmpty() || !StringEqualsIgnoreCase(pageId, PageIdFromLink(pageOneNoteClientUrl)))
        return;
    const QString objectId = ObjectIdFromLink(target);
    if (objectId.isEmpty() || !m_Document)
        return;
    const QString elementId = ObjectIdToElementId(objectId);
    const QString serialized = SerializeProtected(*m_Document);
    const qsizetype at = serialized.indexOf(elementId + QLatin1Char('"'));
    if (at < 0)
        return;
    const QString before = serialized.left(at);
    const qsizetype idAt = before.lastIndexOf(QStringLiteral("id=\""));
    if (idAt < 0)
        return;
    const QString prefix = before.mid(idAt + 4);
    if (prefix.isEmpty())
        return;
    anchor.attribute("href").set_value(Utf8(QLatin1Char('#') + prefix + elementId).constData());
}

void MLocalHtmlConverter::DownloadPageAttachments_Recurse(
    pugi::xml_node node, const QString& attachFolder, const QString& relativePath)
{
    for (pugi::xml_node e = node.first_child(); e; e = e.next_sibling()) {
        if (e.type() != pugi::node_element)
            continue;
        const QString name = LowerName(e);
        if (name == QLatin1String("img")) {
            CreateFolder(attachFolder);
            if (const pugi::xml_attribute id = e.attribute("id")) {
                const QString base = GetStringBetween(PlainValue(id.value()), QStringLiteral(":"), QString());
                const QString ext = GetStringBetween(
                    PlainValue(e.attribute("data-src-type").value()), QStringLiteral("/"), QString());
                pugi::xml_attribute src = e.attribute("src");
                if (!src)
                    src = e.append_attribute("src");
                DownloadInto(
                    src, PlainValue(src.value()), attachFolder, relativePath, QStringLiteral("%1.%2").arg(base, ext));
            }
        } else if (name == QLatin1String("object")) {
            CreateFolder(attachFolder);
            if (const pugi::xml_attribute attachment = e.attribute("data-attachment")) {
                const QString file = PlainValue(attachment.value());
                pugi::xml_attribute data = e.attribute("data");
                if (!data)
                    data = e.append_attribute("data");
                DownloadInto(data, PlainValue(data.value()), attachFolder, relativePath, file);
                pugi::xml_node a = e.append_child("a");
                a.append_attribute("href").set_value(
                    Utf8(RelativeReference(relativePath, SafePathComponent(file))).constData());
                a.text().set(Utf8(file).constData());
            }
        }
        DownloadPageAttachments_Recurse(e, attachFolder, relativePath);
    }
}

void MLocalHtmlConverter::DownloadInto(pugi::xml_attribute reference, const QString& url, const QString& attachFolder,
    const QString& relativePath, const QString& file)
{
    // The name comes from the page: it must stay one file inside the attachment folder.
    const QString safeFile = SafePathComponent(file);
    if (!m_Downloader || !m_Downloader(url, QDir(attachFolder).filePath(safeFile)))
        ++m_DownloadsFailed;
    // The page refers to the local file whether or not the download succeeded.
    reference.set_value(Utf8(RelativeReference(relativePath, safeFile)).constData());
}

void MLocalHtmlConverter::InsertZephPageTitleDateTime(pugi::xml_node root, const QString& fileName)
{
    const pugi::xml_node titleElement = FirstElementNamed(root.parent() ? root.parent() : root, "title");
    QString title = titleElement ? XmlText(titleElement.text().get()) : fileName;
    // The document is still protected: a no-break space written here as the character would come
    // out as "&", so it is written as the entity.
    const QString shown = title.isEmpty() ? QStringLiteral("\u00A0nbsp;") : title;
    if (title.isEmpty())
        title = QStringLiteral(" ");

    pugi::xml_node body = FirstElementNamed(root.parent() ? root.parent() : root, "body");
    if (!body)
        return;
    pugi::xml_node titleDiv = body.prepend_child("div");
    titleDiv.append_attribute("id").set_value("zephtitle");
    titleDiv.append_attribute("style").set_value(
        "font-size:24px;position:absolute;left:48px;top:26px;width:576px;border-bottom:solid 1px #ccc;");
    titleDiv.text().set(Utf8(shown).constData());

    const int top = title.size() * 24 <= 576 ? 70 : 94;
    pugi::xml_node dateDiv = body.insert_child_after("div", titleDiv);
    dateDiv.append_attribute("id").set_value("zephdatetime");
    dateDiv.append_attribute("style").set_value(
        Utf8(QStringLiteral("font-size:8pt;position:absolute;left:48px;top:%1px;color:gray").arg(top)).constData());
    dateDiv.text().set(Utf8(GetPageDateTime(root)).constData());
}

QString MLocalHtmlConverter::GetPageDateTime(const pugi::xml_node& node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (LowerName(child) == QLatin1String("meta")) {
            const QString date = GetPageDateTimeFromMeta(child);
            if (!date.isEmpty())
                return date;
        }
        const QString date = GetPageDateTime(child);
        if (!date.isEmpty())
            return date;
    }
    return QString();
}
