// The PATCH of a page's content, by the rules of Microsoft's "Update OneNote page content": targets
// are the keyword "title" or "body" (the first div of the page), "#" and an element's data-id, or an
// element's generated id (without "#"); actions are replace, append, insert and prepend (append with
// position "before"), each allowed on the elements its table of supported elements and actions names.
//
// The stored page is the renderer's XHTML (or a fixture's verbatim copy of the service's): every "<"
// in it opens a tag, text and attribute values being escaped. A change is made as a splice of that
// text, so that what no change touched stays byte for byte as it was, ids included.
//
// "Generated id values might change after a page update, so you should get the current values before
// building a PATCH request that uses them": here the elements a change writes get new ids (the page's
// numbering goes on) and every other element keeps its own. A change built on a read made before
// someone replaced its target names an id the page no longer has, and is refused as a target that
// cannot be located (400, 20120). The documentation names no other answer for a page that changed
// after it was read (no ETag, no If-Match), and the emulator gives none.
#include "MEmuPagePatch.h"

#include "MEmuState.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <cctype>

namespace {

struct Element
{
    QByteArray name; // lower case
    qsizetype open = 0; // the start tag is [open, openEnd)
    qsizetype openEnd = 0;
    qsizetype close = 0; // the end tag is [close, closeEnd); both openEnd for an empty element
    qsizetype closeEnd = 0;
    int parent = -1;
    QString id; // the generated id
    QString dataId;
};

QString Unescaped(QString value)
{
    return value.replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&#39;"), QLatin1String("'"))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString AttributeOf(const QString& tag, const QRegularExpression& pattern)
{
    const QRegularExpressionMatch m = pattern.match(tag);
    return m.hasMatch() ? Unescaped(m.captured(1) + m.captured(2)) : QString();
}

bool IsVoid(const QByteArray& name)
{
    static const QSet<QByteArray> names {"img", "br", "hr", "input", "meta", "link", "col"};
    return names.contains(name);
}

QByteArray NameAt(const QByteArray& html, qsizetype at)
{
    qsizetype end = at;
    while (end < html.size() && (std::isalnum(uchar(html[end])) || html[end] == ':' || html[end] == '-'))
        ++end;
    return html.mid(at, end - at).toLower();
}

// The '>' that ends the tag opened at `at`, past quoted attribute values; -1 when there is none.
qsizetype TagEnd(const QByteArray& html, qsizetype at)
{
    char quote = 0;
    for (qsizetype i = at + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return -1;
}

// The elements of the page in document order, each with its parent.
std::vector<Element> Elements(const QByteArray& html)
{
    std::vector<Element> elements;
    std::vector<int> open;
    auto closeFrom = [&](size_t depth, qsizetype close, qsizetype closeEnd) {
        // Elements left open inside the one closed end where it ends.
        for (size_t k = open.size(); k-- > depth;) {
            Element& e = elements[size_t(open[k])];
            e.close = close;
            e.closeEnd = k == depth ? closeEnd : close;
        }
        open.resize(depth);
    };
    for (qsizetype i = html.indexOf('<'); i >= 0; i = html.indexOf('<', i)) {
        if (html.mid(i, 4) == "<!--") {
            const qsizetype end = html.indexOf("-->", i);
            i = end < 0 ? html.size() : end + 3;
            continue;
        }
        const qsizetype end = TagEnd(html, i);
        if (end < 0)
            break;
        if (html[i + 1] == '/') {
            const QByteArray name = NameAt(html, i + 2);
            for (size_t k = open.size(); k-- > 0;)
                if (elements[size_t(open[k])].name == name) {
                    closeFrom(k, i, end + 1);
                    break;
                }
        } else if (std::isalpha(uchar(html[i + 1]))) {
            Element e;
            e.name = NameAt(html, i + 1);
            e.open = i;
            e.openEnd = end + 1;
            e.parent = open.empty() ? -1 : open.back();
            const QString tag = QString::fromUtf8(html.mid(i, end + 1 - i));
            static const QRegularExpression id(QStringLiteral("\\sid\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"));
            static const QRegularExpression dataId(QStringLiteral("\\sdata-id\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"));
            e.id = AttributeOf(tag, id);
            e.dataId = AttributeOf(tag, dataId);
            const bool empty = html[end - 1] == '/' || IsVoid(e.name);
            e.close = e.closeEnd = e.openEnd;
            elements.push_back(e);
            if (!empty)
                open.push_back(int(elements.size() - 1));
        }
        i = end + 1;
    }
    closeFrom(0, html.size(), html.size());
    return elements;
}

enum Allowed { kReplace = 1, kReplaceByDataId = 2, kAppend = 4, kInsert = 8 };

// The documented table of supported elements and actions. An img, object or div that is a child of
// the body is absolutely positioned; inside a div it is not.
int AllowedOn(const std::vector<Element>& elements, const Element& e)
{
    static const QSet<QByteArray> text {"p", "li", "h1", "h2", "h3", "h4", "h5", "h6"};
    const bool positioned = e.parent >= 0 && elements[size_t(e.parent)].name == "body";
    if (e.name == "div")
        return positioned ? kAppend : kReplace | kAppend | kInsert;
    if (e.name == "img" || e.name == "object")
        return positioned ? 0 : kReplace | kReplaceByDataId | kInsert;
    if (e.name == "ol" || e.name == "ul")
        return kReplace | kAppend | kInsert;
    if (e.name == "table" || text.contains(e.name))
        return kReplace | kInsert;
    return 0;
}

MEmuError Refusal(const char* code, const QString& message)
{
    return MEmuError {400, QString::fromLatin1(code), message};
}

std::optional<MEmuError> ApplyChange(
    MEmuState& state, MEmuPage& page, const QJsonObject& change, const std::map<QString, MEmuPart>& parts)
{
    static const QSet<QString> fields {
        QStringLiteral("target"), QStringLiteral("action"), QStringLiteral("position"), QStringLiteral("content")};
    for (auto it = change.begin(); it != change.end(); ++it)
        if (!fields.contains(it.key()))
            return Refusal(
                "20126", QStringLiteral("A change holds the field '%1', which is not supported.").arg(it.key()));
    const QJsonValue targetValue = change.value(QLatin1String("target"));
    const QJsonValue actionValue = change.value(QLatin1String("action"));
    const QJsonValue contentValue = change.value(QLatin1String("content"));
    const QJsonValue positionValue = change.value(QLatin1String("position"));
    if (!targetValue.isString() || !actionValue.isString() || !contentValue.isString()
        || !(positionValue.isUndefined() || positionValue.isString()))
        return Refusal("20121", QStringLiteral("Each change names its target, action and content as text."));
    const QString target = targetValue.toString();
    const QString action = actionValue.toString();
    const QString position = positionValue.toString(QStringLiteral("after"));
    if (position != QLatin1String("after") && position != QLatin1String("before"))
        return Refusal("20121", QStringLiteral("The position '%1' is neither 'after' nor 'before'.").arg(position));
    // "delete" is among the action type's values, but no element of the documented table takes it.
    if (action != QLatin1String("replace") && action != QLatin1String("append") && action != QLatin1String("insert")
        && action != QLatin1String("prepend"))
        return Refusal("20122", QStringLiteral("The action '%1' is not supported.").arg(action));
    const QString content = contentValue.toString();

    if (target == QLatin1String("title")) {
        if (action != QLatin1String("replace"))
            return Refusal("20141", QStringLiteral("The title can only be replaced."));
        ReplaceRenderedTitle(page, content);
        return std::nullopt;
    }

    const std::vector<Element> elements = Elements(page.html);
    const bool body = target == QLatin1String("body");
    const bool byDataId = target.startsWith(QLatin1Char('#'));
    const QString name = byDataId ? target.mid(1) : target;
    const Element* found = nullptr;
    for (const Element& e : elements) {
        const bool match = body ? e.name == "div" && e.parent >= 0 && elements[size_t(e.parent)].name == "body"
            : byDataId          ? e.dataId == name
                                : e.id == name;
        if (match && !name.isEmpty()) {
            found = &e;
            break;
        }
    }
    if (!found) {
        for (const Element& e : elements) {
            if (!body && byDataId && !name.isEmpty() && e.id == name)
                return Refusal(
                    "20134", QStringLiteral("The target '%1' is a generated id: name it without '#'.").arg(target));
            if (!body && !byDataId && !name.isEmpty() && e.dataId == name)
                return Refusal(
                    "20134", QStringLiteral("The target '%1' is a data-id: prefix it with '#'.").arg(target));
        }
        return Refusal("20120",
            QStringLiteral("The target '%1' cannot be located on the page. Generated ids may change when a page "
                           "is updated: read the page again for the current ones.")
                .arg(target));
    }

    const int allowed = body ? int(kAppend) : AllowedOn(elements, *found);
    const QString element = QString::fromLatin1(found->name);
    if (allowed == 0)
        return Refusal("20133", QStringLiteral("A <%1> element cannot be the target of a change.").arg(element));
    const bool append = action == QLatin1String("append") || action == QLatin1String("prepend");
    if (append && !(allowed & kAppend))
        return Refusal("20138", QStringLiteral("A <%1> element does not take the append action.").arg(element));
    if (action == QLatin1String("insert") && !(allowed & kInsert))
        return Refusal("20141", QStringLiteral("A <%1> element does not take the insert action.").arg(element));
    if (action == QLatin1String("replace") && !(allowed & kReplace))
        return Refusal("20141", QStringLiteral("A <%1> element cannot be replaced.").arg(element));
    if (action == QLatin1String("replace") && byDataId && !(allowed & kReplaceByDataId))
        return Refusal("20141",
            QStringLiteral("A <%1> element is replaced by its generated id, not by its data-id.").arg(element));

    QByteArray rendered;
    if (auto error = RenderFragment(state, page, content.toUtf8(), parts, rendered))
        return error;
    const bool before = position == QLatin1String("before") || action == QLatin1String("prepend");
    if (action == QLatin1String("replace"))
        page.html.replace(found->open, found->closeEnd - found->open, rendered);
    else if (append)
        page.html.insert(before ? found->openEnd : found->close, rendered);
    else
        page.html.insert(before ? found->open : found->closeEnd, rendered);
    return std::nullopt;
}

} // namespace

std::optional<MEmuError> PatchPageContent(
    MEmuState& state, MEmuPage& page, const QJsonArray& changes, const std::map<QString, MEmuPart>& parts)
{
    if (changes.isEmpty())
        return Refusal("20125", QStringLiteral("The request holds no changes."));
    // "When your request generates an error, the OneNote API stops performing the request": whether
    // the changes before the failing one stay is not said. Here none does: the page is changed whole
    // or not at all.
    MEmuPage changed = page;
    for (const QJsonValue& change : changes) {
        if (!change.isObject())
            return Refusal("20126", QStringLiteral("Each change is a JSON object."));
        if (auto error = ApplyChange(state, changed, change.toObject(), parts))
            return error;
    }
    page = std::move(changed);
    return std::nullopt;
}
