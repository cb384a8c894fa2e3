#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <functional>
#include <optional>

// Finding and mending one note of an ENEX file whose XML breaks. The reader parses the file as a
// stream; when the parser gives up, these functions look at the raw bytes from the last place the
// parser left cleanly: where the next note starts, where it ends (its end tag, or failing that the
// next note's start), and the note's bytes again with the faults exporters are known to write
// mended. Only the bytes of one note are ever looked at, a block at a time.

// A place in the file: the byte offset, and the line and column a parser names for it (columns
// count characters, from 1).
struct MEnexPosition
{
    qint64 offset = 0;
    qint64 line = 1;
    qint64 column = 1;
};

// True when the place at `line` and `column` lies before `b`.
bool IsBefore(qint64 line, qint64 column, const MEnexPosition& b);

// The start tag of the next note element at or after `from`, outside CDATA sections; nothing when
// the file holds no further note.
std::optional<MEnexPosition> FindNoteStart(QFile& file, const MEnexPosition& from);

// Where the note starting at `start` ends: just after its end tag; when that is missing, before the
// next note's start tag or the root's end tag (`rootName`), or at the end of the file. CDATA
// sections inside the content element nest, as Evernote writes them.
MEnexPosition FindNoteEnd(QFile& file, const MEnexPosition& start, QByteArrayView rootName);

// Hands the bytes from `start` to `end` to `sink` in blocks: as they are, or repaired. Repairs: an
// "&" that starts no reference becomes "&amp;"; control characters XML forbids are dropped, raw or
// as character references; a CDATA section nested inside the content element's CDATA stays text of
// the content. False when the file cannot be read.
bool CopyNoteBytes(QFile& file, const MEnexPosition& start, qint64 end, bool repair,
    const std::function<void(const char* data, qsizetype size)>& sink);
