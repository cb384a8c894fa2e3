#pragma once

#include "MarkdownContext.h"

#include <QString>
#include <pugixml.hpp>
#include <vector>

// The inline content of one block (a paragraph, heading, list item or table cell): runs of text with
// their formats, breaks and images, written out as Markdown or as HTML.

enum MInlineFormat : unsigned {
    kStrike = 1,
    kBold = 2,
    kItalic = 4,
    kSuperscript = 8,
    kSubscript = 16,
    kCode = 32,
};

struct MInlineRun
{
    enum class Kind { Text, Break, Image };
    Kind kind = Kind::Text;
    QString text; // the alt text of an image
    unsigned formats = 0;
    int link = -1; // index into MInlineContent::links
    MLinkTarget image;
};

struct MInlineContent
{
    std::vector<MInlineRun> runs;
    std::vector<MLinkTarget> links;
    bool IsEmpty() const { return runs.empty(); }
};

// Where the content is written decides what a line break becomes.
enum class MInlinePlace { Paragraph, Heading, TableCell };

// Formats an element adds to those it inherits, by its name and its style attribute.
unsigned ElementFormats(const pugi::xml_node& element, unsigned inherited);

class MInlineCollector
{
public:
    explicit MInlineCollector(MMarkdownContext& context);

    void AddChildren(const pugi::xml_node& element, unsigned formats);
    void AddNode(const pugi::xml_node& node, unsigned formats);
    struct MCollected
    {
        MInlineContent content;
        std::vector<MNoteTag> tags; // of the spans met on the way: they belong to the block
    };
    // What was collected, with HTML's whitespace rules applied and blanks moved out of formatted
    // stretches; the collector starts again empty.
    MCollected Take();
    bool IsEmpty() const { return m_Content.runs.empty() && m_Tags.empty(); }

private:
    void AddText(const QString& text, unsigned formats);
    void AddElement(const pugi::xml_node& element, unsigned formats);
    void AddLinked(const MLinkTarget& target, const QString& text, unsigned formats);

    MMarkdownContext& m_Context;
    MInlineContent m_Content;
    std::vector<MNoteTag> m_Tags;
    int m_Link = -1;
};

QString RenderInlineMarkdown(const MInlineContent& content, MInlinePlace place);
QString RenderInlineHtml(const MInlineContent& content);
