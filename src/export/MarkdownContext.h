#pragma once

#include "PageMarkdown.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <pugixml.hpp>
#include <vector>

// What one page's conversion gathers as it goes and asks the caller: resource paths, link targets,
// the page's note tags.

// One note tag of a "data-tag" value ("to-do:completed, important" holds two).
struct MNoteTag
{
    QString shape; // "to-do", "important", ...
    bool completed = false;
    // A tag OneNote draws as a check box.
    bool IsCheckbox() const;
    // "#shape" as Markdown editors read a tag; "" for a shape with nothing to write.
    QString Hashtag() const;
};
std::vector<MNoteTag> ParseNoteTags(const QString& dataTag);

// Where a link or an image points: a caller's relative path, or an address kept as it is.
struct MLinkTarget
{
    QString target;
    bool isPath = false;
    QString MarkdownDestination() const;
    QString HtmlHref() const;
};

class MMarkdownContext
{
public:
    explicit MMarkdownContext(const MMarkdownTargets& targets);

    MLinkTarget Image(const pugi::xml_node& img);
    // `name` receives the attached file's name as the page shows it.
    MLinkTarget Attachment(const pugi::xml_node& object, QString& name);
    MLinkTarget Link(const QString& href);
    void AddPageTags(const std::vector<MNoteTag>& tags);

    const QStringList& PageTags() const { return m_Tags; }
    MMarkdownResult& Result() { return m_Result; }

private:
    MLinkTarget Resource(MMarkdownResource resource);

    const MMarkdownTargets& m_Targets;
    MMarkdownResult m_Result;
    QHash<QString, QString> m_ResourcePaths;
    QStringList m_Tags;
    int m_Images = 0;
};
