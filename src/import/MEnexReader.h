#pragma once

#include "MEnexNote.h"

#include <QString>
#include <memory>
#include <optional>

// Where an ENEX file breaks and what the parser said about it.
struct MEnexProblem
{
    qint64 line = 0;
    qint64 column = 0;
    QString message;
};

// Reads an ENEX file as a stream, one note at a time, so that exports of several gigabytes import
// in the memory of their largest note. The file is fed to libxml2's push parser in large chunks and
// the few elements a note needs are collected straight from its events; no document tree is built.
//
// Files from the wild are not always well-formed. When the parser gives up, the reader goes back to
// where it last left the file cleanly, reads the note the fault lies in on its own, mends it where a
// known fault can be mended safely, and otherwise passes it over; then a new parser reads on after
// that note. A malformed spot costs at most the note it is in, and every note is counted.
class MEnexReader
{
public:
    enum class Step {
        Note, // a note, read whole
        Skipped, // a note that cannot be read: Problem() says where; the note holds the title if it was readable
        Damaged, // a broken spot outside any note (a cut file, stray bytes between notes): Problem() says where
        End, // the file is read to its end
        Error, // the file cannot be opened, or is no XML with a root element at all (ErrorText())
    };

    explicit MEnexReader(const QString& path);
    ~MEnexReader();
    MEnexReader(const MEnexReader&) = delete;
    MEnexReader& operator=(const MEnexReader&) = delete;

    // The next child of the root named "note", or news of a broken spot. After End or Error every
    // call gives the same again.
    Step NextNote(MEnexNote& note);
    // Reads the rest of the file without handing out notes (End or Error); counts as it goes.
    Step SkipToEnd();

    // The notes met so far, readable or not: after the call that returned End, the file's note count.
    qint64 NoteCount() const;
    MEnexProblem Problem() const;
    QString ErrorText() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m;
};

// One full pass over the file: its notes, the unreadable ones included (as an import numbers them),
// or nothing when the file cannot be read as ENEX at all. This is what choosing a file shows.
std::optional<qint64> CountEnexNotes(const QString& path);
