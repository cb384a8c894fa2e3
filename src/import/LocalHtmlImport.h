#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

// Local HTML files as page HTML: local pictures and attached files become parts of the page
// request ("name:<part>"), the attachment markers of other note services' exports become attached
// files, what this program's own HTML export adds is taken out again, and the page gets a title and
// a creation time. Every function takes the HTML and gives the new HTML; only the map changes in
// place.

// Part name (a new upper-case UUID) -> the full path of the local file the part is read from.
using MAttachmentMap = QMap<QString, QString>;

// Where the attribute value starting at `start` (just after "=") ends: after its closing quote for
// a quoted value, at the white space or ">" that ends an unquoted one; -1 when the text ends first.
qsizetype GetTagNameEndPos(const QString& text, qsizetype start);

// Every "src=" value naming a local file that exists becomes a part, and so does a picture's whose file
// is missing (the page request shows it as missing). `folder` is the HTML file's.
QString ConvertAttachmentsToHtml_Img(const QString& html, const QString& folder, MAttachmentMap& attachments);
// Every "data=" value that is not a web address becomes a part, whether or not the file is there
// (the page request leaves out parts whose files are missing).
QString ConvertAttachmentsToHtml_Attachment(const QString& html, const QString& folder, MAttachmentMap& attachments);
// The attachment step: both rewritings, then the conversions of the exports it recognises.
QString ConvertAttachmentsToHtml(const QString& html, const QString& fullFileName, MAttachmentMap& attachments);

// Attachment blocks of an Evernote 10 HTML export (files in "<page> files").
QString ConvertEvernoteV10Html2OneNoteHtml_Attachment(
    const QString& html, const QString& htmlFullFileName, MAttachmentMap& attachments);
// Links to attached files of a YinXiang 7 HTML export (files in "<page>_files").
QString ConvertYinXiangV7Html2OneNoteHtml_Attachment(
    const QString& html, const QString& htmlFullFileName, MAttachmentMap& attachments);
// Links to attached files of a Notion HTML export (files in the folder named like the page).
QString ConvertNotionHtml2OneNoteHtml_Attachment(
    const QString& html, const QString& htmlFullFileName, MAttachmentMap& attachments);

// Takes out what this program's HTML export adds to a page: the title and date blocks, the tag
// icons with the space written after each, and the link to the saved file inside an attached file's
// object.
QString RemoveAllZephSpecialObjects(const QString& html);
// The page-head step: the export's additions out, full-resolution image addresses out of the
// service's way, and a title (`title`, as text) and creation time where the page has none.
QString ConvertLocalHtml2OneNoteHtml(const QString& html, const QString& title, const QDateTime& now);

// Google Keep check-list items as to-do paragraphs, open or done.
QString ConvertGoogleKeepHtml2OneNoteHtml_Todo(const QString& html);
