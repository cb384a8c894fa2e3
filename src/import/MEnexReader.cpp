#include "MEnexReader.h"

#include <QFile>
#include <libxml/xmlreader.h>

namespace {

// Huge: resources of tens of megabytes are one text node each, past libxml2's default limit.
// No network, no external DTD: an ENEX file's document type line names a web address.
constexpr int kReaderOptions = XML_PARSE_HUGE | XML_PARSE_NONET;

bool IsNamed(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, BAD_CAST name);
}

const xmlNode* GetXmlChildElement(const xmlNode* element, const char* name)
{
    for (const xmlNode* child = element ? element->children : nullptr; child; child = child->next) {
        if (IsNamed(child, name))
            return child;
    }
    return nullptr;
}

// The whole text content (text and CDATA below the node, in order), as UTF-8 bytes. Walks the
// nodes itself rather than asking libxml2 for a copy, which would copy megabytes of Base64 twice.
void AppendText(const xmlNode* node, QByteArray& out)
{
    for (const xmlNode* child = node->children; child; child = child->next) {
        switch (child->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            if (child->content)
                out.append(reinterpret_cast<const char*>(child->content));
            break;
        case XML_ELEMENT_NODE:
            AppendText(child, out);
            break;
        case XML_ENTITY_REF_NODE: {
            xmlChar* text = xmlNodeGetContent(child);
            if (text)
                out.append(reinterpret_cast<const char*>(text));
            xmlFree(text);
            break;
        }
        default:
            break;
        }
    }
}

QByteArray TextBytes(const xmlNode* node)
{
    QByteArray out;
    if (node)
        AppendText(node, out);
    return out;
}

QString Text(const xmlNode* node)
{
    return QString::fromUtf8(TextBytes(node));
}

std::optional<QString> OptionalText(const xmlNode* node)
{
    if (!node)
        return std::nullopt;
    return Text(node);
}

MEnexResource ReadResource(const xmlNode* element)
{
    MEnexResource resource;
    resource.mime = Text(GetXmlChildElement(element, "mime"));
    resource.data = TextBytes(GetXmlChildElement(element, "data"));
    if (const xmlNode* attributes = GetXmlChildElement(element, "resource-attributes")) {
        resource.hasAttributes = true;
        resource.fileName = OptionalText(GetXmlChildElement(attributes, "file-name"));
        resource.sourceUrl = OptionalText(GetXmlChildElement(attributes, "source-url"));
    }
    return resource;
}

void ReadNote(const xmlNode* element, MEnexNote& note)
{
    note = MEnexNote();
    note.title = Text(GetXmlChildElement(element, "title"));
    note.content = Text(GetXmlChildElement(element, "content"));
    note.created = OptionalText(GetXmlChildElement(element, "created"));
    note.firstTag = OptionalText(GetXmlChildElement(element, "tag"));
    for (const xmlNode* child = element->children; child; child = child->next) {
        if (IsNamed(child, "resource"))
            note.resources.append(ReadResource(child));
    }
}

void CollectError(void* arg, const char* message, xmlParserSeverities severity, xmlTextReaderLocatorPtr)
{
    // Warnings (an unknown entity in a DTD-less file, say) do not stop the reader; errors do, and
    // the first one is the useful one.
    auto* error = static_cast<QString*>(arg);
    if (severity >= XML_PARSER_SEVERITY_ERROR && error->isEmpty() && message)
        *error = QString::fromUtf8(message).trimmed();
}

} // namespace

struct MEnexReader::Impl
{
    enum class State { BeforeRoot, InRoot, AfterRoot, Done, Failed };

    xmlTextReaderPtr reader = nullptr;
    State state = State::BeforeRoot;
    bool positioned = false; // the reader already stands on a node not yet looked at
    qint64 lastConsumed = 0;

    ~Impl()
    {
        if (reader)
            xmlFreeTextReader(reader);
    }
};

MEnexReader::MEnexReader(const QString& path)
    : m(std::make_unique<Impl>())
{
    const QByteArray file = QFile::encodeName(path);
    if (path.isEmpty() || !QFile::exists(path)) {
        m->state = Impl::State::Failed;
        m_Error = QStringLiteral("cannot open %1").arg(path);
        return;
    }
    m->reader = xmlReaderForFile(file.constData(), nullptr, kReaderOptions);
    if (!m->reader) {
        m->state = Impl::State::Failed;
        m_Error = QStringLiteral("cannot open %1").arg(path);
        return;
    }
    xmlTextReaderSetErrorHandler(m->reader, CollectError, &m_Error);
}

MEnexReader::~MEnexReader() = default;

qint64 MEnexReader::BytesConsumed() const
{
    if (!m->reader)
        return 0;
    const long consumed = xmlTextReaderByteConsumed(m->reader);
    return consumed < 0 ? 0 : consumed;
}

MEnexReader::Step MEnexReader::Fail()
{
    m->state = Impl::State::Failed;
    if (m_Error.isEmpty())
        m_Error = QStringLiteral("not a well-formed ENEX file");
    return Step::Error;
}

bool MEnexReader::Advance()
{
    if (m->positioned) {
        m->positioned = false;
        return true;
    }
    return xmlTextReaderRead(m->reader) == 1;
}

bool MEnexReader::EnterRoot()
{
    while (xmlTextReaderRead(m->reader) == 1) {
        if (xmlTextReaderNodeType(m->reader) == XML_READER_TYPE_ELEMENT) {
            m->state = xmlTextReaderIsEmptyElement(m->reader) ? Impl::State::AfterRoot : Impl::State::InRoot;
            return true;
        }
    }
    return false;
}

MEnexReader::Step MEnexReader::NextNote(MEnexNote& note)
{
    return Walk(&note);
}

MEnexReader::Step MEnexReader::SkipToEnd()
{
    return Walk(nullptr);
}

MEnexReader::Step MEnexReader::Walk(MEnexNote* note)
{
    if (m->state == Impl::State::Failed)
        return Step::Error;
    if (m->state == Impl::State::Done)
        return Step::End;
    if (m->state == Impl::State::BeforeRoot && !EnterRoot())
        return Fail();

    while (m->state == Impl::State::InRoot) {
        if (!Advance())
            return Fail(); // the file ended (or broke) inside the root element
        const int type = xmlTextReaderNodeType(m->reader);
        const int depth = xmlTextReaderDepth(m->reader);
        if (depth == 0 && type == XML_READER_TYPE_END_ELEMENT) {
            m->state = Impl::State::AfterRoot;
            break;
        }
        if (depth != 1 || type == XML_READER_TYPE_END_ELEMENT)
            continue;
        ++m_RootChildren;
        if (type != XML_READER_TYPE_ELEMENT)
            continue;

        const bool isNote = note && xmlStrEqual(xmlTextReaderConstName(m->reader), BAD_CAST "note");
        if (isNote) {
            const xmlNode* element = xmlTextReaderExpand(m->reader);
            if (!element)
                return Fail();
            ReadNote(element, *note);
        }
        // Past the element's subtree, so that the nodes just read can be freed.
        const int next = xmlTextReaderNext(m->reader);
        if (next != 1)
            return Fail();
        m->positioned = true;
        if (isNote) {
            const qint64 consumed = BytesConsumed();
            note->sourceBytes = consumed - m->lastConsumed;
            m->lastConsumed = consumed;
            return Step::Note;
        }
    }

    // After the root: only comments, processing instructions and white space may follow, and the
    // file must end well-formed for the whole of it to count as read.
    int result = 1;
    while ((result = xmlTextReaderRead(m->reader)) == 1) { }
    if (result < 0)
        return Fail();
    m->state = Impl::State::Done;
    return Step::End;
}

std::optional<qint64> CountEnexRootChildren(const QString& path)
{
    MEnexReader reader(path);
    if (reader.SkipToEnd() != MEnexReader::Step::End)
        return std::nullopt;
    return reader.RootChildCount();
}
