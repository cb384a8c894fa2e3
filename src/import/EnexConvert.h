#pragma once

#include "MEnexNote.h"
#include "MResourceObject.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// Turning one ENEX note into what a page request needs: the resource list and the page HTML whose
// images and attachments name those resources by the MD5 of their bytes.

// Exactly the five image types OneNote shows inline; "image/jpg" and the rest become attachments.
bool IsImageMime(const QString& mime);
// A new upper-case UUID, then "." and the mime's subtype when it has one.
QString generateFileNameWithMime(const QString& mime);
// The safe, trimmed file-name and the source URL of the resource's attributes ("" when absent).
void getMediaResourceAttributes(const MEnexResource& resource, QString& fileName, QString& resourceUrl);
// One record per resource element, in document order, duplicates kept.
MResourceList RestoreImageAndGetHash(const MEnexNote& note);

// The last record with exactly that hash / source URL, or null.
const MResourceObject* getResouceObjFromListByHash(const MResourceList& list, const QString& hash);
const MResourceObject* getResouceObjFromListResouceUrl(const MResourceList& list, const QString& url);

// Four non-breaking spaces per 40 px of a div's left padding, after its opening tag.
QString HandleIndentWithSpaces(const QString& enml);
// img elements whose src is a cached resource address point at the resource's part instead (unless
// the resource is empty and so not sent).
QString ReplaceImgs(const QString& enml, const MResourceList& resources);
// en-media elements become img (images) or object (anything else) elements naming the part; those
// naming an empty resource are removed. One naming no resource at all names its hash, which the page
// request then shows as a "Missing attachment" line (WithoutMissingParts).
QString ReplaceEnMediaImagesAttachments(const QString& enml, const MResourceList& resources);
// An exporter that rewrote a resource's hash (Evernote 10 does) leaves one en-media tag naming no
// resource and one resource that nothing names. When there is exactly one of each and their types
// agree, they are the same file: the tag is made to name the resource. Otherwise nothing changes: every
// dangling tag becomes a "Missing attachment" line when the page is sent, and every unnamed resource
// goes at the end of the page.
QString PairRewrittenHashes(const QString& enml, const MResourceList& resources);
// CDATA sections in the ENML (a section nested in the note's own, as Evernote writes it) become
// escaped text, so that what they hold shows on the page.
QString ReplaceCDataWithText(const QString& enml);
// Encrypted blocks become a visible block with the hint and the cipher text, so that nothing of the
// note disappears (the text stays encrypted: the password is the user's).
QString ReplaceEnCrypt(const QString& enml);
// Resources no en-media tag or image refers to are added at the end of the body, images as images and
// the rest as attachments, as Evernote shows them; empty ones are not sent and so not named.
QString AppendUnreferencedResources(const QString& body, const MResourceList& resources);
// One line per resource that is empty (or whose Base64 cannot be decoded): it is left out of the page.
QStringList EmptyResourceWarnings(const MResourceList& resources);
// The en-note element alone, its tags renamed to body, with the to-do markup OneNote understands.
QString ConvertEnNoteToBody(const QString& enml);

// "20200131T080910Z" or "2020-01-31T08:09:10.000Z"; nothing for any other form.
std::optional<QDateTime> ConvertEverNoteDate2ON(const QString& text);

// The whole page. A note without a readable creation time is dated `fallbackCreated`.
QString ConvertNoteToPageHtml(
    const MEnexNote& note, const MResourceList& resources, bool handleIndents, const QDateTime& fallbackCreated);
