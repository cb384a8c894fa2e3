#include "MEnexReader.h"

#include "EnexRecovery.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <deque>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

namespace {

// Huge: resources of tens of megabytes are one text node each, past libxml2's default limits.
// No network: an ENEX file's document type line names a web address, which is never fetched.
constexpr int kParserOptions = XML_PARSE_HUGE | XML_PARSE_NONET;
// Large chunks keep the push parser's per-chunk look-back cheap next to the parsing itself.
constexpr qint64 kChunkBytes = 1 << 18;
// A prolog longer than this (a document type with a large internal subset) is not repeated before
// a parser that starts in the middle of the file; the root's start tag alone is.
constexpr qint64 kMaxPrologBytes = 1 << 20;

// Where the text of the element being read goes: the element's whole text content, nested
// elements' text included, so the target stays until its element closes.
struct MCapture
{
    QByteArray* target = nullptr;
    int depth = 0; // depth of the element whose text it is
};

// What the reader has to hand out next; Note and Skipped steps hand out the next of the notes.
struct MEvent
{
    MEnexReader::Step step = MEnexReader::Step::Note;
    MEnexProblem problem;
};

// A title is one line: line breaks and tabs become spaces, other control characters go.
QString OneLineTitle(const QString& text)
{
    const auto isControl
        = [](QChar ch) { return ch.unicode() < 0x20 || (ch.unicode() >= 0x7F && ch.unicode() <= 0x9F); };
    if (std::none_of(text.begin(), text.end(), isControl))
        return text;
    QString line;
    line.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t code = ch.unicode();
        if (code == u'\t' || code == u'\n' || code == u'\r')
            line += QLatin1Char(' ');
        else if (code >= 0x20 && (code < 0x7F || code > 0x9F))
            line += ch;
    }
    return line;
}

} // namespace

struct MEnexReader::Impl
{
    QFile file;
    QByteArray chunk;
    xmlParserCtxtPtr parser = nullptr;
    bool collect = true; // false: notes are counted, not read
    bool unreadable = false;
    bool done = false; // the whole file has been read
    QString error;
    std::deque<MEvent> ready;
    std::deque<MEnexNote> readyNotes;
    MEnexProblem problem; // of the last Skipped or Damaged step handed out
    qint64 notes = 0;
    qint64 lastNoteEnd = 0;

    // The current parser's input: the file from `segmentStart` on, behind `prefixBytes` of the
    // file's own prolog when the parser starts after a broken spot, so that it reads the same
    // document. Positions the parser names are turned back into the file's lines and columns.
    MEnexPosition segmentStart;
    qint64 prefixBytes = 0;
    qint64 prefixLines = 0;
    // The first fatal error of the current parser (what stopped it), else its first error.
    std::optional<MEnexProblem> segmentError;
    std::optional<MEnexProblem> segmentFirstError;
    MEnexPosition safe; // just after the last child of the root the parser closed cleanly
    qint64 lastRestart = -1;

    // The document's start, read by the first parser.
    bool rootOpened = false;
    qint64 rootTagAt = 0;
    QByteArray rootName;
    QByteArray prolog;

    // The note being read.
    int depth = 0; // open elements; the root's children are at depth 1 while they open
    bool inNote = false;
    MEnexNote note;
    MEnexResource resource;
    bool inResource = false;
    bool inAttributes = false;
    QByteArray title, content, created, tag, mime, data, fileName, sourceUrl;
    bool seenTitle = false, seenContent = false, seenCreated = false, seenTag = false, titleDone = false;
    bool seenMime = false, seenData = false, seenAttributes = false, seenFileName = false, seenSourceUrl = false;
    MCapture capture;
    // Set while one note is parsed on its own: where it goes instead of the queue.
    MEnexNote* alone = nullptr;
    bool aloneDone = false;

    ~Impl() { FreeParser(); }

    void FreeParser()
    {
        if (!parser)
            return;
        xmlFreeDoc(parser->myDoc);
        xmlFreeParserCtxt(parser);
        parser = nullptr;
    }

    MEnexPosition Translate(qint64 line, qint64 column) const
    {
        const qint64 first = prefixLines + 1;
        MEnexPosition at = segmentStart;
        if (line == first)
            at.column = segmentStart.column + column - 1;
        else if (line > first)
            at = MEnexPosition {0, segmentStart.line + line - first, column};
        return at;
    }

    // libxml2 names other lines in some messages ("tag mismatch: title line 5 and titel"); those
    // are lines of the parser's input too.
    QString TranslateLines(QString message) const
    {
        static const QRegularExpression kLine(QStringLiteral("\\bline (\\d+)"));
        qsizetype from = 0;
        for (QRegularExpressionMatch match = kLine.match(message); match.hasMatch();
             match = kLine.match(message, from)) {
            const QString line = QString::number(Translate(match.captured(1).toLongLong(), 1).line);
            message.replace(match.capturedStart(1), match.capturedLength(1), line);
            from = match.capturedStart(1) + line.size();
        }
        return message;
    }

    MEnexPosition Here() const
    {
        MEnexPosition at = Translate(parser->input->line, parser->input->col);
        at.offset = segmentStart.offset + qint64(xmlByteConsumed(parser)) - prefixBytes;
        return at;
    }

    void Push(MEnexReader::Step step, MEnexNote&& item, const MEnexProblem& where = {})
    {
        if (step == MEnexReader::Step::Note || step == MEnexReader::Step::Skipped)
            readyNotes.push_back(std::move(item));
        ready.push_back(MEvent {step, where});
    }

    void Fail(const QString& text)
    {
        unreadable = true;
        if (error.isEmpty())
            error = text;
        FreeParser();
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
        seenTitle = seenContent = seenCreated = seenTag = titleDone = false;
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

    void StartRoot(const char* name, const xmlChar* prefix)
    {
        if (rootOpened)
            return; // a later parser reading the prolog again
        rootOpened = true;
        rootTagAt = qint64(xmlByteConsumed(parser));
        rootName = prefix ? QByteArray(reinterpret_cast<const char*>(prefix)) + ':' + name : QByteArray(name);
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
        if (capture.target && capture.depth == depth) {
            titleDone = titleDone || capture.target == &title;
            capture = MCapture();
        }
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
        } else if (depth <= 2) {
            // A child of the root, or the root itself, closed: the file is clean up to here.
            const MEnexPosition here = Here();
            if (inNote && depth == 2)
                FinishNote(here.offset);
            safe = here;
        }
        --depth;
    }

    void FillNote(MEnexNote& target)
    {
        target = std::move(note);
        target.title = OneLineTitle(QString::fromUtf8(title));
        target.content = QString::fromUtf8(content);
        if (seenCreated)
            target.created = QString::fromUtf8(created);
        if (seenTag)
            target.firstTag = QString::fromUtf8(tag);
    }

    void FinishNote(qint64 endOffset)
    {
        inNote = false;
        if (alone) {
            FillNote(*alone);
            aloneDone = true;
            return;
        }
        ++notes;
        if (collect) {
            MEnexNote finished;
            FillNote(finished);
            finished.sourceBytes = endOffset - lastNoteEnd;
            Push(MEnexReader::Step::Note, std::move(finished));
        }
        lastNoteEnd = endOffset;
    }

    void Text(const xmlChar* text, int length)
    {
        if (capture.target)
            capture.target->append(reinterpret_cast<const char*>(text), length);
    }

    QByteArray Prolog()
    {
        if (!prolog.isEmpty())
            return prolog;
        if (rootTagAt <= kMaxPrologBytes && file.seek(0)) {
            const QByteArray head = file.read(rootTagAt + 4096);
            const qsizetype end = head.indexOf('>', rootTagAt);
            if (end >= 0)
                prolog = head.left(end + 1);
        }
        if (prolog.isEmpty())
            prolog = '<' + rootName + '>';
        return prolog;
    }

    MEnexProblem SegmentFault(const MEnexProblem& otherwise) const
    {
        return segmentError.value_or(segmentFirstError.value_or(otherwise));
    }

    // A new parser for the file from `at` on; after the first, behind the file's own prolog.
    bool StartParser(const MEnexPosition& at, bool repeatProlog);

    // Reads one more chunk (or the end) into the parser; false once nothing more can come.
    bool Feed()
    {
        if (unreadable || done)
            return false;
        if (chunk.isEmpty())
            chunk.resize(kChunkBytes);
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0) {
            Fail(QStringLiteral("cannot read %1").arg(file.fileName()));
            return true;
        }
        const int result
            = got > 0 ? xmlParseChunk(parser, chunk.constData(), int(got), 0) : xmlParseChunk(parser, nullptr, 0, 1);
        const bool broken = result != 0 || !parser->wellFormed;
        if (!broken && (got > 0 || rootOpened)) {
            done = got == 0;
            return true;
        }
        if (!rootOpened) {
            // No root element: this is no export at all, and nothing in it can be told apart.
            const MEnexProblem fault = SegmentFault(MEnexProblem {1, 1, QStringLiteral("no root element")});
            Fail(QStringLiteral("line %1: %2").arg(fault.line).arg(fault.message));
            return true;
        }
        Recover();
        return true;
    }

    // The parser has given up: pass over the broken spot, or read the note it lies in on its own,
    // and go on after it with a new parser.
    void Recover()
    {
        const MEnexProblem fault
            = SegmentFault(MEnexProblem {Here().line, Here().column, QStringLiteral("the XML is not well-formed")});
        const bool faultInNote = inNote;
        FreeParser();
        const std::optional<MEnexPosition> start = FindNoteStart(file, safe);
        if (!start) {
            Push(MEnexReader::Step::Damaged, MEnexNote(), fault);
            done = true;
            return;
        }
        if (!faultInNote && IsBefore(fault.line, fault.column, *start) && start->offset > lastRestart) {
            Push(MEnexReader::Step::Damaged, MEnexNote(), fault);
            Restart(*start);
            return;
        }
        const MEnexPosition end = FindNoteEnd(file, *start, rootName);
        ReadNoteAlone(*start, end);
        Restart(end);
    }

    void Restart(const MEnexPosition& at)
    {
        lastRestart = at.offset;
        if (at.offset >= file.size()) {
            done = true; // the broken note ran to the end of the file; that was already told
            return;
        }
        if (!StartParser(at, true))
            Fail(QStringLiteral("cannot read %1").arg(file.fileName()));
    }

    // The note between `start` and `end`, read as it is, else mended, else handed out as skipped.
    void ReadNoteAlone(const MEnexPosition& start, const MEnexPosition& end)
    {
        ++notes;
        if (collect) {
            MEnexNote read;
            MEnexProblem fault;
            QString readableTitle;
            const bool ok = ParseNoteAlone(start, end, false, read, &fault, readableTitle)
                || ParseNoteAlone(start, end, true, read, nullptr, readableTitle);
            if (ok) {
                read.sourceBytes = end.offset - lastNoteEnd;
                Push(MEnexReader::Step::Note, std::move(read));
            } else {
                MEnexNote skipped;
                skipped.title = readableTitle;
                Push(MEnexReader::Step::Skipped, std::move(skipped), fault);
            }
        }
        lastNoteEnd = end.offset;
    }

    bool ParseNoteAlone(const MEnexPosition& start, const MEnexPosition& end, bool repair, MEnexNote& read,
        MEnexProblem* fault, QString& readableTitle)
    {
        alone = &read;
        aloneDone = false;
        bool copied = StartParser(start, true);
        if (copied) {
            copied = CopyNoteBytes(file, start, end.offset, repair,
                [this](const char* bytes, qsizetype size) { xmlParseChunk(parser, bytes, int(size), 0); });
            const QByteArray close = "\n</" + rootName + '>';
            xmlParseChunk(parser, close.constData(), int(close.size()), 1);
        }
        if (fault) {
            *fault = SegmentFault(MEnexProblem {start.line, start.column, QStringLiteral("the note cannot be read")});
            // Past its last byte the parser only found the end of what was given: the note is cut off.
            if (!IsBefore(fault->line, fault->column, end))
                *fault = MEnexProblem {end.line, end.column, QStringLiteral("the note ends before its end tag")};
        }
        if (readableTitle.isEmpty() && titleDone)
            readableTitle = OneLineTitle(QString::fromUtf8(title));
        FreeParser();
        alone = nullptr;
        return copied && aloneDone;
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
    const char* name = reinterpret_cast<const char*>(localName);
    if (self->depth == 0)
        self->StartRoot(name, prefix);
    // Names are compared as written, prefix included: "x:note" is not a note.
    else if (self->depth == 1 && !prefix && xmlStrEqual(localName, BAD_CAST "note"))
        self->StartNote();
    // A prefixed name never matches the plain element names the import reads.
    self->StartElement(prefix ? "" : name);
}

void OnEndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    Self(context)->EndElement();
}

void OnCharacters(void* context, const xmlChar* text, int length)
{
    // The push parser may hand one text or CDATA section over in several blocks.
    Self(context)->Text(text, length);
}

// An entity the file's unread document type may declare: the parser only warns and goes on, and
// the reference stays in the text as written instead of vanishing.
void OnReference(void* context, const xmlChar* name)
{
    const QByteArray text = "&" + QByteArray(reinterpret_cast<const char*>(name)) + ";";
    Self(context)->Text(reinterpret_cast<const xmlChar*>(text.constData()), int(text.size()));
}

void OnError(void* context, xmlErrorPtr error)
{
    // Warnings and plain errors (an undeclared entity, say) do not stop the parser; a fatal error
    // does, and the first one is the useful one.
    MEnexReader::Impl* self = Self(context);
    if (!error || error->level < XML_ERR_ERROR)
        return;
    const MEnexPosition at = self->Translate(error->line, error->int2);
    const QString message
        = self->TranslateLines(error->message ? QString::fromUtf8(error->message).trimmed() : QString());
    if (!self->segmentFirstError)
        self->segmentFirstError = MEnexProblem {at.line, at.column, message};
    if (error->level >= XML_ERR_FATAL && !self->segmentError)
        self->segmentError = MEnexProblem {at.line, at.column, message};
}

xmlSAXHandler Handler()
{
    xmlSAXHandler handler {};
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = OnStartElement;
    handler.endElementNs = OnEndElement;
    handler.characters = OnCharacters;
    handler.ignorableWhitespace = OnCharacters;
    handler.cdataBlock = OnCharacters;
    handler.reference = OnReference;
    handler.serror = OnError;
    return handler;
}

} // namespace

bool MEnexReader::Impl::StartParser(const MEnexPosition& at, bool repeatProlog)
{
    FreeParser();
    depth = 0;
    inNote = inResource = inAttributes = titleDone = false;
    capture = MCapture();
    segmentError.reset();
    segmentFirstError.reset();
    const QByteArray prefix = repeatProlog ? Prolog() + '\n' : QByteArray();
    xmlSAXHandler handler = Handler();
    parser = xmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr);
    if (!parser)
        return false;
    xmlCtxtUseOptions(parser, kParserOptions);
    segmentStart = at;
    safe = at;
    prefixBytes = prefix.size();
    prefixLines = prefix.count('\n');
    if (!prefix.isEmpty())
        xmlParseChunk(parser, prefix.constData(), int(prefix.size()), 0);
    return file.seek(at.offset);
}

MEnexReader::MEnexReader(const QString& path)
    : m(std::make_unique<Impl>())
{
    m->file.setFileName(path);
    if (path.isEmpty() || !m->file.open(QIODevice::ReadOnly)) {
        m->Fail(QStringLiteral("cannot open %1").arg(path));
        return;
    }
    if (!m->StartParser(MEnexPosition(), false))
        m->Fail(QStringLiteral("cannot read %1").arg(path));
}

MEnexReader::~MEnexReader() = default;

MEnexReader::Step MEnexReader::NextNote(MEnexNote& note)
{
    m->collect = true;
    while (m->ready.empty() && m->Feed()) { }
    if (m->ready.empty())
        return m->unreadable ? Step::Error : Step::End;
    const MEvent event = m->ready.front();
    m->ready.pop_front();
    if (event.step == Step::Note || event.step == Step::Skipped) {
        note = std::move(m->readyNotes.front());
        m->readyNotes.pop_front();
    }
    m->problem = event.problem;
    return event.step;
}

MEnexReader::Step MEnexReader::SkipToEnd()
{
    m->collect = false;
    m->ready.clear();
    m->readyNotes.clear();
    while (m->Feed()) { }
    m->ready.clear();
    m->readyNotes.clear();
    return m->unreadable ? Step::Error : Step::End;
}

qint64 MEnexReader::NoteCount() const
{
    return m->notes;
}

MEnexProblem MEnexReader::Problem() const
{
    return m->problem;
}

QString MEnexReader::ErrorText() const
{
    return m->error;
}

std::optional<qint64> CountEnexNotes(const QString& path)
{
    MEnexReader reader(path);
    if (reader.SkipToEnd() != MEnexReader::Step::End)
        return std::nullopt;
    return reader.NoteCount();
}
