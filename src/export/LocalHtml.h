#pragma once

#include <QString>
#include <functional>
#include <pugixml.hpp>

// Page HTML to a stand-alone local HTML document: tag icons before tagged elements, links to
// paragraphs of the same page turned into in-page anchors, images and attached files downloaded
// into a "<page>.files" folder beside the page and referred to relatively, and a title and date
// block at the top of the body.
class MLocalHtmlConverter
{
public:
    // Fetches one resource to a local path; true when the file was saved. The caller refreshes the
    // token before and paces after each call.
    using Downloader = std::function<bool(const QString& url, const QString& path)>;

    // `tagIconOrigin` is the web host the tag icons are served from, e.g. "http://www.example.com".
    MLocalHtmlConverter(QString tagIconOrigin, Downloader downloader);

    // `link` is the page's client link ("" when the page links to no paragraph), `fullPageFileName`
    // the path the page will be written to. A page that is not XML is returned unchanged.
    QString ConvertOnlineHtml2LocalHtml(const QString& link, const QString& html, const QString& fullPageFileName);

    void ConvertOneNoteTags_Recurse(pugi::xml_node node, const QString& pageOneNoteClientUrl);
    void DownloadPageAttachments_Recurse(pugi::xml_node node, const QString& attachFolder, const QString& relativePath);
    static void InsertZephPageTitleDateTime(pugi::xml_node root, const QString& fileName);
    static QString GetPageDateTime(const pugi::xml_node& node);

    int DownloadsFailed() const { return m_DownloadsFailed; }

private:
    void RewriteSamePageLink(pugi::xml_node anchor, const QString& pageOneNoteClientUrl);
    void DownloadInto(pugi::xml_attribute reference, const QString& url, const QString& attachFolder,
        const QString& relativePath, const QString& file);

    QString m_TagIconOrigin;
    Downloader m_Downloader;
    pugi::xml_document* m_Document = nullptr;
    int m_DownloadsFailed = 0;
};

// "R/file" as a relative reference: the characters that would end a path in a URL are encoded.
QString RelativeReference(const QString& folderName, const QString& fileName);
