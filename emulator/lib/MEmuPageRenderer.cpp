#include "MEmuPageRenderer.h"

#include "MEmuState.h"

#include <QSet>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <memory>

namespace {

using DocPtr = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

QString Name(const xmlNode* node)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(node->name)).toLower();
}

QString Attribute(const xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (!value)
        return QString();
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

QString TextOf(const xmlNode* node)
{
    xmlChar* value = xmlNodeGetContent(node);
    QString text = value ? QString::fromUtf8(reinterpret_cast<const char*>(value)) : QString();
    xmlFree(value);
    return text;
}

const xmlNode* FindElement(const xmlNode* node, const char* name)
{
    for (const xmlNode* n = node; n; n = n->next) {
        if (n->type == XML_ELEMENT_NODE && Name(n) == QLatin1String(name))
            return n;
        if (const xmlNode* found = FindElement(n->children, name))
            return found;
    }
    return nullptr;
}

const QSet<QString>& VoidElements()
{
    static const QSet<QString> names {QStringLiteral("img"), QStringLiteral("br"), QStringLiteral("hr"),
        QStringLiteral("input"), QStringLiteral("meta"), QStringLiteral("object"), QStringLiteral("col")};
    return names;
}

// The elements the service gives ids of their own.
bool GetsId(const QString& name)
{
    static const QSet<QString> names {QStringLiteral("p"), QStringLiteral("h1"), QStringLiteral("h2"),
        QStringLiteral("h3"), QStringLiteral("h4"), QStringLiteral("h5"), QStringLiteral("h6"), QStringLiteral("li"),
        QStringLiteral("table"), QStringLiteral("img"), QStringLiteral("object"), QStringLiteral("div"),
        QStringLiteral("cite")};
    return names.contains(name);
}

class Renderer
{
public:
    // A page is rendered whole with a GUID of its own; a fragment (the content of a change to a page)
    // continues the page's ids, so that an element's id stays unique on the page.
    enum Mode { WholePage, Fragment };

    Renderer(MEmuState& state, MEmuPage& page, const std::map<QString, MEmuPart>& parts, Mode mode)
        : m_State(state)
        , m_Page(page)
        , m_Parts(parts)
        , m_Mode(mode)
    {
        if (mode == WholePage || m_Page.guid.isEmpty())
            m_Page.guid = state.NewGuid().toLower();
        m_Guid = m_Page.guid;
    }

    std::optional<MEmuError> Children(const xmlNode* parent, QByteArray& out)
    {
        for (const xmlNode* n = parent ? parent->children : nullptr; n; n = n->next)
            if (auto error = Node(n, out, 0))
                return error;
        return m_Error;
    }

    std::optional<MEmuError> Body(const xmlNode* body, QByteArray& out)
    {
        const xmlNode* only = SingleDefaultOutline(body);
        const QString defaultId = NextId(QStringLiteral("div"));
        out += "\t\t<div id=\"" + defaultId.toUtf8()
            + "\" data-id=\"_default\" style=\"position:absolute;left:48px;top:120px;width:624px\">\n";
        for (const xmlNode* n = only ? only->children : (body ? body->children : nullptr); n; n = n->next)
            if (auto error = Node(n, out, 3))
                return error;
        out += "\t\t</div>\n";
        return m_Error;
    }

private:
    // A page exported from the service and posted again already holds its default outline.
    static const xmlNode* SingleDefaultOutline(const xmlNode* body)
    {
        const xmlNode* found = nullptr;
        for (const xmlNode* n = body ? body->children : nullptr; n; n = n->next) {
            if (n->type == XML_TEXT_NODE && TextOf(n).trimmed().isEmpty())
                continue;
            if (found || n->type != XML_ELEMENT_NODE || Name(n) != QLatin1String("div")
                || Attribute(n, "data-id") != QLatin1String("_default"))
                return nullptr;
            found = n;
        }
        return found;
    }

    QString NextId(const QString& kind) { return QStringLiteral("%1:%2{%3}").arg(kind, m_Guid).arg(++m_Page.serial); }

    std::optional<MEmuError> Node(const xmlNode* n, QByteArray& out, int depth)
    {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
            out += EscapeXhtmlText(TextOf(n), false);
            return std::nullopt;
        }
        if (n->type == XML_ENTITY_REF_NODE) {
            out += '&' + QByteArray(reinterpret_cast<const char*>(n->name)) + ';';
            return std::nullopt;
        }
        if (n->type != XML_ELEMENT_NODE)
            return std::nullopt; // comments and processing instructions are not kept
        const QString name = Name(n);
        if (name == QLatin1String("script") || name == QLatin1String("style") || name == QLatin1String("meta"))
            return std::nullopt;
        std::vector<std::pair<QString, QString>> attributes;
        if (GetsId(name))
            attributes.emplace_back(QStringLiteral("id"), NextId(name));
        if (name == QLatin1String("img")) {
            if (auto error = ImageAttributes(n, attributes))
                return error;
        } else if (name == QLatin1String("object")) {
            if (auto error = ObjectAttributes(n, attributes))
                return error;
        } else {
            CopyAttributes(n, attributes, {});
        }
        out += '<' + name.toUtf8();
        for (const auto& [key, value] : attributes)
            out += ' ' + key.toUtf8() + "=\"" + EscapeXhtmlText(value, true) + '"';
        if (VoidElements().contains(name)) {
            out += " />";
            return std::nullopt;
        }
        out += '>';
        for (const xmlNode* c = n->children; c; c = c->next)
            if (auto error = Node(c, out, depth + 1))
                return error;
        out += "</" + name.toUtf8() + '>';
        return std::nullopt;
    }

    // Input ids are the caller's: page creation keeps them as data-id; a change to a page drops them,
    // as the documentation of page updates says ("The API discards all id values that are defined in
    // the input HTML").
    void CopyAttributes(
        const xmlNode* n, std::vector<std::pair<QString, QString>>& out, const QSet<QString>& skip) const
    {
        for (const xmlAttr* a = n->properties; a; a = a->next) {
            QString key = QString::fromUtf8(reinterpret_cast<const char*>(a->name)).toLower();
            if (skip.contains(key))
                continue;
            const QString value = Attribute(n, reinterpret_cast<const char*>(a->name));
            if (key == QLatin1String("id")) {
                if (m_Mode == WholePage && Attribute(n, "data-id").isEmpty())
                    out.emplace_back(QStringLiteral("data-id"), value);
                continue;
            }
            out.emplace_back(key, value);
        }
    }

    // A "name:part" or data: address as a stored resource; absent (and m_Error set) when it names no part.
    std::optional<MEmuResource*> Resource(const QString& address, const QString& fallbackMime)
    {
        if (address.startsWith(QLatin1String("name:"))) {
            auto part = m_Parts.find(address.mid(5));
            if (part == m_Parts.end()) {
                // The documentation gives no code for a reference to a part the request lacks; 20008
                // ("the request is malformed") is the nearest documented one.
                m_Error = MEmuError {400, QStringLiteral("20008"),
                    QStringLiteral("The Presentation part refers to a part that is not in the request: %1")
                        .arg(address)};
                return std::nullopt;
            }
            const QString mime = part->second.contentType.isEmpty() ? fallbackMime : part->second.contentType;
            return &m_State.AddResource(mime, part->second.bytes);
        }
        if (address.startsWith(QLatin1String("data:"))) {
            const qsizetype comma = address.indexOf(QLatin1Char(','));
            const QString meta = address.mid(5, comma - 5);
            const QString mime = meta.section(QLatin1Char(';'), 0, 0);
            const QByteArray bytes = QByteArray::fromBase64(address.mid(comma + 1).toLatin1());
            return &m_State.AddResource(mime.isEmpty() ? fallbackMime : mime, bytes);
        }
        return nullptr; // an outside address is kept as it is
    }

    std::optional<MEmuError> ImageAttributes(const xmlNode* n, std::vector<std::pair<QString, QString>>& out)
    {
        const QString src = Attribute(n, "src");
        const std::optional<MEmuResource*> resource = Resource(src, QStringLiteral("image/png"));
        if (!resource)
            return m_Error;
        for (const char* key : {"width", "height", "alt"})
            if (const QString v = Attribute(n, key); !v.isEmpty())
                out.emplace_back(QString::fromLatin1(key), v);
        if (*resource) {
            const QString url = QStringLiteral("{{base}}/resources/%1/$value").arg((*resource)->id);
            out.emplace_back(QStringLiteral("src"), url);
            out.emplace_back(QStringLiteral("data-src-type"), (*resource)->mime);
            out.emplace_back(QStringLiteral("data-fullres-src"), url);
            out.emplace_back(QStringLiteral("data-fullres-src-type"), (*resource)->mime);
        } else {
            out.emplace_back(QStringLiteral("src"), src);
        }
        CopyAttributes(n, out,
            {QStringLiteral("src"), QStringLiteral("width"), QStringLiteral("height"), QStringLiteral("alt"),
                QStringLiteral("data-src-type"), QStringLiteral("data-fullres-src"),
                QStringLiteral("data-fullres-src-type")});
        return std::nullopt;
    }

    std::optional<MEmuError> ObjectAttributes(const xmlNode* n, std::vector<std::pair<QString, QString>>& out)
    {
        const QString data = Attribute(n, "data");
        QString type = Attribute(n, "type");
        const std::optional<MEmuResource*> resource
            = Resource(data, type.isEmpty() ? QStringLiteral("application/octet-stream") : type);
        if (!resource)
            return m_Error;
        if (type.isEmpty() && *resource)
            type = (*resource)->mime;
        out.emplace_back(QStringLiteral("data-attachment"), Attribute(n, "data-attachment"));
        out.emplace_back(QStringLiteral("type"), type);
        out.emplace_back(QStringLiteral("data"),
            *resource ? QStringLiteral("{{base}}/resources/%1/$value").arg((*resource)->id) : data);
        CopyAttributes(n, out, {QStringLiteral("data"), QStringLiteral("type"), QStringLiteral("data-attachment")});
        return std::nullopt;
    }

    MEmuState& m_State;
    MEmuPage& m_Page;
    const std::map<QString, MEmuPart>& m_Parts;
    Mode m_Mode;
    QString m_Guid;
    std::optional<MEmuError> m_Error;
};

// The created meta as the service writes it, "2015-07-22T09:00:00.0000000", in UTC.
QByteArray CreatedText(const QDateTime& created)
{
    return created.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.0000000")).toUtf8();
}

QDateTime ParseCreated(const QString& text)
{
    QDateTime created = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!created.isValid())
        created = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    return created;
}

QByteArray Head(const MEmuPage& page)
{
    QByteArray out = "<html lang=\"en-US\">\n\t<head>\n\t\t<title>" + EscapeXhtmlText(page.title, false)
        + "</title>\n\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
          "\t\t<meta name=\"created\" content=\""
        + CreatedText(page.created) + "\" />\n\t</head>\n";
    return out;
}

} // namespace

QByteArray EscapeXhtmlText(const QString& text, bool inAttribute)
{
    QByteArray out;
    out.reserve(text.size());
    qsizetype plainStart = 0;
    auto flush = [&](qsizetype end) {
        if (end > plainStart)
            out += QStringView(text).mid(plainStart, end - plainStart).toUtf8();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const char* entity = nullptr;
        switch (c) {
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case 0xA0:
            entity = "&nbsp;";
            break;
        case '"':
            if (inAttribute)
                entity = "&quot;";
            break;
        default:
            break;
        }
        if (!entity)
            continue;
        flush(i);
        out += entity;
        plainStart = i + 1;
    }
    flush(text.size());
    return out;
}

std::optional<MEmuError> RenderPage(
    MEmuState& state, MEmuPage& page, const QByteArray& inputHtml, const std::map<QString, MEmuPart>& parts)
{
    if (inputHtml.trimmed().isEmpty())
        return MEmuError {400, QStringLiteral("20003"), QStringLiteral("The page HTML is empty.")};
    DocPtr doc(htmlReadMemory(inputHtml.constData(), int(inputHtml.size()), nullptr, "UTF-8",
                   HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET),
        &xmlFreeDoc);
    if (!doc)
        return MEmuError {400, QStringLiteral("20008"), QStringLiteral("The page HTML could not be read.")};
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    const xmlNode* title = FindElement(root, "title");
    page.title = title ? TextOf(title).trimmed() : QString();
    for (const xmlNode* meta = FindElement(root, "head") ? FindElement(root, "head")->children : nullptr; meta;
         meta = meta->next)
        if (meta->type == XML_ELEMENT_NODE && Name(meta) == QLatin1String("meta")
            && Attribute(meta, "name") == QLatin1String("created")) {
            const QDateTime created = ParseCreated(Attribute(meta, "content"));
            if (created.isValid())
                page.created = created;
        }
    Renderer renderer(state, page, parts, Renderer::WholePage);
    QByteArray body;
    if (auto error = renderer.Body(FindElement(root, "body"), body))
        return error;
    page.html = Head(page) + "\t<body data-absolute-enabled=\"true\" style=\"font-family:Calibri;font-size:11pt\">\n"
        + body + "\t</body>\n</html>\n";
    return std::nullopt;
}

std::optional<MEmuError> RenderFragment(MEmuState& state, MEmuPage& page, const QByteArray& inputHtml,
    const std::map<QString, MEmuPart>& parts, QByteArray& out)
{
    if (inputHtml.trimmed().isEmpty())
        return std::nullopt;
    // libxml2 puts a fragment into html and body elements of its own.
    DocPtr doc(htmlReadMemory(inputHtml.constData(), int(inputHtml.size()), nullptr, "UTF-8",
                   HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET),
        &xmlFreeDoc);
    if (!doc)
        return MEmuError {400, QStringLiteral("20121"), QStringLiteral("The content of a change could not be read.")};
    Renderer renderer(state, page, parts, Renderer::Fragment);
    return renderer.Children(FindElement(xmlDocGetRootElement(doc.get()), "body"), out);
}

void ReplaceRenderedTitle(MEmuPage& page, const QString& title)
{
    const qsizetype start = page.html.indexOf("<title>");
    const qsizetype end = page.html.indexOf("</title>");
    if (start < 0 || end < start)
        return;
    page.title = title;
    page.html.replace(start + 7, end - start - 7, EscapeXhtmlText(title, false));
}
