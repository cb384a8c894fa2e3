#include "PageText.h"

#include "model/MOLONUtils.h"
#include "tasks/PageXml.h"
#include "util/HtmlText.h"
#include "util/TextUtils.h"

#include <QStringList>

namespace {

const QString kIndentUnit = QStringLiteral("    ");
const QString kTitleSeparator = QStringLiteral("\n------------------------------------------------------\n");

// Blanks and tabs only: the line feeds of the page's own whitespace stay.
QString TrimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

bool IsBlockElement(const QString& name)
{
    static const QStringList blocks {QStringLiteral("h1"), QStringLiteral("h2"), QStringLiteral("h3"),
        QStringLiteral("h4"), QStringLiteral("h5"), QStringLiteral("h6"), QStringLiteral("p")};
    return blocks.contains(name);
}

void AppendElement(const pugi::xml_node& child, int indent, const QString& indentText, QString& result)
{
    const QString name = LowerName(child);
    if (name == QLatin1String("title")) {
        result += ConvertOnlineHtml2PlainText_Recurse(child, indent) + kTitleSeparator;
    } else if (name == QLatin1String("meta")) {
        const QString date = GetPageDateTimeFromMeta(child);
        if (!date.isEmpty())
            result += date + QStringLiteral("\n\n");
    } else if (name == QLatin1String("span")) {
        const QString s = ConvertOnlineHtml2PlainText_Recurse(child, indent);
        if (StringEndsWith(QStringLiteral(" "), result) || StringStartsWith(QStringLiteral(" "), s))
            result += TrimBlanks(s);
        else
            result += QLatin1Char(' ') + s + QLatin1Char(' ');
    } else if (name == QLatin1String("br")) {
        result += QLatin1Char('\n');
    } else if (IsBlockElement(name)) {
        result += ConvertOnlineHtml2PlainText_Recurse(child, indent) + QLatin1Char('\n');
    } else if (name == QLatin1String("li")) {
        result += indentText + ConvertOnlineHtml2PlainText_Recurse(child, indent) + QLatin1Char('\n');
    } else if (name == QLatin1String("ul") || name == QLatin1String("ol")) {
        // The list raises the level and its items use the raised level, so a top-level item is
        // already indented by one unit.
        result += ConvertOnlineHtml2PlainText_Recurse(child, indent + 1);
    } else {
        result += ConvertOnlineHtml2PlainText_Recurse(child, indent);
    }
}

} // namespace

QString ConvertOnlineHtml2PlainText(const QString& html, const QString&)
{
    if (html.isEmpty())
        return QString();
    pugi::xml_document document;
    if (!ParseProtectedPageHtml(html, document))
        return StripHtmlToText(html);
    return ConvertOnlineHtml2PlainText_Recurse(document.document_element(), 0);
}

QString ConvertOnlineHtml2PlainText_Recurse(const pugi::xml_node& node, int indent)
{
    if (!node.first_child())
        return QString();
    const QString indentText = indent > 0 ? kIndentUnit.repeated(indent) : QString();
    QString result;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        switch (child.type()) {
        case pugi::node_pcdata:
        case pugi::node_cdata:
            result += StripHtmlToText(UnprotectAmpersands(XmlText(child.value())));
            break;
        case pugi::node_element:
            AppendElement(child, indent, indentText, result);
            break;
        default:
            break;
        }
    }
    return result;
}

QString GetPageDateTimeFromMeta(const pugi::xml_node& meta)
{
    const pugi::xml_attribute name = meta.attribute("name");
    const pugi::xml_attribute content = meta.attribute("content");
    if (!name || !content)
        return QString();
    if (!StringEqualsIgnoreCase(XmlText(name.value()), QStringLiteral("created")))
        return QString();
    QString date = XmlText(content.value());
    date.replace(QLatin1Char('T'), QLatin1Char(' ')).remove(QStringLiteral(".0000000"));
    return date;
}
