#pragma once

#include "tasks/MRunLedger.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// What a link of an imported note points at.
enum class MNoteLinkKind {
    None, // a web link or anything else: never touched
    Evernote, // "evernote:///view/..." or an evernote.com note link: found by the link's text
    LocalFile, // a relative link to another HTML file of the import: found by the file it names
};
MNoteLinkKind NoteLinkKindOf(const QString& href);
// The absolute, clean path a relative link of the file `fromFile` names ("" for other links).
QString LinkedFilePath(const QString& href, const QString& fromFile);
// Whether the page HTML sent for a note holds a link to another note.
bool HoldsNoteLinks(const QString& html, const QString& fromFile);

// What becomes of one note link.
struct MLinkVerdict
{
    enum Kind { Keep, Rewrite, Ambiguous, NotFound };
    Kind kind = Keep;
    QString url; // the target page's address, for Rewrite
};
using MLinkResolver = std::function<MLinkVerdict(const QString& href, const QString& text)>;

// A page's note links made into links to the pages their notes became: the changes of one PATCH of
// the page's content (empty when nothing is to change) and what was left.
struct MPageRelink
{
    QByteArray changes; // a JSON array of changes; empty when no link is rewritten
    int rewritten = 0;
    int ambiguous = 0;
    int missing = 0;
    QList<MLeftLink> left; // page titles are left to the caller
    bool readable = true; // false when the content is no page the parser can read
};
// `content` is the page as read with its element ids. A link is rewritten by replacing the smallest
// element around it that the service lets a change replace (a paragraph, a list item, a heading, a
// table), with all the links inside it; its text and everything else in it stays.
MPageRelink RelinkPage(const QString& content, const MLinkResolver& resolve);
