#include "export/PageMarkdown.h"
#include "export/MarkdownPageIndex.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>

namespace {

// Pages written the way the service writes them: the head with title and created time, the body
// absolutely positioned, every outline a div with an id, paragraphs with their margins.
QString Outline(const QString& inner, int top = 120, int left = 48)
{
    return QStringLiteral("\t\t<div id=\"div:{7c6b2e4a-0d6e-4b0c-9f3e-5a1c2b3d4e5f}{%1}\" data-id=\"_default\" "
                          "style=\"position:absolute;left:%2px;top:%3px;width:624px\">\n%4\n\t\t</div>\n")
        .arg(top)
        .arg(left)
        .arg(top)
        .arg(inner);
}

QString ServicePage(const QString& outlines, const QString& title = QStringLiteral("Page"))
{
    return QStringLiteral("<html lang=\"en-US\">\n\t<head>\n\t\t<title>%1</title>\n"
                          "\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
                          "\t\t<meta name=\"created\" content=\"2015-07-22T09:00:00.0000000\" />\n\t</head>\n"
                          "\t<body data-absolute-enabled=\"true\" style=\"font-family:Calibri;font-size:11pt\">\n%2"
                          "\t</body>\n</html>\n")
        .arg(title, outlines);
}

// Where the export would put things: resources in the section's "_resources", one page of the
// export in a folder beside this one.
MMarkdownTargets Targets()
{
    static const MMarkdownPageIndex index = [] {
        MMarkdownPageIndex pages;
        pages.Add(QStringLiteral("onenote:https://d.docs.live.net/abc/Documents/Notebook/Section.one#Other&"
                                 "section-id={S1}&page-id={P2}&end"),
            {}, QStringLiteral("N/S/Sub folder/Other page.md"));
        return pages;
    }();
    MMarkdownTargets targets;
    targets.resourcePath = [](const MMarkdownResource& r) { return QStringLiteral("_resources/") + r.suggestedName; };
    targets.pagePath = index.LinksFrom(QStringLiteral("N/S/Page.md"));
    return targets;
}

QString BodyOf(const QString& markdown)
{
    const qsizetype end = markdown.indexOf(QLatin1String("\n---\n"));
    return end < 0 ? markdown : markdown.mid(end + 5).trimmed();
}

// The words a reader sees in HTML, in order: text, block edges as blanks, attached files by name.
// The page's note tags (as "#shape") are collected so a rendering may add them.
void CollectWords(xmlNode* node, QString& text, QSet<QString>& hashtags)
{
    static const QSet<QString> blocks {"p", "div", "li", "h1", "h2", "h3", "h4", "h5", "h6", "td", "th", "tr", "table",
        "br", "ul", "ol", "pre", "body", "hr"};
    for (xmlNode* n = node; n; n = n->next) {
        if (n->type == XML_TEXT_NODE) {
            text += QString::fromUtf8(reinterpret_cast<const char*>(n->content));
            continue;
        }
        if (n->type != XML_ELEMENT_NODE)
            continue;
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(n->name)).toLower();
        if (name == QLatin1String("head") || name == QLatin1String("title"))
            continue;
        auto attribute = [n](const char* key) {
            xmlChar* value = xmlGetProp(n, reinterpret_cast<const xmlChar*>(key));
            const QString result = value ? QString::fromUtf8(reinterpret_cast<const char*>(value)) : QString();
            xmlFree(value);
            return result;
        };
        for (const QString& tag : attribute("data-tag").split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            hashtags << QLatin1Char('#') + tag.trimmed().section(QLatin1Char(':'), 0, 0);
            hashtags << QLatin1Char('#') + tag.trimmed().replace(QLatin1Char(':'), QLatin1Char('-'));
        }
        const bool block = blocks.contains(name);
        text += block ? QStringLiteral(" ") : QString();
        if (name == QLatin1String("object"))
            text += QLatin1Char(' ') + attribute("data-attachment") + QLatin1Char(' ');
        CollectWords(n->children, text, hashtags);
        text += block ? QStringLiteral(" ") : QString();
    }
}

QStringList Words(const QString& html, QSet<QString>* hashtags = nullptr)
{
    const QByteArray utf8 = html.toUtf8();
    htmlDocPtr doc = htmlReadMemory(utf8.constData(), int(utf8.size()), nullptr, "UTF-8",
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    QString text;
    QSet<QString> tags;
    CollectWords(xmlDocGetRootElement(doc), text, tags);
    xmlFreeDoc(doc);
    if (hashtags)
        *hashtags = tags;
    return text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The Markdown as a CommonMark + GFM reader shows it.
std::optional<QString> RenderWithCmark(const QString& markdown)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("cmark-gfm"));
    if (program.isEmpty()) {
        ADD_FAILURE() << "cmark-gfm is not on PATH (Debian package cmark-gfm; scripts/install-deps installs it)";
        return std::nullopt;
    }
    QProcess cmark;
    cmark.start(program, {"--unsafe", "-e", "table", "-e", "strikethrough", "-e", "tasklist", "-e", "autolink"});
    cmark.write(markdown.toUtf8());
    cmark.closeWriteChannel();
    if (!cmark.waitForFinished(20000) || cmark.exitCode() != 0) {
        ADD_FAILURE() << "cmark-gfm failed: " << cmark.readAllStandardError().toStdString();
        return std::nullopt;
    }
    return QString::fromUtf8(cmark.readAllStandardOutput());
}

// Same words in the same order: what the page shows and what the Markdown shows, apart from the
// "#tag" words that stand for the page's note tags.
void ExpectSameWords(const QString& pageHtml, const QString& markdown, const char* readingOrder = nullptr)
{
    QSet<QString> hashtags;
    QStringList expected = Words(pageHtml, &hashtags);
    if (readingOrder)
        expected = QString::fromUtf8(readingOrder).split(QLatin1Char(' '));
    const std::optional<QString> rendered = RenderWithCmark(BodyOf(markdown));
    if (!rendered)
        return;
    QStringList actual = Words(*rendered);
    actual.removeIf([&](const QString& word) { return hashtags.contains(word); });
    EXPECT_EQ(actual.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString())
        << "Markdown:\n"
        << BodyOf(markdown).toStdString() << "\nrendered:\n"
        << rendered->toStdString();
}

struct MCase
{
    const char* name;
    QString outlines;
    QString markdown; // the body after the front matter
    // The words in reading order where it is not the page's document order.
    const char* readingOrder = nullptr;
};

void PrintTo(const MCase& c, std::ostream* out)
{
    *out << c.name;
}

class PageMarkdownTest : public testing::TestWithParam<MCase>
{ };

TEST_P(PageMarkdownTest, WritesTheExpectedMarkdownAndAReaderSeesThePagesWords)
{
    const QString html = ServicePage(GetParam().outlines);
    const MMarkdownResult result = ConvertPageHtmlToMarkdown(html, {}, Targets());
    EXPECT_TRUE(result.wellFormed);
    EXPECT_EQ(BodyOf(result.markdown).toStdString(), GetParam().markdown.toStdString());
    ExpectSameWords(html, result.markdown, GetParam().readingOrder);
}

const MCase kCases[] = {
    {"DocumentedExample",
        Outline("<p id=\"p:{GUID}{8}\" data-tag=\"to-do:completed\" style=\"margin-top:0pt;margin-bottom:0pt\">"
                "Text&nbsp;&amp; more</p>\n"
                "<img id=\"img:{GUID}{9}\" width=\"320\" height=\"240\" alt=\"Harbour at dusk\" "
                "src=\"https://graph.microsoft.com/v1.0/me/onenote/resources/1-r!1-small/$value\" "
                "data-src-type=\"image/png\" "
                "data-fullres-src=\"https://graph.microsoft.com/v1.0/me/onenote/resources/1-r!1-full/$value\" "
                "data-fullres-src-type=\"image/jpeg\" />\n"
                "<object data-attachment=\"Report 2024.pdf\" type=\"application/pdf\" "
                "data=\"https://graph.microsoft.com/v1.0/me/onenote/resources/1-r!1-pdf/$value\" />"),
        QStringLiteral("- [x] Text\u00A0& more\n\n![Harbour at dusk](_resources/image-1.jpg)\n\n"
                       "[Report 2024.pdf](<_resources/Report 2024.pdf>)")},
    {"ListsThreeDeep",
        Outline("<ol><li>One</li><li>Two<ol style=\"list-style-type:lower-alpha\"><li>Two a</li><li>Two b"
                "<ol start=\"3\"><li style=\"list-style-type:lower-roman\">Deep iii</li>"
                "<li style=\"list-style-type:lower-roman\">Deep iv</li></ol></li></ol></li><li>Three</li></ol>\n"
                "<ul><li>Bullet</li><ul><li>Sub bullet</li></ul></ul>\n<ul><li>Second list</li></ul>"),
        QStringLiteral("1. One\n2. Two\n   1. Two a\n   2. Two b\n\n      3. Deep iii\n      4. Deep iv\n3. Three\n\n"
                       "- Bullet\n  - Sub bullet\n\n* Second list")},
    {"ToDosOnItemsParagraphsAndSpans",
        Outline("<p data-tag=\"to-do\">Buy milk</p>\n"
                "<p data-tag=\"to-do:completed\">Call <span style=\"font-weight:bold\">Anna</span></p>\n"
                "<ul><li data-tag=\"to-do:completed\">Packed</li><li data-tag=\"to-do\">Ticket</li></ul>\n"
                "<p><span data-tag=\"to-do\">Span task</span></p>\n"
                "<p data-tag=\"important\">Key point</p>\n<p data-tag=\"to-do, critical\">Both</p>"),
        QStringLiteral("- [ ] Buy milk\n- [x] Call **Anna**\n\n* [x] Packed\n* [ ] Ticket\n\n- [ ] Span task\n\n"
                       "Key point #important\n\n- [ ] Both #critical")},
    {"TablesInlineMergedAndWithBlocks",
        Outline("<table style=\"border:1px solid;border-collapse:collapse\"><tr><td style=\"border:1px solid\">"
                "<p>A | B</p></td><td style=\"border:1px solid\">x*y</td></tr><tr><td><p><a "
                "href=\"https://example.com/a_b\">link</a></p></td><td><p><span style=\"font-family:Consolas\">"
                "a|b</span></p></td></tr></table>\n"
                "<table><tr><td><p>Name</p></td><td><p>Qty</p></td></tr><tr><td colspan=\"2\"><p>Merged "
                "<span style=\"font-weight:bold\">cell</span> &amp; more</p></td></tr></table>\n"
                "<table><tr><td><p>Steps</p></td><td><ul><li>first</li><li data-tag=\"to-do\">second</li></ul>"
                "<p>Done</p></td></tr></table>"),
        QStringLiteral("| A \\| B | x\\*y |\n| --- | --- |\n| [link](https://example.com/a_b) | `a\\|b` |\n\n"
                       "<table>\n<tr><td><p>Name</p></td><td><p>Qty</p></td></tr>\n"
                       "<tr><td colspan=\"2\"><p>Merged <strong>cell</strong> &amp; more</p></td></tr>\n</table>\n\n"
                       "<table>\n<tr><td><p>Steps</p></td><td><ul><li>first</li><li>"
                       "<input type=\"checkbox\" disabled=\"\" /> second</li></ul><p>Done</p></td></tr>\n</table>")},
    {"ConsolasRunIsFencedCode",
        Outline("<p>Before</p>\n"
                "<p style=\"font-family:Consolas;margin-top:0pt;margin-bottom:0pt\">int main() {</p>\n"
                "<p style=\"font-family:Consolas;margin-top:0pt;margin-bottom:0pt\">&#160;&#160;&#160; "
                "return a*b; // ```x```</p>\n"
                "<p style=\"margin-top:0pt;margin-bottom:0pt\"><span style=\"font-family:Consolas\">}</span></p>\n"
                "<p>After with <span style=\"font-family:'Courier New'\">inline_code</span>.</p>"),
        QStringLiteral("Before\n\n````\nint main() {\n    return a*b; // ```x```\n}\n````\n\n"
                       "After with `inline_code`.")},
    {"HeadingsWithInlineStyles",
        Outline("<h1 style=\"font-size:16pt;color:#1e4e79;margin-top:0pt;margin-bottom:0pt\">Plan <span "
                "style=\"font-style:italic\">2024</span></h1>\n"
                "<h2 style=\"font-weight:bold;font-style:italic;margin-top:0pt\">Whole italic</h2>\n"
                "<h3 data-tag=\"important\">Starred #3</h3>\n"
                "<p><span style=\"font-weight:bold\">bold </span><span style=\"font-style:italic\">italic</span> "
                "<span style=\"text-decoration:line-through\">gone</span> <span "
                "style=\"font-weight:bold;font-style:italic\">both</span> <b>Note:</b>next "
                "x<sup>2</sup></p>"),
        QStringLiteral("# Plan *2024*\n\n## *Whole italic*\n\n### Starred \\#3 #important\n\n"
                       "**bold** *italic* ~~gone~~ **_both_** <strong>Note:</strong>next x<sup>2</sup>")},
    {"NoBreakSpacesEscapesAndScripts",
        Outline("<p>&#160;</p>\n<p style=\"margin-top:0pt\">&nbsp;&#160;</p>\n"
                "<p>Price:&#160;5 * 3 = 15 #1 [note] a_b _c_ &lt;tag&gt; |pipe| ~x~ &amp;amp; \\path `q`</p>\n"
                "<p>1. Not a list</p>\n<p>- not a bullet</p>\n<p>&gt; not a quote</p>\n<p>typed\u00A0no-break</p>\n"
                "<p>\u65e5\u672c\u8a9e\u306e<span style=\"font-weight:bold\">\u300c\u91cd\u8981\u300d</span>"
                "\u30c6\u30ad\u30b9\u30c8\u060c \u0645\u0631\u062d\u0628\u0627 \U0001F600 "
                "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac</p>"),
        QStringLiteral("Price:\u00A05 \\* 3 = 15 \\#1 \\[note\\] a_b \\_c\\_ \\<tag> \\|pipe\\| \\~x\\~ \\&amp; "
                       "\\\\path \\`q\\`\n\n1\\. Not a list\n\n\\- not a bullet\n\n\\> not a quote\n\n"
                       "typed\u00A0no-break\n\n"
                       "\u65e5\u672c\u8a9e\u306e<strong>\u300c\u91cd\u8981\u300d</strong>"
                       "\u30c6\u30ad\u30b9\u30c8\u060c \u0645\u0631\u062d\u0628\u0627 \U0001F600 "
                       "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac")},
    {"LinksBetweenPagesAndAttribution",
        Outline("<p><a href=\"onenote:https://d.docs.live.net/abc/Documents/Notebook/Section.one#Other&amp;"
                "section-id={S1}&amp;page-id={P2}&amp;end\">Other page</a> and <a "
                "href=\"onenote:https://d.docs.live.net/abc/Documents/Notebook/Far.one#Far&amp;section-id={S9}&amp;"
                "page-id={P9}&amp;end\">Far page</a>, <a href=\"https://example.com/x (1)\">web</a></p>\n"
                "<cite style=\"font-size:9pt;color:#595959\">From &lt;<a "
                "href=\"https://en.wikipedia.org/wiki/Lisbon\">https://en.wikipedia.org/wiki/Lisbon</a>&gt;</cite>"),
        QStringLiteral("[Other page](<Sub folder/Other page.md>) and [Far page](onenote:https://d.docs.live.net/abc/"
                       "Documents/Notebook/Far.one#Far&section-id={S9}&page-id={P9}&end), "
                       "[web](<https://example.com/x (1)>)\n\n"
                       "*From \\<[https://en.wikipedia.org/wiki/Lisbon](https://en.wikipedia.org/wiki/Lisbon)>*")},
    {"OutlinesInReadingOrder",
        Outline("<p>Third, below</p>", 300, 48) + Outline("<p>Second, right</p>", 120, 400)
            + Outline("<p>First</p>", 120, 48)
            + QStringLiteral("<img style=\"position:absolute;left:48px;top:200px\" alt=\"Map\" "
                             "src=\"https://graph.microsoft.com/v1.0/me/onenote/resources/1-m/$value\" "
                             "data-src-type=\"image/gif\" />\n"),
        QStringLiteral("First\n\nSecond, right\n\n![Map](_resources/image-1.gif)\n\nThird, below"),
        "First Second, right Third, below"},
};

INSTANTIATE_TEST_SUITE_P(Pages, PageMarkdownTest, testing::ValuesIn(kCases),
    [](const testing::TestParamInfo<MCase>& param) { return std::string(param.param.name); });

TEST(PageMarkdownFrontMatterTest, HoldsTheTitleAsWrittenThePagesLinksAndItsTags)
{
    const MMarkdownPage page {QStringLiteral("Q3: \"Plan\" / <draft> #1 | a\\b *x*?\t"),
        QStringLiteral("2015-07-22T09:00:00Z"), QStringLiteral("2016-01-02T03:04:05Z"),
        QStringLiteral("onenote:https://d.docs.live.net/abc/Documents/N/S.one#Q3&section-id={S1}&page-id={P1}&end"),
        QStringLiteral("https://onedrive.live.com/redir.aspx?cid=abc&resid=ABC!1&wd=target(S.one|S1/Q3|P1/)")};
    const QString far = QStringLiteral("onenote:https://d.docs.live.net/abc/Documents/N/Far.one#F&page-id={P9}&end");
    const QString image
        = QStringLiteral("<img src=\"https://graph.microsoft.com/v1.0/me/onenote/resources/1-i/$value\" "
                         "data-src-type=\"image/png\" />");
    const QString html
        = ServicePage(Outline("<p data-tag=\"to-do\">Pack</p><p data-tag=\"important, question\">Why <a href=\"" + far
                          + "\">far</a> and <a href=\"" + far + "\">again</a></p>" + image + image
                          + "<object data-attachment=\"../../etc/passwd\" data=\"https://x/resources/1-o/$value\" />"),
            QStringLiteral("Title &amp; ignored"));
    const MMarkdownResult result = ConvertPageHtmlToMarkdown(html, page, Targets());
    EXPECT_TRUE(result.markdown.startsWith(
        QStringLiteral("---\ntitle: \"Q3: \\\"Plan\\\" / <draft> #1 | a\\\\b *x*?\\t\"\ncreated: 2015-07-22T09:00:00Z\n"
                       "modified: 2016-01-02T03:04:05Z\nonenote: \"")
        + page.clientUrl + QStringLiteral("\"\nonenote-web: \"") + page.webUrl
        + QStringLiteral("\"\ntags:\n  - to-do\n  - important\n  - question\n---\n\n- [ ] Pack\n\n")))
        << result.markdown.toStdString();
    EXPECT_EQ(result.outsideLinks, QStringList {far});
    ASSERT_EQ(result.resources.size(), 2u); // the image shown twice is saved once
    EXPECT_EQ(result.resources[0].path, QStringLiteral("_resources/image-1.png"));
    EXPECT_FALSE(result.resources[1].suggestedName.contains(QLatin1Char('/'))); // one name, no path

    // What the caller leaves empty comes from the page; a resource without a path keeps its address.
    MMarkdownTargets none;
    const MMarkdownResult bare = ConvertPageHtmlToMarkdown(html, {}, none);
    EXPECT_TRUE(bare.markdown.startsWith(
        QStringLiteral("---\ntitle: \"Title & ignored\"\ncreated: 2015-07-22T09:00:00.0000000\ntags:")));
    EXPECT_TRUE(bare.markdown.contains(
        QStringLiteral("![](https://graph.microsoft.com/v1.0/me/onenote/resources/1-i/$value)")));
    EXPECT_TRUE(bare.resources.empty());
}

TEST(PageMarkdownFallbackTest, APageThatIsNotXmlStillGivesItsText)
{
    const MMarkdownResult result
        = ConvertPageHtmlToMarkdown(QStringLiteral("<html><body><p>a<br>1. b &amp; *c*</p></body></html>"), {}, {});
    EXPECT_FALSE(result.wellFormed);
    EXPECT_EQ(BodyOf(result.markdown), QStringLiteral("a1. b & \\*c\\*"));
}

// Formats in every mix, around text that starts and ends with punctuation, symbols, blanks and
// scripts: whatever delimiters the converter picks, a reader sees the same words.
TEST(PageMarkdownEmphasisTest, AnyMixOfFormatsReadsBackAsTheSameWords)
{
    const QStringList pieces {"word", " ", "a b", "(x)", "*", "_", "x_y", "\u300c\u91cd\u300d", "\U0001F600", "!", ".",
        "1.", "-", "#", "[", "]", "`", "~", "&amp;", "\u00e9t\u00e9", "&#160;", ":", "\u0645\u0631", "\\", "<br/>",
        "+ ", "> "};
    const QStringList styles {"font-weight:bold", "font-style:italic", "text-decoration:line-through",
        "font-family:Consolas", "font-weight:bold;font-style:italic", "font-weight:normal"};
    QRandomGenerator random(29);
    QString outline;
    for (int p = 0; p < 400; ++p) {
        outline += QStringLiteral("<p>");
        for (int span = 1 + random.bounded(5); span > 0; --span) {
            QString text;
            for (int k = 1 + random.bounded(3); k > 0; --k)
                text += pieces[random.bounded(pieces.size())];
            const int kind = random.bounded(int(styles.size()) + 3);
            if (kind < styles.size())
                outline += QStringLiteral("<span style=\"%1\">%2</span>").arg(styles[kind], text);
            else if (kind == styles.size())
                outline += QStringLiteral("<a href=\"https://example.com/p\">%1</a>").arg(text);
            else if (kind == styles.size() + 1)
                outline += QStringLiteral("<b><i>%1</i>%1</b>").arg(text);
            else
                outline += text;
        }
        outline += QStringLiteral("</p>\n");
    }
    const QString html = ServicePage(Outline(outline));
    ExpectSameWords(html, ConvertPageHtmlToMarkdown(html, {}, {}).markdown);
}

TEST(MarkdownPageIndexTest, FindsAnExportedPageByAnyLinkToItRelativeToTheLinkingPage)
{
    MMarkdownPageIndex index;
    const QString web = QStringLiteral("https://onedrive.live.com/redir.aspx?cid=c&resid=R!2&"
                                       "wd=target%28S.one%7C%7B5E1%7D%2FOther%7C%7BA1B2-C3%7D%2F%29");
    index.Add(QStringLiteral("onenote:https://d/N/S.one#Other&section-id={5E1}&page-id={A1B2-C3}&end"), web,
        QStringLiteral("N/S/Other.md"));
    index.Add(QStringLiteral("onenote:https://d/N/S.one#Child&section-id={5E1}&page-id={D4}&end"), {},
        QStringLiteral("N/S/Parent/Child.md"));
    const struct
    {
        const char* from;
        const char* target;
        const char* file; // nullptr: outside the export
    } rows[] = {
        {"N/S/Parent.md", "onenote:https://d/N/S.one#x&amp;section-id={5E1}&amp;page-id={a1b2-c3}&amp;end", "Other.md"},
        {"N/S/Parent.md", "", nullptr},
        {"N/S/Parent/Child.md",
            "https://onedrive.live.com/redir.aspx?cid=c&resid=R!2&wd=target%28S.one%7C%7B5E1%7D"
            "%2FOther%7C%7BA1B2-C3%7D%2F%29",
            "../Other.md"},
        {"N/T/Deep/Page.md",
            "https://contoso.sharepoint.com/_layouts/OneNote.aspx?id=/N&wd=target(S.one|5E1/"
            "Other|A1B2-C3/)",
            "../../S/Other.md"},
        {"N/S/Parent.md", "onenote:https://d/N/S.one#Child&section-id={5E1}&page-id={D4}&end", "Parent/Child.md"},
        {"N/S/Parent.md", "onenote:https://d/N/S.one#Gone&section-id={5E1}&page-id={FF}&end", nullptr},
        {"N/S/Parent.md", "https://example.com/?wd=target(plain)", nullptr},
    };
    for (const auto& row : rows) {
        const std::optional<QString> file = index.LinksFrom(QString::fromUtf8(row.from))(QString::fromUtf8(row.target));
        EXPECT_EQ(file, row.file ? std::optional<QString>(QString::fromUtf8(row.file)) : std::nullopt) << row.target;
    }
}

} // namespace
