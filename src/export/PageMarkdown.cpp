#include "PageMarkdown.h"

#include "MarkdownBlocks.h"
#include "MarkdownText.h"
#include "tasks/PageXml.h"
#include "util/HtmlText.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace {

pugi::xml_node FirstElement(const pugi::xml_node& root, const char* name)
{
    return root.find_node([name](const pugi::xml_node& n) {
        return n.type() == pugi::node_element && LowerName(n) == QLatin1String(name);
    });
}

// "120px" gives 120; the unit is the same for every outline of a page.
double Offset(const QString& style, const QString& name)
{
    QString value = StyleProperty(style, name);
    while (!value.isEmpty() && value.back().isLetter())
        value.chop(1);
    return value.toDouble();
}

// Outlines placed anywhere on the page read top to bottom, then left to right. What carries no
// position of its own stays after the element before it.
std::vector<pugi::xml_node> ReadingOrder(const pugi::xml_node& body)
{
    struct MPlaced
    {
        pugi::xml_node node;
        double top;
        double left;
    };
    std::vector<MPlaced> placed;
    double top = -1e9;
    double left = -1e9;
    for (pugi::xml_node child = body.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            if (child.type() == pugi::node_pcdata && !PageText(child.value()).trimmed().isEmpty())
                placed.push_back({child, top, left});
            continue;
        }
        const QString style = PageAttribute(child, "style");
        if (StyleProperty(style, QStringLiteral("position")).compare(QLatin1String("absolute"), Qt::CaseInsensitive)
            == 0) {
            top = Offset(style, QStringLiteral("top"));
            left = Offset(style, QStringLiteral("left"));
        }
        placed.push_back({child, top, left});
    }
    std::stable_sort(placed.begin(), placed.end(),
        [](const MPlaced& a, const MPlaced& b) { return a.top < b.top || (a.top == b.top && a.left < b.left); });
    std::vector<pugi::xml_node> nodes;
    for (const MPlaced& p : placed)
        nodes.push_back(p.node);
    return nodes;
}

std::vector<MBlock> BodyBlocks(const pugi::xml_node& body, MBlockWriter& writer)
{
    const unsigned formats = ElementFormats(body, 0);
    if (PageAttribute(body, "data-absolute-enabled").compare(QLatin1String("true"), Qt::CaseInsensitive) != 0)
        return writer.Blocks(body, formats);
    std::vector<MBlock> blocks;
    QSet<size_t> done;
    for (const pugi::xml_node& node : ReadingOrder(body)) {
        if (done.contains(node.hash_value()))
            continue;
        if (node.type() == pugi::node_element && IsBlockElement(LowerName(node))) {
            const pugi::xml_node last = writer.AddBlock(node, formats, blocks);
            for (pugi::xml_node n = node; n != last; n = n.next_sibling())
                done.insert(n.next_sibling().hash_value());
            continue;
        }
        MInlineCollector collector(writer.Context());
        collector.AddNode(node, formats);
        auto [content, tags] = collector.Take();
        if (std::optional<MBlock> block = ParagraphBlock(content, tags))
            blocks.push_back(*block);
    }
    return blocks;
}

QString YamlDate(const QString& date)
{
    static const QRegularExpression plain(QStringLiteral("^[0-9][0-9:.TZ+-]*$"));
    return plain.match(date).hasMatch() ? date : YamlQuoted(date);
}

QString FrontMatter(const MMarkdownPage& page, const QStringList& tags)
{
    QString out = QStringLiteral("---\ntitle: ") + YamlQuoted(page.title) + QLatin1Char('\n');
    if (!page.created.isEmpty())
        out += QStringLiteral("created: ") + YamlDate(page.created) + QLatin1Char('\n');
    if (!page.modified.isEmpty())
        out += QStringLiteral("modified: ") + YamlDate(page.modified) + QLatin1Char('\n');
    if (!page.clientUrl.isEmpty())
        out += QStringLiteral("onenote: ") + YamlQuoted(page.clientUrl) + QLatin1Char('\n');
    if (!page.webUrl.isEmpty())
        out += QStringLiteral("onenote-web: ") + YamlQuoted(page.webUrl) + QLatin1Char('\n');
    if (!tags.isEmpty())
        out += QStringLiteral("tags:\n  - ") + tags.join(QStringLiteral("\n  - ")) + QLatin1Char('\n');
    return out + QStringLiteral("---\n");
}

// A page that does not parse still gives its words, one paragraph a line.
QString PlainMarkdown(const QString& html)
{
    QStringList paragraphs;
    for (const QString& line : StripHtmlToText(html).split(QLatin1Char('\n'))) {
        const QString text = line.simplified();
        if (!text.isEmpty())
            paragraphs << EscapeLineStart(EscapeMarkdownText(text));
    }
    return paragraphs.join(QStringLiteral("\n\n"));
}

} // namespace

bool IsOneNoteLink(const QString& target)
{
    const QString lower = target.trimmed().toLower();
    return lower.startsWith(QLatin1String("onenote:")) || lower.contains(QLatin1String("page-id="))
        || lower.contains(QLatin1String("section-id=")) || lower.contains(QLatin1String("wd=target"))
        || lower.contains(QLatin1String("/onenote.aspx")) || lower.contains(QLatin1String("onenote.com/"));
}

MMarkdownResult ConvertPageHtmlToMarkdown(
    const QString& html, const MMarkdownPage& page, const MMarkdownTargets& targets)
{
    MMarkdownContext context(targets);
    MMarkdownPage meta = page;
    // The ampersand protection turns a no-break space of the page into "&"; written as a reference
    // it comes through.
    QString source = html;
    source.replace(QChar(0xA0), QStringLiteral("&#160;"));
    pugi::xml_document document;
    QString body;
    if (!ParseProtectedPageHtml(source, document)) {
        context.Result().wellFormed = false;
        body = PlainMarkdown(html);
    } else {
        const pugi::xml_node title = FirstElement(document, "title");
        if (meta.title.isEmpty())
            meta.title = PageWholeText(title).simplified();
        context.AddPageTags(ParseNoteTags(PageAttribute(title, "data-tag")));
        if (meta.created.isEmpty())
            for (pugi::xml_node m = FirstElement(document, "head").first_child(); m; m = m.next_sibling())
                if (LowerName(m) == QLatin1String("meta")
                    && PageAttribute(m, "name").compare(QLatin1String("created"), Qt::CaseInsensitive) == 0)
                    meta.created = PageAttribute(m, "content").trimmed();
        const pugi::xml_node bodyElement = FirstElement(document, "body");
        MBlockWriter writer(context);
        body = JoinBlocks(BodyBlocks(bodyElement ? bodyElement : document.document_element(), writer));
    }
    MMarkdownResult result = std::move(context.Result());
    result.markdown = FrontMatter(meta, context.PageTags());
    if (!body.isEmpty())
        result.markdown += QLatin1Char('\n') + body + QLatin1Char('\n');
    return result;
}
