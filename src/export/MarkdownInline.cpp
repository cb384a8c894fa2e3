#include "MarkdownInline.h"

#include "MarkdownText.h"
#include "tasks/PageXml.h"

namespace {

bool IsCollapsible(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
        || c == QLatin1Char('\f');
}

qsizetype LeadingBlanks(const QString& text)
{
    qsizetype n = 0;
    while (n < text.size() && text[n].isSpace())
        ++n;
    return n;
}

qsizetype TrailingBlanks(const QString& text)
{
    qsizetype n = 0;
    while (n < text.size() && text[text.size() - 1 - n].isSpace())
        ++n;
    return n;
}

bool IsText(const MInlineRun& run)
{
    return run.kind == MInlineRun::Kind::Text;
}

// No blank or break opens or closes a block's content.
void TrimEnds(std::vector<MInlineRun>& runs)
{
    auto empty = [](const MInlineRun& r) {
        return r.kind == MInlineRun::Kind::Break || (r.kind == MInlineRun::Kind::Text && r.text.isEmpty());
    };
    while (!runs.empty()) {
        if (empty(runs.back()))
            runs.pop_back();
        else if (IsText(runs.back()) && runs.back().text.back() == QLatin1Char(' '))
            runs.back().text.chop(1);
        else
            break;
    }
    while (!runs.empty() && empty(runs.front()))
        runs.erase(runs.begin());
}

// Emphasis cannot open before or close after a blank, so blanks at the edges of a formatted stretch
// move out of it, keeping only the formats the neighbour shares.
std::vector<MInlineRun> MoveBlanksOut(const std::vector<MInlineRun>& runs)
{
    std::vector<MInlineRun> out;
    for (size_t i = 0; i < runs.size(); ++i) {
        MInlineRun run = runs[i];
        if (!IsText(run) || run.formats == 0) {
            out.push_back(run);
            continue;
        }
        const unsigned before = !out.empty() && IsText(out.back()) ? out.back().formats : 0;
        const unsigned after = i + 1 < runs.size() && IsText(runs[i + 1]) ? runs[i + 1].formats : 0;
        const qsizetype lead = LeadingBlanks(run.text);
        if (lead > 0) {
            out.push_back({MInlineRun::Kind::Text, run.text.left(lead), run.formats & before, run.link, {}});
            run.text.remove(0, lead);
        }
        const qsizetype trail = TrailingBlanks(run.text);
        const QString tail = run.text.right(trail);
        run.text.chop(trail);
        if (!run.text.isEmpty())
            out.push_back(run);
        if (trail > 0)
            out.push_back({MInlineRun::Kind::Text, tail, run.formats & after, run.link, {}});
    }
    return out;
}

std::vector<MInlineRun> MergeRuns(const std::vector<MInlineRun>& runs)
{
    std::vector<MInlineRun> out;
    for (const MInlineRun& run : runs) {
        if (!out.empty() && IsText(run) && IsText(out.back()) && out.back().formats == run.formats
            && out.back().link == run.link)
            out.back().text += run.text;
        else
            out.push_back(run);
    }
    return out;
}

} // namespace

unsigned ElementFormats(const pugi::xml_node& element, unsigned formats)
{
    const QString name = LowerName(element);
    if (name == QLatin1String("b") || name == QLatin1String("strong"))
        formats |= kBold;
    else if (name == QLatin1String("i") || name == QLatin1String("em") || name == QLatin1String("cite"))
        formats |= kItalic;
    else if (name == QLatin1String("s") || name == QLatin1String("del") || name == QLatin1String("strike"))
        formats |= kStrike;
    else if (name == QLatin1String("sup"))
        formats |= kSuperscript;
    else if (name == QLatin1String("sub"))
        formats |= kSubscript;
    else if (name == QLatin1String("code") || name == QLatin1String("kbd") || name == QLatin1String("tt"))
        formats |= kCode;
    if (!*element.attribute("style").value())
        return formats;
    const MInlineStyle style = ParseInlineStyle(PageAttribute(element, "style"));
    auto apply = [&formats](const std::optional<bool>& on, unsigned bit) {
        if (on)
            formats = *on ? formats | bit : formats & ~bit;
    };
    apply(style.bold, kBold);
    apply(style.italic, kItalic);
    apply(style.code, kCode);
    if (style.strike)
        formats |= kStrike;
    return formats;
}

MInlineCollector::MInlineCollector(MMarkdownContext& context)
    : m_Context(context)
{ }

void MInlineCollector::AddChildren(const pugi::xml_node& element, unsigned formats)
{
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        AddNode(child, formats);
}

void MInlineCollector::AddNode(const pugi::xml_node& node, unsigned formats)
{
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
        AddText(PageText(node.value()), formats);
    else if (node.type() == pugi::node_element)
        AddElement(node, formats);
}

void MInlineCollector::AddElement(const pugi::xml_node& element, unsigned formats)
{
    const QString name = LowerName(element);
    if (const std::vector<MNoteTag> tags = ParseNoteTags(PageAttribute(element, "data-tag")); !tags.empty()) {
        m_Tags.insert(m_Tags.end(), tags.begin(), tags.end());
        m_Context.AddPageTags(tags);
    }
    std::vector<MInlineRun>& runs = m_Content.runs;
    if (name == QLatin1String("br")) {
        if (!runs.empty() && IsText(runs.back()) && runs.back().text.endsWith(QLatin1Char(' ')))
            runs.back().text.chop(1);
        runs.push_back({MInlineRun::Kind::Break, {}, formats, m_Link, {}});
    } else if (name == QLatin1String("img")) {
        const MLinkTarget image = m_Context.Image(element);
        if (!image.target.isEmpty())
            runs.push_back({MInlineRun::Kind::Image, PageAttribute(element, "alt"), formats & ~kCode, m_Link, image});
    } else if (name == QLatin1String("object")) {
        QString file;
        const MLinkTarget target = m_Context.Attachment(element, file);
        AddLinked(target, file, formats);
    } else if (name == QLatin1String("iframe")) {
        QString address = PageAttribute(element, "data-original-src");
        if (address.isEmpty())
            address = PageAttribute(element, "src");
        AddLinked({address, false}, address, formats);
    } else if (name == QLatin1String("a") && m_Link < 0 && !PageAttribute(element, "href").isEmpty()) {
        m_Content.links.push_back(m_Context.Link(PageAttribute(element, "href")));
        m_Link = int(m_Content.links.size()) - 1;
        AddChildren(element, ElementFormats(element, formats));
        m_Link = -1;
    } else if (name != QLatin1String("script") && name != QLatin1String("style") && name != QLatin1String("title")) {
        AddChildren(element, ElementFormats(element, formats));
    }
}

void MInlineCollector::AddLinked(const MLinkTarget& target, const QString& text, unsigned formats)
{
    if (target.target.isEmpty() || m_Link >= 0) {
        AddText(text, formats);
        return;
    }
    m_Content.links.push_back(target);
    m_Link = int(m_Content.links.size()) - 1;
    AddText(text, formats);
    m_Link = -1;
}

void MInlineCollector::AddText(const QString& text, unsigned formats)
{
    std::vector<MInlineRun>& runs = m_Content.runs;
    if (runs.empty() || !IsText(runs.back()) || runs.back().formats != formats || runs.back().link != m_Link)
        runs.push_back({MInlineRun::Kind::Text, {}, formats, m_Link, {}});
    // HTML's rule: a stretch of blanks and line feeds reads as one blank, none at a line's start.
    bool afterBlank = true;
    for (auto r = runs.rbegin() + 1; r != runs.rend() && afterBlank; ++r) {
        if (r->kind == MInlineRun::Kind::Image)
            afterBlank = false;
        else if (r->kind == MInlineRun::Kind::Break)
            break;
        else if (!r->text.isEmpty())
            afterBlank = r->text.back() == QLatin1Char(' ');
    }
    QString& out = runs.back().text;
    if (!out.isEmpty())
        afterBlank = out.back() == QLatin1Char(' ');
    for (const QChar c : text) {
        if (!IsCollapsible(c)) {
            out += c;
            afterBlank = false;
        } else if (!afterBlank) {
            out += QLatin1Char(' ');
            afterBlank = true;
        }
    }
}

MInlineCollector::MCollected MInlineCollector::Take()
{
    MCollected collected {std::move(m_Content), std::move(m_Tags)};
    m_Content = {};
    m_Tags.clear();
    m_Link = -1;
    std::vector<MInlineRun>& runs = collected.content.runs;
    runs = MergeRuns(runs);
    TrimEnds(runs);
    runs = MergeRuns(MoveBlanksOut(runs));
    return collected;
}
