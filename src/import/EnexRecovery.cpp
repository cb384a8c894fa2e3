#include "EnexRecovery.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr qint64 kBlockBytes = 1 << 18;
const QByteArrayView kCDataOpen = "<![CDATA[";
const QByteArrayView kCDataClose = "]]>";
// An inner section's end written so that the outer section goes on: "]]" ends one section, the
// next opens and starts with ">".
const QByteArrayView kCDataInnerClose = "]]]]><![CDATA[>";

// The file read forward from a known place, with the line and column kept and a short look-ahead.
class MByteSource
{
public:
    MByteSource(QFile& file, const MEnexPosition& from)
        : m_File(file)
        , m_Position(from)
    {
        m_Ok = m_File.seek(from.offset);
    }

    bool Ok() const { return m_Ok; }
    const MEnexPosition& Position() const { return m_Position; }

    // The byte `ahead` places on, or -1 past the end of the file.
    int Peek(qint64 ahead = 0)
    {
        if (m_At + ahead >= m_Buffer.size() && !Fill(ahead + 1))
            return -1;
        return static_cast<unsigned char>(m_Buffer.at(m_At + ahead));
    }

    bool AtEnd() { return Peek() < 0; }

    bool StartsWith(QByteArrayView text)
    {
        if (Peek(text.size() - 1) < 0)
            return false;
        return std::memcmp(m_Buffer.constData() + m_At, text.data(), size_t(text.size())) == 0;
    }

    // A tag of that name starts here: "<name" followed by white space, ">" or "/".
    bool StartsWithTag(QByteArrayView open)
    {
        if (!StartsWith(open))
            return false;
        const int next = Peek(open.size());
        return next == ' ' || next == '\t' || next == '\r' || next == '\n' || next == '>' || next == '/';
    }

    void Advance(qint64 count)
    {
        for (; count > 0 && Peek() >= 0; --count) {
            const char byte = m_Buffer.at(m_At++);
            ++m_Position.offset;
            if (byte == '\n') {
                ++m_Position.line;
                m_Position.column = 1;
            } else if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80) {
                ++m_Position.column; // continuation bytes of a UTF-8 character do not count
            }
        }
    }

    // On to the next byte that is one of `bytes`, or to the end of the file.
    void SkipToAny(const char* bytes)
    {
        while (Peek() >= 0) {
            const char* begin = m_Buffer.constData() + m_At;
            const qint64 size = m_Buffer.size() - m_At;
            qint64 stop = size;
            for (const char* wanted = bytes; *wanted; ++wanted) {
                if (const void* hit = std::memchr(begin, *wanted, size_t(stop)))
                    stop = static_cast<const char*>(hit) - begin;
            }
            Advance(stop);
            if (stop < size)
                return;
        }
    }

private:
    bool Fill(qint64 need)
    {
        m_Buffer.remove(0, m_At);
        m_At = 0;
        while (m_Buffer.size() < need) {
            const qsizetype had = m_Buffer.size();
            m_Buffer.resize(had + kBlockBytes);
            const qint64 got = m_File.read(m_Buffer.data() + had, kBlockBytes);
            m_Buffer.resize(had + std::max<qint64>(got, 0));
            if (got <= 0) {
                m_Ok = m_Ok && got == 0;
                return false;
            }
        }
        return true;
    }

    QFile& m_File;
    QByteArray m_Buffer;
    qint64 m_At = 0;
    MEnexPosition m_Position;
    bool m_Ok = true;
};

bool IsForbiddenControl(int byte)
{
    return byte >= 0 && byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

bool IsXmlChar(qint64 value)
{
    return value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF)
        || (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF);
}

bool IsNameStart(int byte)
{
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_' || byte == ':' || byte >= 0x80;
}

bool IsNameChar(int byte)
{
    return IsNameStart(byte) || (byte >= '0' && byte <= '9') || byte == '-' || byte == '.';
}

int DigitValue(int byte, bool hex)
{
    if (byte >= '0' && byte <= '9')
        return byte - '0';
    if (hex && byte >= 'a' && byte <= 'f')
        return byte - 'a' + 10;
    if (hex && byte >= 'A' && byte <= 'F')
        return byte - 'A' + 10;
    return -1;
}

// The reference that starts at the "&" here: its length when it is a well-formed reference to an
// allowed character or a named entity, minus its length when it refers to a character XML forbids,
// 0 when the "&" starts no reference at all.
qint64 ReferenceLength(MByteSource& in)
{
    if (in.Peek(1) == '#') {
        const bool hex = in.Peek(2) == 'x';
        qint64 at = hex ? 3 : 2;
        qint64 value = 0;
        for (int digit = DigitValue(in.Peek(at), hex); digit >= 0 && at < 24; digit = DigitValue(in.Peek(at), hex)) {
            value = std::min<qint64>(value * (hex ? 16 : 10) + digit, 0x7FFFFFFF);
            ++at;
        }
        if (at == (hex ? 3 : 2) || in.Peek(at) != ';')
            return 0;
        return IsXmlChar(value) ? at + 1 : -(at + 1);
    }
    if (!IsNameStart(in.Peek(1)))
        return 0;
    qint64 at = 2;
    while (at < 64 && IsNameChar(in.Peek(at)))
        ++at;
    return in.Peek(at) == ';' ? at + 1 : 0;
}

// What the note scan knows of where it stands: the content element, and how deep in CDATA sections.
struct MMarkupState
{
    bool inContent = false;
    int cdataDepth = 0;

    // Steps over a CDATA marker or a content tag when one is here; false when there is none.
    bool Step(MByteSource& in, bool nestCData)
    {
        if (cdataDepth > 0) {
            if (in.StartsWith(kCDataClose)) {
                --cdataDepth;
                in.Advance(kCDataClose.size());
                return true;
            }
            if (nestCData && inContent && in.StartsWith(kCDataOpen)) {
                ++cdataDepth;
                in.Advance(kCDataOpen.size());
                return true;
            }
            return false;
        }
        if (in.StartsWith(kCDataOpen)) {
            cdataDepth = 1;
            in.Advance(kCDataOpen.size());
            return true;
        }
        if (in.StartsWithTag("<content"))
            inContent = true;
        else if (in.StartsWithTag("</content"))
            inContent = false;
        return false;
    }
};

MEnexPosition ScanNoteEnd(QFile& file, const MEnexPosition& start, QByteArrayView rootName, bool honourCData)
{
    MByteSource in(file, start);
    in.Advance(5); // "<note"
    const QByteArray rootEnd = "</" + rootName.toByteArray();
    MMarkupState state;
    while (!in.AtEnd()) {
        if (honourCData && state.cdataDepth > 0) {
            if (!state.Step(in, true)) {
                in.Advance(1);
                in.SkipToAny("<]");
            }
            continue;
        }
        if (in.Peek() != '<') {
            in.SkipToAny("<");
            continue;
        }
        if (honourCData && state.Step(in, true))
            continue;
        if (in.StartsWithTag("</note")) {
            in.SkipToAny(">");
            in.Advance(1);
            return in.Position();
        }
        if (in.StartsWithTag("<note") || in.StartsWithTag(rootEnd))
            return in.Position();
        in.Advance(1);
    }
    // A CDATA section that never ends would swallow every note after it; the note ends where its
    // end tag (or the next note) shows in the raw text instead.
    if (honourCData && state.cdataDepth > 0)
        return ScanNoteEnd(file, start, rootName, false);
    return in.Position();
}

} // namespace

bool IsBefore(qint64 line, qint64 column, const MEnexPosition& b)
{
    return line < b.line || (line == b.line && column < b.column);
}

std::optional<MEnexPosition> FindNoteStart(QFile& file, const MEnexPosition& from)
{
    MByteSource in(file, from);
    MMarkupState state;
    while (!in.AtEnd()) {
        if (state.cdataDepth > 0) {
            if (!state.Step(in, false)) {
                in.Advance(1);
                in.SkipToAny("]");
            }
            continue;
        }
        if (in.Peek() != '<') {
            in.SkipToAny("<");
            continue;
        }
        if (state.Step(in, false))
            continue;
        if (in.StartsWithTag("<note"))
            return in.Position();
        in.Advance(1);
    }
    return std::nullopt;
}

MEnexPosition FindNoteEnd(QFile& file, const MEnexPosition& start, QByteArrayView rootName)
{
    return ScanNoteEnd(file, start, rootName, true);
}

bool CopyNoteBytes(QFile& file, const MEnexPosition& start, qint64 end, bool repair,
    const std::function<void(const char*, qsizetype)>& sink)
{
    if (!repair) {
        if (!file.seek(start.offset))
            return false;
        QByteArray block(kBlockBytes, Qt::Uninitialized);
        for (qint64 left = end - start.offset; left > 0;) {
            const qint64 got = file.read(block.data(), std::min<qint64>(left, block.size()));
            if (got <= 0)
                return got == 0;
            sink(block.constData(), got);
            left -= got;
        }
        return true;
    }
    MByteSource in(file, start);
    QByteArray out;
    out.reserve(kBlockBytes + 64);
    auto flush = [&] {
        if (!out.isEmpty())
            sink(out.constData(), out.size());
        out.clear();
    };
    MMarkupState state;
    while (in.Position().offset < end && !in.AtEnd()) {
        if (out.size() >= kBlockBytes)
            flush();
        const int byte = in.Peek();
        if (IsForbiddenControl(byte)) {
            in.Advance(1);
            continue;
        }
        if (state.cdataDepth > 0 && in.StartsWith(kCDataClose)) {
            out.append(state.cdataDepth > 1 ? kCDataInnerClose : kCDataClose);
            state.Step(in, true);
            continue;
        }
        if (state.Step(in, true)) {
            out.append(kCDataOpen); // the only other marker a step passes over
            continue;
        }
        if (byte == '&' && state.cdataDepth == 0) {
            const qint64 length = ReferenceLength(in);
            if (length > 0) {
                for (qint64 i = 0; i < length; ++i)
                    out.append(char(in.Peek(i)));
            } else if (length == 0) {
                out.append("&amp;");
            }
            in.Advance(length == 0 ? 1 : std::abs(length));
            continue;
        }
        out.append(char(byte));
        in.Advance(1);
    }
    flush();
    return in.Ok();
}
