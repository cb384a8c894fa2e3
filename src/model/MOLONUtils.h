#pragma once

#include <QString>
#include <memory>

// OneNote client links ("onenote:https://...&section-id={...}&page-id={...}&end") and the two forms
// of a paragraph id: the link form "{abc}&3C" (number in hexadecimal after "&") and the element form
// of page HTML "{abc}{60}" (number in decimal in a second pair of braces). None of these fails: a
// missing field gives "".

// The page field: "page-id={P1}" gives P1, else "page-id=P1&" gives P1.
QString PageIdFromLink(const QString& link);
// The object field: "object-id={" up to "&base-path=", else everything after "object-id=".
QString ObjectIdFromLink(const QString& link);
// "{abc}&3C", "abc&3C" and "abc}&3C" (what ObjectIdFromLink gives for a base-path link) all give
// "{abc}{60}".
QString ObjectIdToElementId(const QString& objectId);
// "{abc}{5}" gives "abc&05".
QString ElementIdToObjectId(const QString& elementId);
// Replaces every "&end" of a page's client link with "&object-id=<id>", the id being the link form
// of the element id after the first ":" of a paragraph's id attribute ("p:{abc}{60}").
QString InsertObjectIdIntoLink(const QString& linkTemplate, const QString& elementIdAttribute);
// Every "&amp;" becomes "&".
QString DecodeAmpEntities(const QString& text);
// Page HTML holds bare "&" in its links, which an XML parser rejects: every "&" becomes U+00A0 before
// parsing and back afterwards. (A no-break space already in the text also becomes "&" on the way back.)
QString ProtectAmpersands(const QString& text);
QString UnprotectAmpersands(const QString& text);
// The leading hexadecimal digits of `text` as a number; 0 when there are none.
int HexToInt(const QString& text);
// The https part of a "onenote:https://..." link (the link itself when it has no "onenote:" prefix):
// what a browser opens where no desktop OneNote client is registered.
QString OneNoteLinkWebPart(const QString& link);

// How a link reaches the desktop OneNote client. The desktop installs one that hands "onenote:" links
// to the registered client and opens the https part in the browser elsewhere; the command line prints.
class MLinkOpener
{
public:
    virtual ~MLinkOpener() = default;
    virtual void OpenLink(const QString& link) = 0;
};
// Installs the opener for the whole process; nullptr restores the default, which does nothing.
void SetLinkOpener(std::shared_ptr<MLinkOpener> opener);
// Opens the link in the desktop OneNote client and brings it to the front.
void OpenLinkInOneNote(const QString& link);
