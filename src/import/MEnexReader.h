#pragma once

#include "MEnexNote.h"

#include <QString>
#include <memory>
#include <optional>

// Reads an ENEX file as a stream, one note at a time, so that exports of several gigabytes import
// in the memory of their largest note. Only the note being handed out is held as a tree.
//
// The root element's child nodes are counted as they pass (whitespace text, comments and CDATA
// included, as a document tree that keeps whitespace would hold them): after the last call that
// returned End, RootChildCount() is the count a whole-file parse gives.
class MEnexReader
{
public:
    enum class Step { Note, End, Error };

    explicit MEnexReader(const QString& path);
    ~MEnexReader();
    MEnexReader(const MEnexReader&) = delete;
    MEnexReader& operator=(const MEnexReader&) = delete;

    // Moves to the next child of the root named "note" and reads it into `note`. End after the
    // root has closed and the rest of the file was found well-formed; Error for a file that cannot
    // be opened or is not well-formed XML (from then on every call gives Error).
    Step NextNote(MEnexNote& note);
    // Reads the rest of the file without handing out notes (End or Error); counts as it goes.
    Step SkipToEnd();

    qint64 RootChildCount() const { return m_RootChildren; }
    qint64 BytesConsumed() const;
    QString ErrorText() const { return m_Error; }

private:
    Step Walk(MEnexNote* note); // null: notes are passed over unread
    bool EnterRoot();
    // Reads on to the next node; false on error.
    bool Advance();
    Step Fail();

    struct Impl;
    std::unique_ptr<Impl> m;
    qint64 m_RootChildren = 0;
    QString m_Error;
};

// One full pass over the file: the root's child-node count, or nothing when the file cannot be
// read as ENEX. This is what choosing a file shows.
std::optional<qint64> CountEnexRootChildren(const QString& path);
