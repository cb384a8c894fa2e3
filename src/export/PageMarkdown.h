#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// Page HTML as the service returns it, to one Markdown document (CommonMark with GitHub tables and
// task lists) that Markdown editors open as written. Pure: it reads no file and sends no request.
// The caller decides where pages and resources go; the converter only writes the links to them.

// An image or attached file the page shows. The caller saves it (it needs the bearer token) at the
// path it chose; the Markdown refers to that path.
struct MMarkdownResource
{
    enum class Kind { Image, Attachment };
    Kind kind = Kind::Image;
    QString address; // where the service serves it: the full-resolution image when the page names one
    QString mimeType; // "image/png", "application/pdf", ... ("" when the page gives none)
    // A file name to start from: the attached file's own name, "image-N.<ext>" for the Nth image of
    // the page. Safe as one path component; not yet unique.
    QString suggestedName;
    QString path; // what the caller answered: relative to the page's .md file, "/" between folders
};

// What the caller knows of the page beyond its HTML (from the page list). Empty fields are taken
// from the HTML where it has them (title, created) and left out of the front matter otherwise.
struct MMarkdownPage
{
    QString title;
    QString created; // as the service writes it, "2015-07-22T09:00:00Z"
    QString modified;
    QString clientUrl; // links.oneNoteClientUrl.href, "onenote:https://..."
    QString webUrl; // links.oneNoteWebUrl.href
};

struct MMarkdownTargets
{
    // The path, relative to the page's .md file, the caller saves the resource at; "" keeps the
    // service address in the Markdown and leaves the resource out of the result's list. Asked once
    // per address.
    std::function<QString(const MMarkdownResource&)> resourcePath;
    // Asked for the target of every link on the page (a OneNote page address, an "onenote:" link, any
    // web address): the path of that page's .md file relative to this page's .md file when it is part
    // of the export, else nothing (the link then stays as it is).
    std::function<std::optional<QString>(const QString& target)> pagePath;
};

struct MMarkdownResult
{
    QString markdown;
    // Links to OneNote pages (or sections, notebooks) that `pagePath` did not place, as they stand in
    // the page, once each in page order: what the run reports as outside the export.
    QStringList outsideLinks;
    // The resources the Markdown refers to by a caller's path, once each in page order.
    std::vector<MMarkdownResource> resources;
    // False when the HTML was not well-formed: the Markdown then holds the page's text without
    // structure, links or resources.
    bool wellFormed = true;
};

MMarkdownResult ConvertPageHtmlToMarkdown(
    const QString& html, const MMarkdownPage& page, const MMarkdownTargets& targets);

// Whether a link target addresses OneNote content (an "onenote:" link, a page id, a OneNote web
// address) rather than an ordinary web page.
bool IsOneNoteLink(const QString& target);
