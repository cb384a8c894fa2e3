#include "MarkdownBlocks.h"

#include "MarkdownText.h"
#include "model/MOLONUtils.h"
#include "tasks/PageXml.h"

#include <QStringList>
#include <algorithm>

namespace {

QString FencedCode(QStringList lines)
{
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return QString();
    qsizetype longest = 0;
    for (const QString& line : lines) {
        qsizetype current = 0;
        for (const QChar c : line) {
            current = c == QLatin1Char('`') ? current + 1 : 0;
            longest = std::max(longest, current);
        }
    }
    const QString fence(std::max<qsizetype>(3, longest + 1), QLatin1Char('`'));
    return fence + QLatin1Char('\n') + lines.join(QLatin1Char('\n')) + QLatin1Char('\n') + fence;
}

bool AllTextIsCode(const pugi::xml_node& node, unsigned formats, bool& hasText)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            if (PageText(child.value()).trimmed().isEmpty())
                continue;
            hasText = true;
            if (!(formats & kCode))
                return false;
        } else if (child.type() == pugi::node_element) {
            const QString name = LowerName(child);
            if (name == QLatin1String("br"))
                continue;
            if (IsBlockElement(name) || name == QLatin1String("img") || name == QLatin1String("object")
                || name == QLatin1String("iframe") || !child.attribute("data-tag").empty())
                return false;
            if (!AllTextIsCode(child, ElementFormats(child, formats), hasText))
                return false;
        }
    }
    return true;
}

void AppendCodeText(const pugi::xml_node& node, QString& line)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            for (QChar c : PageText(child.value()))
                line += c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0xA0) ? QLatin1Char(' ') : c;
        } else if (child.type() == pugi::node_element) {
            if (LowerName(child) == QLatin1String("br"))
                line += QLatin1Char('\n');
            else
                AppendCodeText(child, line);
        }
    }
}

QString QuoteLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.isEmpty() ? QStringLiteral(">") : QStringLiteral("> ") + line;
    return lines.join(QLatin1Char('\n'));
}

QString RenderBlock(const MBlock& block, QChar delimiter)
{
    if (block.task)
        return delimiter + (*block.task ? QStringLiteral(" [x] ") : QStringLiteral(" [ ] "))
            + IndentFollowingLines(block.text, 2);
    if (block.kind != MBlock::Kind::List)
        return block.text;
    QStringList lines;
    for (const MListItem& item : block.items) {
        const QString marker = item.number + delimiter;
        lines << (item.body.isEmpty() ? marker : marker + QLatin1Char(' ') + item.body);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

bool InterruptsParagraph(const MBlock& block)
{
    return block.kind == MBlock::Kind::List
        && (!block.ordered || (!block.items.empty() && block.items.front().number == QLatin1String("1")));
}

bool IsHeadingElement(const QString& name)
{
    return name.size() == 2 && name[0] == QLatin1Char('h') && name[1] >= QLatin1Char('1')
        && name[1] <= QLatin1Char('6');
}

bool IsBlockElement(const QString& name)
{
    static const QStringList blocks {QStringLiteral("p"), QStringLiteral("ul"), QStringLiteral("ol"),
        QStringLiteral("li"), QStringLiteral("table"), QStringLiteral("div"), QStringLiteral("pre"),
        QStringLiteral("blockquote"), QStringLiteral("hr"), QStringLiteral("head"), QStringLiteral("title")};
    return IsHeadingElement(name) || blocks.contains(name);
}

std::optional<bool> TaskOf(const std::vector<MNoteTag>& tags)
{
    for (const MNoteTag& tag : tags)
        if (tag.IsCheckbox())
            return tag.completed;
    return std::nullopt;
}

QString HashtagsOf(const std::vector<MNoteTag>& tags, bool taskShown)
{
    QStringList hashtags;
    for (const MNoteTag& tag : tags) {
        if (taskShown && tag.shape == QLatin1String("to-do"))
            continue; // the check box says it
        QString hashtag = tag.Hashtag();
        if (!taskShown && tag.IsCheckbox() && tag.completed)
            hashtag += QStringLiteral("-completed");
        if (!hashtag.isEmpty() && !hashtags.contains(hashtag))
            hashtags << hashtag;
    }
    return hashtags.join(QLatin1Char(' '));
}

QString IndentFollowingLines(const QString& text, qsizetype width)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (!lines[i].isEmpty())
            lines[i] = QString(width, QLatin1Char(' ')) + lines[i];
    return lines.join(QLatin1Char('\n'));
}

QString JoinBlocks(const std::vector<MBlock>& blocks)
{
    QString out;
    const MBlock* previous = nullptr;
    QChar previousDelimiter;
    for (const MBlock& block : blocks) {
        QChar delimiter = block.ordered ? QLatin1Char('.') : QLatin1Char('-');
        const bool sameKind
            = previous && previous->IsListLike() && block.IsListLike() && previous->ordered == block.ordered;
        const bool taskRun = sameKind && previous->task && block.task;
        if (taskRun)
            delimiter = previousDelimiter;
        else if (sameKind && previousDelimiter == delimiter)
            delimiter = block.ordered ? QLatin1Char(')') : QLatin1Char('*');
        if (!out.isEmpty())
            out += taskRun ? QStringLiteral("\n") : QStringLiteral("\n\n");
        out += RenderBlock(block, delimiter);
        previous = &block;
        previousDelimiter = delimiter;
    }
    return out;
}

std::optional<MBlock> ParagraphBlock(const MInlineContent& content, const std::vector<MNoteTag>& tags)
{
    MBlock block;
    block.task = TaskOf(tags);
    const QString text = RenderInlineMarkdown(content, MInlinePlace::Paragraph);
    const QString hashtags = HashtagsOf(tags, block.task.has_value());
    if (text.isEmpty() && hashtags.isEmpty() && !block.task)
        return std::nullopt;
    block.text = text.isEmpty() || hashtags.isEmpty() ? text + hashtags : text + QLatin1Char(' ') + hashtags;
    return block;
}

bool IsCodeParagraph(const pugi::xml_node& paragraph, unsigned formats)
{
    if (!paragraph.attribute("data-tag").empty())
        return false;
    const unsigned own = ElementFormats(paragraph, formats);
    bool hasText = false;
    return AllTextIsCode(paragraph, own, hasText) && (hasText || (own & kCode));
}

QString CodeLine(const pugi::xml_node& paragraph)
{
    QString text;
    AppendCodeText(paragraph, text);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
    return lines.join(QLatin1Char('\n'));
}

MBlockWriter::MBlockWriter(MMarkdownContext& context)
    : m_Context(context)
{ }

std::vector<MBlock> MBlockWriter::Blocks(const pugi::xml_node& container, unsigned formats)
{
    std::vector<MBlock> blocks;
    const bool outline = LowerName(container) == QLatin1String("div") || LowerName(container) == QLatin1String("body");
    MInlineCollector pending(m_Context);
    auto flush = [&] {
        auto [content, tags] = pending.Take();
        if (std::optional<MBlock> block = ParagraphBlock(content, tags))
            blocks.push_back(*block);
    };
    for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
        const QString name = LowerName(child);
        if (child.type() == pugi::node_element && IsBlockElement(name)) {
            flush();
            child = AddBlock(child, formats, blocks);
        } else if (outline && (name == QLatin1String("img") || name == QLatin1String("object"))) {
            // In an outline, a picture or an attached file is a paragraph of its own.
            flush();
            pending.AddNode(child, formats);
            flush();
        } else if (child.type() == pugi::node_element || child.type() == pugi::node_pcdata
            || child.type() == pugi::node_cdata) {
            pending.AddNode(child, formats);
        }
    }
    flush();
    return blocks;
}

pugi::xml_node MBlockWriter::AddBlock(const pugi::xml_node& element, unsigned formats, std::vector<MBlock>& blocks)
{
    const QString name = LowerName(element);
    std::optional<MBlock> block;
    if (name == QLatin1String("p") || name == QLatin1String("li")) {
        if (IsCodeParagraph(element, formats))
            return CodeRun(element, formats, blocks);
        block = Paragraph(element, formats);
    } else if (IsHeadingElement(name)) {
        block = Heading(element, formats);
    } else if (name == QLatin1String("ul") || name == QLatin1String("ol")) {
        block = List(element, formats);
    } else if (name == QLatin1String("table")) {
        block = TableBlock(element, formats, *this);
    } else if (name == QLatin1String("pre")) {
        const QString code = PageWholeText(element);
        block = MBlock {MBlock::Kind::Code, FencedCode(code.split(QLatin1Char('\n'))), {}, false, {}};
    } else if (name == QLatin1String("blockquote")) {
        block = MBlock {MBlock::Kind::Paragraph, QuoteLines(JoinBlocks(Blocks(element, formats))), {}, false, {}};
    } else if (name == QLatin1String("hr")) {
        block = MBlock {MBlock::Kind::Rule, QStringLiteral("---"), {}, false, {}};
    } else if (name != QLatin1String("head") && name != QLatin1String("title")) {
        const std::vector<MBlock> inner = Blocks(element, ElementFormats(element, formats));
        blocks.insert(blocks.end(), inner.begin(), inner.end());
    }
    if (block && (!block->text.isEmpty() || !block->items.empty() || block->task.has_value()))
        blocks.push_back(*block);
    return element;
}

std::optional<MBlock> MBlockWriter::Paragraph(const pugi::xml_node& element, unsigned formats)
{
    MInlineCollector collector(m_Context);
    collector.AddChildren(element, ElementFormats(element, formats));
    std::vector<MNoteTag> tags = ParseNoteTags(PageAttribute(element, "data-tag"));
    m_Context.AddPageTags(tags);
    auto [content, spanTags] = collector.Take();
    tags.insert(tags.end(), spanTags.begin(), spanTags.end());
    return ParagraphBlock(content, tags);
}

std::optional<MBlock> MBlockWriter::Heading(const pugi::xml_node& element, unsigned formats)
{
    // A heading is bold already; saying so again only adds asterisks.
    MInlineCollector collector(m_Context);
    collector.AddChildren(element, ElementFormats(element, formats) & ~kBold);
    std::vector<MNoteTag> tags = ParseNoteTags(PageAttribute(element, "data-tag"));
    m_Context.AddPageTags(tags);
    auto [content, spanTags] = collector.Take();
    tags.insert(tags.end(), spanTags.begin(), spanTags.end());
    const QString text = RenderInlineMarkdown(content, MInlinePlace::Heading);
    const QString hashtags = HashtagsOf(tags, false);
    if (text.isEmpty())
        return hashtags.isEmpty() ? std::nullopt : std::optional<MBlock>(MBlock {{}, hashtags, {}, false, {}});
    const int level = element.name()[1] - '0';
    QString heading = QString(level, QLatin1Char('#')) + QLatin1Char(' ') + text;
    if (!hashtags.isEmpty())
        heading += QLatin1Char(' ') + hashtags;
    return MBlock {MBlock::Kind::Heading, heading, {}, false, {}};
}

pugi::xml_node MBlockWriter::CodeRun(const pugi::xml_node& first, unsigned formats, std::vector<MBlock>& blocks)
{
    QStringList lines;
    pugi::xml_node last = first;
    for (pugi::xml_node node = first; node; node = node.next_sibling()) {
        if (node.type() == pugi::node_pcdata && PageText(node.value()).trimmed().isEmpty())
            continue;
        if (node.type() != pugi::node_element || LowerName(node) != LowerName(first) || !IsCodeParagraph(node, formats))
            break;
        lines << CodeLine(node).split(QLatin1Char('\n'));
        last = node;
    }
    if (const QString code = FencedCode(lines); !code.isEmpty())
        blocks.push_back(MBlock {MBlock::Kind::Code, code, {}, false, {}});
    return last;
}
