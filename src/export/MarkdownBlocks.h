#pragma once

#include "MarkdownContext.h"
#include "MarkdownInline.h"

#include <QString>
#include <optional>
#include <pugixml.hpp>
#include <vector>

// The block structure of a page (paragraphs, headings, code, lists, tables) and how blocks are
// joined into Markdown text.

struct MListItem
{
    QString number; // "" in a bulleted list
    QString body; // the item's text, its lines after the first indented to its content column
};

struct MBlock
{
    enum class Kind { Paragraph, Heading, Code, List, Table, Rule };
    Kind kind = Kind::Paragraph;
    QString text; // everything but a list's items and a task's check box
    std::optional<bool> task; // a paragraph with a check box: whether it is ticked
    bool ordered = false;
    std::vector<MListItem> items;
    // Whether the block is written as a list, so that one written right after it would join it.
    bool IsListLike() const { return kind == Kind::List || task.has_value(); }
};

// Joins blocks with blank lines, keeps consecutive to-do paragraphs one tight list, and gives a list
// that follows another of its kind the other marker, so the two stay two lists.
QString JoinBlocks(const std::vector<MBlock>& blocks);
// Indents every line after the first by `width` spaces (blank lines stay empty).
QString IndentFollowingLines(const QString& text, qsizetype width);

bool IsBlockElement(const QString& name);
bool IsHeadingElement(const QString& name);
// A list whose first item is not numbered 1 cannot interrupt a paragraph: it needs a blank line.
bool InterruptsParagraph(const MBlock& block);
// The check box and the "#tag" text a block shows for its note tags.
std::optional<bool> TaskOf(const std::vector<MNoteTag>& tags);
QString HashtagsOf(const std::vector<MNoteTag>& tags, bool taskShown);

class MBlockWriter
{
public:
    explicit MBlockWriter(MMarkdownContext& context);

    // The blocks of an element's children; inline content between block elements makes paragraphs.
    std::vector<MBlock> Blocks(const pugi::xml_node& container, unsigned formats);
    // One block element (and, for a run of code paragraphs, its siblings through the returned one).
    pugi::xml_node AddBlock(const pugi::xml_node& element, unsigned formats, std::vector<MBlock>& blocks);

    MMarkdownContext& Context() { return m_Context; }

private:
    std::optional<MBlock> Paragraph(const pugi::xml_node& element, unsigned formats);
    std::optional<MBlock> Heading(const pugi::xml_node& element, unsigned formats);
    MBlock List(const pugi::xml_node& list, unsigned formats);
    MListItem Item(const pugi::xml_node& item, const std::vector<pugi::xml_node>& nested, unsigned formats,
        const std::vector<MNoteTag>& listTags, QString number);
    pugi::xml_node CodeRun(const pugi::xml_node& first, unsigned formats, std::vector<MBlock>& blocks);

    MMarkdownContext& m_Context;
};

// A paragraph block of inline content with the note tags it carries.
std::optional<MBlock> ParagraphBlock(const MInlineContent& content, const std::vector<MNoteTag>& tags);
// Whether the paragraph reads as code: all its text in a monospace font, and nothing but text.
bool IsCodeParagraph(const pugi::xml_node& paragraph, unsigned formats);
// A code paragraph's line, blanks kept.
QString CodeLine(const pugi::xml_node& paragraph);

// Tables: a GitHub table when every cell is one line of inline content, else an HTML table.
MBlock TableBlock(const pugi::xml_node& table, unsigned formats, MBlockWriter& writer);
