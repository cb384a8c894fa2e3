#include "PageXml.h"

#include "model/MOLONUtils.h"
#include "util/HtmlText.h"

#include <sstream>

bool ParseProtectedPageHtml(const QString& html, pugi::xml_document& document)
{
    const QByteArray utf8 = ProtectAmpersands(html).toUtf8();
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata;
    const pugi::xml_parse_result result
        = document.load_buffer(utf8.constData(), size_t(utf8.size()), options, pugi::encoding_utf8);
    return bool(result) && document.document_element();
}

QString XmlText(const char* utf8)
{
    return QString::fromUtf8(utf8 ? utf8 : "");
}

QString LowerName(const pugi::xml_node& node)
{
    return QString::fromUtf8(node.name()).toLower();
}

QString SerializeProtected(const pugi::xml_document& document)
{
    std::ostringstream out;
    document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return QString::fromStdString(out.str());
}

QString SerializeUnprotected(const pugi::xml_document& document)
{
    return UnprotectAmpersands(SerializeProtected(document));
}

namespace {

void AppendText(const pugi::xml_node& node, QString& text)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text += XmlText(child.value());
        else if (child.type() == pugi::node_element)
            AppendText(child, text);
    }
}

} // namespace

QString XmlWholeText(const pugi::xml_node& node)
{
    QString text;
    AppendText(node, text);
    return text;
}

QString ReadableXmlText(const QString& protectedText)
{
    return StripHtmlToText(UnprotectAmpersands(protectedText));
}
