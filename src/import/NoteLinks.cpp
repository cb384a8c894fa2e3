#include "NoteLinks.h"

#include "model/MOLONUtils.h"
#include "tasks/PageXml.h"
#include "util/HtmlText.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <sstream>

namespace {

// The path part of a relative link to an HTML file, percent-decoded; "" for any other link.
QString RelativeHtmlPath(const QString& href)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (href.isEmpty() || href.startsWith(QLatin1Char('#')) || href.startsWith(QLatin1Char('/'))
        || href.startsWith(QLatin1Char('\\')) || scheme.match(href).hasMatch())
        return QString();
    QString path = href.left(href.indexOf(QRegularExpression(QStringLiteral("[?#]"))));
    if (path.isEmpty())
        path = href;
    path = QUrl::fromPercentEncoding(path.toUtf8());
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm") ? path : QString();
}

// The elements a change may replace whole, by their generated id. A div is one only inside another
// element: a div right under the body is a positioned outline, which takes appends only.
bool Replaceable(const pugi::xml_node& node)
{
    static const QSet<QString> names {QStringLiteral("p"), QStringLiteral("li"), QStringLiteral("h1"),
        QStringLiteral("h2"), QStringLiteral("h3"), QStringLiteral("h4"), QStringLiteral("h5"), QStringLiteral("h6"),
        QStringLiteral("table")};
    const QString name = LowerName(node);
    if (!node.attribute("id"))
        return false;
    if (name == QLatin1String("div"))
        return LowerName(node.parent()) != QLatin1String("body");
    return names.contains(name);
}

// Pictures and files in a page as read are addresses of the service's resources, which a change
// cannot send back: an element holding one is not replaced.
bool HoldsResources(const pugi::xml_node& node)
{
    return bool(node.find_node([](const pugi::xml_node& n) {
        const QString name = LowerName(n);
        return name == QLatin1String("img") || name == QLatin1String("object") || name == QLatin1String("iframe");
    }));
}

void RemoveIds(pugi::xml_node node)
{
    node.remove_attribute("id");
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            RemoveIds(child);
}

QString OuterXml(const pugi::xml_node& node)
{
    std::ostringstream out;
    node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
    return UnprotectAmpersands(QString::fromStdString(out.str()));
}

bool IsInside(pugi::xml_node node, const pugi::xml_node& ancestor)
{
    for (node = node.parent(); node; node = node.parent())
        if (node == ancestor)
            return true;
    return false;
}

} // namespace

MNoteLinkKind NoteLinkKindOf(const QString& href)
{
    static const QRegularExpression evernote(
        QStringLiteral("^(evernote:///view/|https?://(www\\.)?evernote\\.com/shard/[^/]+/nl/)"),
        QRegularExpression::CaseInsensitiveOption);
    if (evernote.match(href).hasMatch())
        return MNoteLinkKind::Evernote;
    return RelativeHtmlPath(href).isEmpty() ? MNoteLinkKind::None : MNoteLinkKind::LocalFile;
}

QString LinkedFilePath(const QString& href, const QString& fromFile)
{
    const QString path = RelativeHtmlPath(href);
    if (path.isEmpty() || fromFile.isEmpty())
        return QString();
    return QDir::cleanPath(QFileInfo(fromFile).absoluteDir().absoluteFilePath(path));
}

bool HoldsNoteLinks(const QString& html, const QString& fromFile)
{
    static const QRegularExpression href(QStringLiteral("<a\\s[^>]*?href\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"),
        QRegularExpression::CaseInsensitiveOption);
    for (auto it = href.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const MNoteLinkKind kind = NoteLinkKindOf(DecodeHtmlEntities(m.captured(1) + m.captured(2)));
        if (kind == MNoteLinkKind::Evernote || (kind == MNoteLinkKind::LocalFile && !fromFile.isEmpty()))
            return true;
    }
    return false;
}

MPageRelink RelinkPage(const QString& content, const MLinkResolver& resolve)
{
    MPageRelink relink;
    pugi::xml_document document;
    // The parse's ampersand protection turns no-break spaces into ampersands on the way back: written
    // as references, they come back as they were.
    QString text = content;
    text.replace(QChar(0x00A0), QLatin1String("&#160;"));
    if (!ParseProtectedPageHtml(text, document)) {
        relink.readable = false;
        return relink;
    }
    const pugi::xpath_node_set anchors = document.select_nodes("//*[local-name()='a' or local-name()='A'][@href]");
    std::vector<pugi::xml_node> changed;
    for (const pugi::xpath_node& found : anchors) {
        pugi::xml_node anchor = found.node();
        const QString href = DecodeHtmlEntities(UnprotectAmpersands(XmlText(anchor.attribute("href").value())));
        const QString linkText = ReadableXmlText(XmlWholeText(anchor)).simplified();
        const MLinkVerdict verdict = resolve(href, linkText);
        if (verdict.kind == MLinkVerdict::Keep)
            continue;
        pugi::xml_node element = anchor.parent();
        while (element && element.type() == pugi::node_element && !Replaceable(element))
            element = element.parent();
        QString why;
        if (verdict.kind == MLinkVerdict::Ambiguous) {
            why = QStringLiteral("ambiguous");
            ++relink.ambiguous;
        } else if (verdict.kind == MLinkVerdict::NotFound) {
            why = QStringLiteral("notfound");
            ++relink.missing;
        } else if (!element || element.type() != pugi::node_element || HoldsResources(element)) {
            why = QStringLiteral("unchangeable");
        }
        if (!why.isEmpty()) {
            relink.left.append(MLeftLink {QString(), linkText, href, why});
            continue;
        }
        anchor.attribute("href").set_value(ProtectAmpersands(verdict.url).toUtf8().constData());
        ++relink.rewritten;
        if (std::find(changed.begin(), changed.end(), element) == changed.end())
            changed.push_back(element);
    }
    // A paragraph inside a changed list item goes with it.
    QJsonArray changes;
    for (const pugi::xml_node& element : changed) {
        if (std::any_of(changed.begin(), changed.end(),
                [&](const pugi::xml_node& other) { return other != element && IsInside(element, other); }))
            continue;
        const QString id = XmlText(element.attribute("id").value());
        RemoveIds(element);
        changes.append(QJsonObject {{QStringLiteral("target"), UnprotectAmpersands(id)},
            {QStringLiteral("action"), QStringLiteral("replace")}, {QStringLiteral("content"), OuterXml(element)}});
    }
    if (!changes.isEmpty())
        relink.changes = QJsonDocument(changes).toJson(QJsonDocument::Compact);
    return relink;
}
