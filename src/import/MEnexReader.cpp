#include "MEnexReader.h"

#include <QFile>
#include <deque>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

namespace {

// Huge: resources of tens of megabytes are one text node each, past libxml2's default limits.
// No network: an ENEX file's document type line names a web address, which is never fetched.
constexpr int kParserOptions = XML_PARSE_HUGE | XML_PARSE_NONET;
// Large chunks keep the push parser's per-chunk look-back cheap next to the parsing itself.
constexpr qint64 kChunkBytes = 1 << 18;

// Where the text of the element being read goes: the element's whole text content, nested
// elements' text included, so the target stays until its element closes.
struct MCapture
{
    QByteArray* target = nullptr;
    int depth = 0; // depth of the element whose text it is
};

} // namespace

struct MEnexReader::Impl
{
    QFile file;
    QByteArray chunk;
    xmlParserCtxtPtr parser = nullptr;
    bool fed = false; // the whole file has gone to the parser
    bool failed = false;
    QString error;
    std::deque<MEnexNote> ready;
    bool collect = true; // false: notes are passed over unread

    // Where the parser stands.
    int depth = 0; // open elements; the root's children are at depth 1 while they open
    bool rootOpened = false;
    qint64 rootChildren = 0;
    enum class Last { Other, Text, CData } last = Last::Other; // the previous node among the root's children

    // The note being read.
    bool inNote = false;
    MEnexNote note;
    MEnexResource resource;
    bool inResource = false;
    bool inAttributes = false;
    QByteArray title, content, created, tag, mime, data, fileName, sourceUrl;
    bool seenTitle = false, seenContent = false, seenCreated = false, seenTag = false;
    bool seenMime = false, seenData = false, seenAttributes = false, seenFileName = false, seenSourceUrl = false;
    MCapture capture;
    qint64 lastConsumed = 0;

    ~Impl()
    {
        if (parser) {
            xmlFreeDoc(parser->myDoc);
            xmlFreeParserCtxt(parser);
        }
    }

    void CountRootChild(Last kind)
    {
        if (depth != 1)
            return;
        if (kind == Last::Other || kind != last)
            ++rootChildren;
        last = kind;
    }

    void Capture(QByteArray& target, bool& seen)
    {
        if (seen)
            return;
        seen = true;
        target.clear();
        capture = MCapture {&target, depth};
    }

    void StartNote()
    {
        inNote = true;
        note = MEnexNote();
        seenTitle = seenContent = seenCreated = seenTag = false;
        title.clear();
        content.clear();
        created.clear();
        tag.clear();
    }

    void StartResource()
    {
        inResource = true;
        resource = MEnexResource();
        seenMime = seenData = seenAttributes = false;
        mime.clear();
        data.clear();
    }

    void StartElement(const char* name)
    {
        ++depth; // the element's own depth: the root is 1, a note 2
        if (!collect || !inNote || capture.target)
            return;
        const QByteArrayView tagName(name);
        if (depth == 3) {
            if (tagName == "title")
                Capture(title, seenTitle);
            else if (tagName == "content")
                Capture(content, seenContent);
            else if (tagName == "created")
                Capture(created, seenCreated);
            else if (tagName == "tag")
                Capture(tag, seenTag);
            else if (tagName == "resource")
                StartResource();
        } else if (depth == 4 && inResource) {
            if (tagName == "mime")
                Capture(mime, seenMime);
            else if (tagName == "data")
                Capture(data, seenData);
            else if (tagName == "resource-attributes" && !seenAttributes) {
                seenAttributes = true;
                inAttributes = true;
                resource.hasAttributes = true;
                seenFileName = seenSourceUrl = false;
                fileName.clear();
                sourceUrl.clear();
            }
        } else if (depth == 5 && inAttributes) {
            if (tagName == "file-name")
                Capture(fileName, seenFileName);
            else if (tagName == "source-url")
                Capture(sourceUrl, seenSourceUrl);
        }
    }

    void EndElement()
    {
        if (capture.target && capture.depth == depth)
            capture = MCapture();
        if (inNote && depth == 5 && inAttributes) {
            // nothing: attribute children end here
        } else if (inNote && depth == 4 && inAttributes) {
            inAttributes = false;
            if (seenFileName)
                resource.fileName = QString::fromUtf8(fileName);
            if (seenSourceUrl)
                resource.sourceUrl = QString::fromUtf8(sourceUrl);
        } else if (inNote && depth == 3 && inResource) {
            inResource = false;
            resource.mime = QString::fromUtf8(mime);
            resource.data = std::move(data);
            data = QByteArray();
            note.resources.append(std::move(resource));
        } else if (inNote && depth == 2) {
            FinishNote();
        }
        --depth;
    }

    void FinishNote()
    {
        inNote = false;
        note.title = QString::fromUtf8(title);
        note.content = QString::fromUtf8(content);
        if (seenCreated)
            note.created = QString::fromUtf8(created);
        if (seenTag)
            note.firstTag = QString::fromUtf8(tag);
        const qint64 consumed = xmlByteConsumed(parser);
        note.sourceBytes = consumed - lastConsumed;
        lastConsumed = consumed;
        ready.push_back(std::move(note));
    }

    void Text(const xmlChar* text, int length)
    {
        if (capture.target)
            capture.target->append(reinterpret_cast<const char*>(text), length);
    }

    // Feeds one more chunk (or the end); false once nothing more can come.
    bool Feed()
    {
        if (failed || fed)
            return false;
        if (chunk.isEmpty())
            chunk.resize(kChunkBytes);
        const qint64 got = file.read(chunk.data(), chunk.size());
        int result = 0;
        if (got > 0) {
            result = xmlParseChunk(parser, chunk.constData(), int(got), 0);
        } else {
            fed = true;
            result = xmlParseChunk(parser, nullptr, 0, 1);
            if (result == 0 && !rootOpened)
                result = -1;
        }
        if (result != 0 || !parser->wellFormed || got < 0) {
            failed = true;
            if (error.isEmpty())
                error = QStringLiteral("not a well-formed ENEX file");
        }
        return true;
    }
};

namespace {

MEnexReader::Impl* Self(void* context)
{
    return static_cast<MEnexReader::Impl*>(context);
}

void OnStartElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar*, int,
    const xmlChar**, int, int, const xmlChar**)
{
    MEnexReader::Impl* self = Self(context);
    if (self->depth == 0) {
        self->rootOpened = true;
    } else {
        self->CountRootChild(MEnexReader::Impl::Last::Other);
        // Names are compared as written, prefix included: "x:note" is not a note.
        if (self->depth == 1 && !prefix && xmlStrEqual(localName, BAD_CAST "note") && self->collect)
            self->StartNote();
    }
    // A prefixed name never matches the plain element names the import reads.
    self->StartElement(prefix ? "" : reinterpret_cast<const char*>(localName));
}

void OnEndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    Self(context)->EndElement();
}

void OnCharacters(void* context, const xmlChar* text, int length)
{
    MEnexReader::Impl* self = Self(context);
    self->CountRootChild(MEnexReader::Impl::Last::Text);
    self->Text(text, length);
}

void OnCData(void* context, const xmlChar* text, int length)
{
    // The push parser may hand one CDATA section over in several blocks.
    MEnexReader::Impl* self = Self(context);
    self->CountRootChild(MEnexReader::Impl::Last::CData);
    self->Text(text, length);
}

void OnOtherNode(void* context)
{
    Self(context)->CountRootChild(MEnexReader::Impl::Last::Other);
}

void OnComment(void* context, const xmlChar*)
{
    OnOtherNode(context);
}

void OnProcessingInstruction(void* context, const xmlChar*, const xmlChar*)
{
    OnOtherNode(context);
}

void OnError(void* context, xmlErrorPtr error)
{
    // Warnings (an entity that the unread DTD may declare, say) do not stop the parser; errors do,
    // and the first one is the useful one.
    MEnexReader::Impl* self = Self(context);
    if (error && error->level >= XML_ERR_ERROR && self->error.isEmpty() && error->message)
        self->error = QStringLiteral("line %1: %2").arg(error->line).arg(QString::fromUtf8(error->message).trimmed());
}

xmlSAXHandler Handler()
{
    xmlSAXHandler handler {};
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = OnStartElement;
    handler.endElementNs = OnEndElement;
    handler.characters = OnCharacters;
    handler.ignorableWhitespace = OnCharacters;
    handler.cdataBlock = OnCData;
    handler.comment = OnComment;
    handler.processingInstruction = OnProcessingInstruction;
    handler.serror = OnError;
    return handler;
}

} // namespace

MEnexReader::MEnexReader(const QString& path)
    : m(std::make_unique<Impl>())
{
    m->file.setFileName(path);
    if (path.isEmpty() || !m->file.open(QIODevice::ReadOnly)) {
        m->failed = true;
        m->error = QStringLiteral("cannot open %1").arg(path);
        return;
    }
    xmlSAXHandler handler = Handler();
    m->parser = xmlCreatePushParserCtxt(&handler, m.get(), nullptr, 0, nullptr);
    if (!m->parser) {
        m->failed = true;
        m->error = QStringLiteral("cannot read %1").arg(path);
        return;
    }
    xmlCtxtUseOptions(m->parser, kParserOptions);
}

MEnexReader::~MEnexReader() = default;

MEnexReader::Step MEnexReader::NextNote(MEnexNote& note)
{
    m->collect = true;
    while (m->ready.empty() && m->Feed()) { }
    if (!m->ready.empty()) {
        note = std::move(m->ready.front());
        m->ready.pop_front();
        return Step::Note;
    }
    return m->failed ? Step::Error : Step::End;
}

MEnexReader::Step MEnexReader::SkipToEnd()
{
    m->collect = false;
    m->ready.clear();
    while (m->Feed()) { }
    return m->failed ? Step::Error : Step::End;
}

qint64 MEnexReader::RootChildCount() const
{
    return m->rootChildren;
}

qint64 MEnexReader::BytesConsumed() const
{
    return m->parser ? qint64(xmlByteConsumed(m->parser)) : 0;
}

QString MEnexReader::ErrorText() const
{
    return m->error;
}

std::optional<qint64> CountEnexRootChildren(const QString& path)
{
    MEnexReader reader(path);
    if (reader.SkipToEnd() != MEnexReader::Step::End)
        return std::nullopt;
    return reader.RootChildCount();
}
