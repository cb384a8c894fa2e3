#pragma once

#include "MEnexNote.h"

#include <QString>
#include <memory>
#include <optional>

// Reads an ENEX file as a stream, one note at a time, so that exports of several gigabytes import
// in the memory of their largest note. The file is fed to libxml2's push parser in large chunks and
// the few elements a note needs are collected straight from its events; no document tree is built.
//
// The root element's child nodes are counted as they pass (runs of text, white space included,
// comments, CDATA, processing instructions and elements), as a document tree that keeps white space
// would hold them: after the call that returned End, RootChildCount() is that count.
class MEnexReader
{
public:
    enum class Step { Note, End, Error };

    explicit MEnexReader(const QString& path);
    ~MEnexReader();
    MEnexReader(const MEnexReader&) = delete;
    MEnexReader& operator=(const MEnexReader&) = delete;

    // The next child of the root named "note". End after the root has closed and the rest of the
    // file was found well-formed; Error for a file that cannot be opened or is not well-formed XML
    // (notes completed before the fault are still handed out first; afterwards every call gives
    // Error).
    Step NextNote(MEnexNote& note);
    // Reads the rest of the file without handing out notes (End or Error); counts as it goes.
    Step SkipToEnd();

    qint64 RootChildCount() const;
    qint64 BytesConsumed() const;
    QString ErrorText() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m;
};

// One full pass over the file: the root's child-node count, or nothing when the file cannot be
// read as ENEX. This is what choosing a file shows.
std::optional<qint64> CountEnexRootChildren(const QString& path);
