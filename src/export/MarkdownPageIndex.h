#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <optional>

// The pages of one Markdown export, so that a link on one page to another becomes a relative link
// to that page's .md file. A page is known by the page id of its client link and by its web
// address; a link names it either way ("onenote:...&page-id={...}", the web address itself, or a
// web address whose "wd=target(...)" ends in the page's id).
class MMarkdownPageIndex
{
public:
    // `file` is the page's .md file relative to the export folder, "/" between folders.
    void Add(const QString& clientUrl, const QString& webUrl, const QString& file);

    // The export's file for a link target, relative to the export folder; nothing for a page
    // outside the export.
    std::optional<QString> FileFor(const QString& target) const;
    // The page-path answer for the page written at `fromFile` (as MMarkdownTargets::pagePath wants
    // it). It reads the index, which must outlive it.
    std::function<std::optional<QString>(const QString&)> LinksFrom(const QString& fromFile) const;

private:
    QHash<QString, QString> m_ByPageId;
    QHash<QString, QString> m_ByWebUrl;
};

// The page id a link names, lower case without braces; "" when it names none.
QString LinkedPageId(const QString& target);
// `to` relative to the folder of `from`; both relative to one folder, "/" between folders.
QString RelativeFilePath(const QString& from, const QString& to);
