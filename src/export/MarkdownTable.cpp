#include "MarkdownBlocks.h"
#include "MarkdownText.h"
#include "model/MOLONUtils.h"
#include "tasks/PageXml.h"
#include "util/TextEscape.h"

#include <QStringList>

namespace {

bool Named(const pugi::xml_node& node, const char* name)
{
    return node.type() == pugi::node_element && LowerName(node) == QLatin1String(name);
}

std::vector<pugi::xml_node> Rows(const pugi::xml_node& table)
{
    std::vector<pugi::xml_node> rows;
    for (pugi::xml_node child = table.first_child(); child; child = child.next_sibling()) {
        if (Named(child, "tr"))
            rows.push_back(child);
        else if (Named(child, "thead") || Named(child, "tbody") || Named(child, "tfoot"))
            for (pugi::xml_node row = child.first_child(); row; row = row.next_sibling())
                if (Named(row, "tr"))
                    rows.push_back(row);
    }
    return rows;
}

std::vector<pugi::xml_node> Cells(const pugi::xml_node& row)
{
    std::vector<pugi::xml_node> cells;
    for (pugi::xml_node child = row.first_child(); child; child = child.next_sibling())
        if (Named(child, "td") || Named(child, "th"))
            cells.push_back(child);
    return cells;
}

bool Spans(const pugi::xml_node& cell)
{
    return PageAttribute(cell, "colspan").toInt() > 1 || PageAttribute(cell, "rowspan").toInt() > 1;
}

bool HasBlockOrTask(const pugi::xml_node& node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (IsBlockElement(LowerName(child)) || TaskOf(ParseNoteTags(PageAttribute(child, "data-tag"))))
            return true;
        if (HasBlockOrTask(child))
            return true;
    }
    return false;
}

// The element holding a cell's inline content (the cell, or its only paragraph); none when the cell
// holds more than one line of inline content.
pugi::xml_node InlineHolder(const pugi::xml_node& cell)
{
    if (Spans(cell) || TaskOf(ParseNoteTags(PageAttribute(cell, "data-tag"))))
        return {};
    pugi::xml_node paragraph;
    bool inlineContent = false;
    for (pugi::xml_node child = cell.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && IsBlockElement(LowerName(child))) {
            if (paragraph || !Named(child, "p") || TaskOf(ParseNoteTags(PageAttribute(child, "data-tag"))))
                return {};
            paragraph = child;
        } else if (child.type() == pugi::node_element || !PageText(child.value()).trimmed().isEmpty()) {
            inlineContent = true;
        }
    }
    if (paragraph && inlineContent)
        return {};
    const pugi::xml_node holder = paragraph ? paragraph : cell;
    return HasBlockOrTask(holder) ? pugi::xml_node() : holder;
}

QString Checkbox(const std::optional<bool>& task)
{
    if (!task)
        return QString();
    return *task ? QStringLiteral("<input type=\"checkbox\" checked=\"\" disabled=\"\" /> ")
                 : QStringLiteral("<input type=\"checkbox\" disabled=\"\" /> ");
}

QString WithHashtags(const QString& text, const QString& hashtags, bool html)
{
    const QString tags = html ? EscapeHtmlText(hashtags) : hashtags;
    return text.isEmpty() || tags.isEmpty() ? text + tags : text + QLatin1Char(' ') + tags;
}

// HTML for block content where Markdown cannot go: a table cell with paragraphs, lists or tables.
// It holds no line feed, so the HTML block around it never meets a blank line.
class MHtmlWriter
{
public:
    explicit MHtmlWriter(MMarkdownContext& context)
        : m_Context(context)
    { }

    QString Blocks(const pugi::xml_node& container, unsigned formats)
    {
        QString out;
        MInlineCollector pending(m_Context);
        auto flush = [&] {
            if (!pending.IsEmpty())
                out += Inline(pending, {});
        };
        for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
            if (child.type() == pugi::node_element && IsBlockElement(LowerName(child))) {
                flush();
                out += Block(child, formats);
            } else {
                pending.AddNode(child, formats);
            }
        }
        flush();
        return out;
    }

    QString Table(const pugi::xml_node& table, unsigned formats)
    {
        QString out = QStringLiteral("<table>");
        for (const pugi::xml_node& row : Rows(table)) {
            out += QStringLiteral("\n<tr>");
            for (const pugi::xml_node& cell : Cells(row)) {
                const QString name = LowerName(cell);
                out += QLatin1Char('<') + name;
                for (const char* span : {"colspan", "rowspan"})
                    if (const int n = PageAttribute(cell, span).toInt(); n > 1)
                        out += QStringLiteral(" %1=\"%2\"").arg(QLatin1String(span)).arg(n);
                out += QLatin1Char('>') + Tagged(cell, ElementFormats(cell, formats)) + QStringLiteral("</") + name
                    + QLatin1Char('>');
            }
            out += QStringLiteral("</tr>");
        }
        return out + QStringLiteral("\n</table>");
    }

private:
    QString Inline(MInlineCollector& collector, const std::vector<MNoteTag>& own)
    {
        auto [content, spanTags] = collector.Take();
        std::vector<MNoteTag> tags = own;
        tags.insert(tags.end(), spanTags.begin(), spanTags.end());
        const std::optional<bool> task = TaskOf(tags);
        return Checkbox(task) + WithHashtags(RenderInlineHtml(content), HashtagsOf(tags, task.has_value()), true);
    }

    // A cell or list item: its own note tags before and after its content.
    QString Tagged(const pugi::xml_node& element, unsigned formats)
    {
        const std::vector<MNoteTag> tags = ParseNoteTags(PageAttribute(element, "data-tag"));
        m_Context.AddPageTags(tags);
        const std::optional<bool> task = TaskOf(tags);
        return Checkbox(task) + WithHashtags(Blocks(element, formats), HashtagsOf(tags, task.has_value()), true);
    }

    QString Block(const pugi::xml_node& element, unsigned formats)
    {
        const QString name = LowerName(element);
        const unsigned own = ElementFormats(element, formats);
        if ((name == QLatin1String("p") || name == QLatin1String("li")) && IsCodeParagraph(element, formats))
            return QStringLiteral("<p><code>")
                + EscapeHtmlText(CodeLine(element)).replace('\n', QStringLiteral("<br />"))
                + QStringLiteral("</code></p>");
        if (name == QLatin1String("p") || name == QLatin1String("li") || IsHeadingElement(name)) {
            const QString tag = name == QLatin1String("li") ? QStringLiteral("p") : name;
            const std::vector<MNoteTag> tags = ParseNoteTags(PageAttribute(element, "data-tag"));
            m_Context.AddPageTags(tags);
            MInlineCollector collector(m_Context);
            collector.AddChildren(element, own);
            return QLatin1Char('<') + tag + QLatin1Char('>') + Inline(collector, tags) + QStringLiteral("</") + tag
                + QLatin1Char('>');
        }
        if (name == QLatin1String("ul") || name == QLatin1String("ol"))
            return List(element, own);
        if (name == QLatin1String("table"))
            return Table(element, formats).replace(QLatin1Char('\n'), QString());
        if (name == QLatin1String("pre"))
            return QStringLiteral("<pre><code>")
                + EscapeHtmlText(PageWholeText(element)).replace('\n', QStringLiteral("&#10;"))
                + QStringLiteral("</code></pre>");
        if (name == QLatin1String("hr"))
            return QStringLiteral("<hr />");
        if (name == QLatin1String("head") || name == QLatin1String("title"))
            return QString();
        return Blocks(element, own);
    }

    QString List(const pugi::xml_node& list, unsigned formats)
    {
        const QString name = LowerName(list);
        QString out = QLatin1Char('<') + name;
        if (const QString start = PageAttribute(list, "start").trimmed(); !start.isEmpty() && start.toInt() >= 0)
            out += QStringLiteral(" start=\"%1\"").arg(start.toInt());
        out += QLatin1Char('>');
        bool itemOpen = false;
        for (pugi::xml_node child = list.first_child(); child; child = child.next_sibling()) {
            if (Named(child, "li")) {
                out += (itemOpen ? QStringLiteral("</li><li>") : QStringLiteral("<li>"))
                    + Tagged(child, ElementFormats(child, formats));
                itemOpen = true;
            } else if (Named(child, "ul") || Named(child, "ol")) {
                out += (itemOpen ? QString() : QStringLiteral("<li>")) + List(child, formats);
                itemOpen = true;
            }
        }
        return out + (itemOpen ? QStringLiteral("</li>") : QString()) + QStringLiteral("</") + name + QLatin1Char('>');
    }

    MMarkdownContext& m_Context;
};

QString GitHubTable(const std::vector<pugi::xml_node>& rows, unsigned formats, MMarkdownContext& context)
{
    std::vector<QStringList> lines;
    qsizetype columns = 0;
    for (const pugi::xml_node& row : rows) {
        QStringList texts;
        for (const pugi::xml_node& cell : Cells(row)) {
            const pugi::xml_node holder = InlineHolder(cell);
            unsigned cellFormats = ElementFormats(cell, formats);
            std::vector<MNoteTag> tags = ParseNoteTags(PageAttribute(cell, "data-tag"));
            if (holder != cell) {
                cellFormats = ElementFormats(holder, cellFormats);
                const std::vector<MNoteTag> paragraphTags = ParseNoteTags(PageAttribute(holder, "data-tag"));
                tags.insert(tags.end(), paragraphTags.begin(), paragraphTags.end());
            }
            context.AddPageTags(tags);
            MInlineCollector collector(context);
            collector.AddChildren(holder, cellFormats);
            auto [content, spanTags] = collector.Take();
            const QString text = RenderInlineMarkdown(content, MInlinePlace::TableCell);
            tags.insert(tags.end(), spanTags.begin(), spanTags.end());
            texts << WithHashtags(text, HashtagsOf(tags, false), false);
        }
        columns = std::max(columns, texts.size());
        lines.push_back(texts);
    }
    QStringList out;
    for (QStringList& texts : lines) {
        while (texts.size() < columns)
            texts << QString();
        out << QStringLiteral("| ") + texts.join(QStringLiteral(" | ")) + QStringLiteral(" |");
        if (out.size() == 1)
            out << QStringLiteral("|") + QStringLiteral(" --- |").repeated(columns);
    }
    return out.join(QLatin1Char('\n'));
}

} // namespace

MBlock TableBlock(const pugi::xml_node& table, unsigned formats, MBlockWriter& writer)
{
    MBlock block;
    block.kind = MBlock::Kind::Table;
    const std::vector<pugi::xml_node> rows = Rows(table);
    bool inlineCells = !rows.empty();
    qsizetype cellCount = 0;
    for (const pugi::xml_node& row : rows)
        for (const pugi::xml_node& cell : Cells(row)) {
            inlineCells = inlineCells && InlineHolder(cell);
            ++cellCount;
        }
    if (cellCount == 0)
        return block;
    const unsigned own = ElementFormats(table, formats);
    block.text
        = inlineCells ? GitHubTable(rows, own, writer.Context()) : MHtmlWriter(writer.Context()).Table(table, own);
    return block;
}
