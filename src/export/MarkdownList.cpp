#include "MarkdownBlocks.h"
#include "MarkdownText.h"
#include "tasks/PageXml.h"

namespace {

bool IsList(const pugi::xml_node& node)
{
    const QString name = LowerName(node);
    return name == QLatin1String("ul") || name == QLatin1String("ol");
}

qint64 NumberAttribute(const pugi::xml_node& element, const char* name, qint64 fallback)
{
    bool ok = false;
    const qint64 value = PageAttribute(element, name).trimmed().toLongLong(&ok);
    return ok && value >= 0 ? value : fallback;
}

} // namespace

MBlock MBlockWriter::List(const pugi::xml_node& list, unsigned formats)
{
    MBlock block;
    block.kind = MBlock::Kind::List;
    block.ordered = LowerName(list) == QLatin1String("ol");
    // A tag on the list is every item's tag.
    const std::vector<MNoteTag> listTags = ParseNoteTags(PageAttribute(list, "data-tag"));
    const unsigned listFormats = ElementFormats(list, formats);
    qint64 number = NumberAttribute(list, "start", 1);
    pugi::xml_node item;
    std::vector<pugi::xml_node> nested;
    auto flush = [&] {
        if (!item && nested.empty())
            return;
        if (item)
            number = NumberAttribute(item, "value", number);
        block.items.push_back(
            Item(item, nested, listFormats, listTags, block.ordered ? QString::number(number) : QString()));
        ++number;
        item = {};
        nested.clear();
    };
    for (pugi::xml_node child = list.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (LowerName(child) == QLatin1String("li")) {
            flush();
            item = child;
        } else if (IsList(child)) {
            nested.push_back(child);
        }
    }
    flush();
    return block;
}

// `nested` are the lists that follow the item in its list rather than sit in it: its children still.
MListItem MBlockWriter::Item(const pugi::xml_node& item, const std::vector<pugi::xml_node>& nested, unsigned formats,
    const std::vector<MNoteTag>& listTags, QString number)
{
    std::vector<MNoteTag> tags = item ? ParseNoteTags(PageAttribute(item, "data-tag")) : std::vector<MNoteTag>();
    if (tags.empty())
        tags = listTags;
    m_Context.AddPageTags(tags);
    std::vector<MBlock> blocks = item ? Blocks(item, ElementFormats(item, formats)) : std::vector<MBlock>();
    for (const pugi::xml_node& list : nested)
        AddBlock(list, formats, blocks);
    std::optional<bool> task = TaskOf(tags);
    QString first;
    size_t rest = 0;
    if (!blocks.empty() && blocks.front().kind == MBlock::Kind::Paragraph) {
        if (!task)
            task = blocks.front().task; // a to-do on a span of the item
        first = blocks.front().text;
        rest = 1;
    }
    const QString hashtags = HashtagsOf(tags, task.has_value());
    if (!hashtags.isEmpty())
        first = first.isEmpty() ? hashtags : first + QLatin1Char(' ') + hashtags;
    if (task)
        first = (*task ? QStringLiteral("[x] ") : QStringLiteral("[ ] ")) + first;
    const qsizetype width = number.size() + 2;
    MListItem listItem {number, IndentFollowingLines(first, width)};
    if (rest < blocks.size()) {
        const std::vector<MBlock> others(blocks.begin() + qsizetype(rest), blocks.end());
        const bool tight = first.isEmpty() || InterruptsParagraph(others.front());
        listItem.body += (tight ? QStringLiteral("\n") : QStringLiteral("\n\n")) + QString(width, QLatin1Char(' '))
            + IndentFollowingLines(JoinBlocks(others), width);
        if (first.isEmpty()) // the item's content starts on the line after its marker
            listItem.body.remove(0, 1 + width);
    }
    return listItem;
}
