#include "EnexConvert.h"

#include "app/MStrings.h"
#include "util/Digest.h"
#include "util/FileUtils.h"
#include "util/Formats.h"
#include "util/HtmlText.h"
#include "util/TextEscape.h"
#include "util/TextUtils.h"

#include <QMap>
#include <QSet>
#include <QTimeZone>

namespace {

const QString kImgStart = QStringLiteral("<img");
const QString kDivStart = QStringLiteral("<div");
const QString kEnMediaStart = QStringLiteral("<en-media");
const QString kGt = QStringLiteral(">");
const QString kQuote = QStringLiteral("\"");

QString TrimSpacesAndTabs(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    auto blank = [](QChar ch) { return ch == QLatin1Char(' ') || ch == QLatin1Char('\t'); };
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

bool IsImageMime(const QString& mime)
{
    static const QStringList kImageMimes {QStringLiteral("image/png"), QStringLiteral("image/jpeg"),
        QStringLiteral("image/gif"), QStringLiteral("image/bmp"), QStringLiteral("image/x-icon")};
    return kImageMimes.contains(mime);
}

QString generateFileNameWithMime(const QString& mime)
{
    const qsizetype slash = mime.indexOf(QLatin1Char('/'));
    const QString subtype = slash < 0 ? QString() : mime.mid(slash + 1);
    return subtype.isEmpty() ? NewUuidString() : NewUuidString() + QLatin1Char('.') + subtype;
}

void getMediaResourceAttributes(const MEnexResource& resource, QString& fileName, QString& resourceUrl)
{
    fileName = QStringLiteral("");
    resourceUrl = QStringLiteral("");
    if (!resource.hasAttributes)
        return;
    if (resource.fileName) {
        const QString safe = TrimSpacesAndTabs(MakeSafeFileName(*resource.fileName));
        if (!safe.isEmpty())
            fileName = safe;
    }
    if (resource.sourceUrl)
        resourceUrl = *resource.sourceUrl;
}

MResourceList RestoreImageAndGetHash(const MEnexNote& note)
{
    MResourceList list;
    list.reserve(note.resources.size());
    for (const MEnexResource& resource : note.resources) {
        MResourceObject record;
        record.mime = resource.mime;
        record.isImage = IsImageMime(record.mime);
        getMediaResourceAttributes(resource, record.fileName, record.resourceUrl);
        if (record.fileName.isEmpty())
            record.fileName = generateFileNameWithMime(record.mime);
        record.data = resource.data;
        // Undecodable Base64 leaves no bytes; the part is still named and sent, empty.
        record.bytes = Base64Decode(record.data).value_or(QByteArray());
        record.hashValue = MD5String(record.bytes);
        list.append(std::move(record));
    }
    return list;
}

const MResourceObject* getResouceObjFromListByHash(const MResourceList& list, const QString& hash)
{
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        if (list.at(i).hashValue == hash)
            return &list.at(i);
    }
    return nullptr;
}

const MResourceObject* getResouceObjFromListResouceUrl(const MResourceList& list, const QString& url)
{
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        if (list.at(i).resourceUrl == url)
            return &list.at(i);
    }
    return nullptr;
}

// Both scans below copy the text once as they go instead of editing it in place, so a long note
// with many tags stays linear.
QString HandleIndentWithSpaces(const QString& enml)
{
    static const QString kSpaces = QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;");
    QString out;
    out.reserve(enml.size());
    qsizetype copied = 0;
    for (qsizetype pos = enml.indexOf(kDivStart); pos >= 0; pos = enml.indexOf(kDivStart, pos)) {
        const qsizetype gt = enml.indexOf(QLatin1Char('>'), pos);
        if (gt < 0)
            break;
        const QString tag = enml.mid(pos, gt - pos + 1);
        const QString style = GetStringBetween(tag, QStringLiteral("style=\""), kQuote);
        pos = gt + 1;
        if (!StringContainsIgnoreCase(QStringLiteral("padding-left:"), style))
            continue;
        const qint64 padding
            = StringToInteger(GetStringBetween(style, QStringLiteral("padding-left:"), QStringLiteral("px")));
        if (padding < 40)
            continue;
        out += QStringView(enml).mid(copied, pos - copied);
        out += kSpaces.repeated(padding / 40);
        copied = pos;
    }
    out += QStringView(enml).mid(copied);
    return out;
}

QString ReplaceImgs(const QString& enml, const MResourceList& resources)
{
    QString out;
    out.reserve(enml.size());
    qsizetype copied = 0;
    for (qsizetype pos = enml.indexOf(kImgStart); pos >= 0; pos = enml.indexOf(kImgStart, pos)) {
        const qsizetype gt = enml.indexOf(QLatin1Char('>'), pos);
        if (gt < 0)
            break;
        const QString tag = enml.mid(pos, gt - pos + 1);
        const QString src = GetStringBetween(tag, QStringLiteral("src=\""), kQuote);
        const qsizetype tagStart = pos;
        pos = gt + 1;
        if (src.isEmpty() || !StringContainsIgnoreCase(QStringLiteral("en-cache://"), src))
            continue;
        const MResourceObject* resource = getResouceObjFromListResouceUrl(resources, src);
        if (!resource || resource->bytes.isEmpty())
            continue; // an empty resource is not sent: a part name would point at nothing
        QString changed = tag;
        changed.replace(
            QStringLiteral("src=\"%1\"").arg(src), QStringLiteral("src=\"name:%1\"").arg(resource->hashValue));
        out += QStringView(enml).mid(copied, tagStart - copied);
        out += changed;
        copied = pos;
    }
    out += QStringView(enml).mid(copied);
    return out;
}

QString ReplaceEnMediaImagesAttachments(const QString& enml, const MResourceList& resources)
{
    QString text = enml;
    // Each round replaces every copy of the first en-media tag, so the number of en-media start
    // tags falls every round; a start tag never closed ends the work.
    for (qsizetype start = text.indexOf(kEnMediaStart); start >= 0; start = text.indexOf(kEnMediaStart)) {
        const qsizetype gt = text.indexOf(QLatin1Char('>'), start);
        if (gt < 0)
            break;
        const qsizetype attrStart = start + kEnMediaStart.size();
        const QString attributes = text.mid(attrStart, gt - attrStart);
        const QString tag = text.mid(start, gt - start + 1);
        const QString hash = GetStringBetween(attributes, QStringLiteral("hash=\""), kQuote);
        QString replacement;
        const MResourceObject* resource = hash.isEmpty() ? nullptr : getResouceObjFromListByHash(resources, hash);
        // An empty resource is not sent, so nothing on the page may name it.
        if (!hash.isEmpty() && !(resource && resource->bytes.isEmpty())) {
            if (resource && resource->isImage) {
                replacement = QStringLiteral("<img src=\"name:%1\" %2>").arg(hash, attributes);
            } else {
                // Without a matching resource the attachment is named by its hash, so the
                // object still has a name to show.
                const QString name = resource ? resource->fileName : hash;
                replacement = QStringLiteral("<object data=\"name:%1\" data-attachment=\"%2\" %3>")
                                  .arg(hash, EscapeHtmlAttribute(name), attributes);
            }
        }
        text.replace(tag, replacement);
    }
    return text;
}

QString PairRewrittenHashes(const QString& enml, const MResourceList& resources)
{
    QSet<QString> named;
    QMap<QString, QString> dangling; // hash -> the tag's type
    for (qsizetype start = enml.indexOf(kEnMediaStart); start >= 0; start = enml.indexOf(kEnMediaStart, start + 1)) {
        const qsizetype gt = enml.indexOf(QLatin1Char('>'), start);
        if (gt < 0)
            break;
        const QString attributes = enml.mid(start, gt - start);
        const QString hash = GetStringBetween(attributes, QStringLiteral("hash=\""), kQuote);
        if (hash.isEmpty())
            continue;
        named.insert(hash);
        if (!getResouceObjFromListByHash(resources, hash))
            dangling.insert(hash, GetStringBetween(attributes, QStringLiteral("type=\""), kQuote));
    }
    const MResourceObject* unnamed = nullptr;
    QSet<QString> unnamedHashes;
    for (const MResourceObject& resource : resources) {
        // Cached image addresses name their resource already (ReplaceImgs runs first).
        if (resource.bytes.isEmpty() || named.contains(resource.hashValue)
            || enml.contains(QStringLiteral("name:") + resource.hashValue))
            continue;
        unnamedHashes.insert(resource.hashValue);
        unnamed = &resource;
    }
    if (dangling.size() != 1 || unnamedHashes.size() != 1 || dangling.first() != unnamed->mime)
        return enml;
    QString text = enml;
    return text.replace(
        QStringLiteral("hash=\"%1\"").arg(dangling.firstKey()), QStringLiteral("hash=\"%1\"").arg(unnamed->hashValue));
}

QString ReplaceCDataWithText(const QString& enml)
{
    static const QString kOpen = QStringLiteral("<![CDATA[");
    static const QString kClose = QStringLiteral("]]>");
    QString out;
    qsizetype copied = 0;
    for (qsizetype open = enml.indexOf(kOpen); open >= 0; open = enml.indexOf(kOpen, copied)) {
        const qsizetype close = enml.indexOf(kClose, open + kOpen.size());
        if (close < 0)
            break;
        out += QStringView(enml).mid(copied, open - copied);
        out += EscapeHtmlText(enml.mid(open + kOpen.size(), close - open - kOpen.size()));
        copied = close + kClose.size();
    }
    if (copied == 0)
        return enml;
    out += QStringView(enml).mid(copied);
    return out;
}

QString ReplaceEnCrypt(const QString& enml)
{
    static const QString kOpen = QStringLiteral("<en-crypt");
    static const QString kClose = QStringLiteral("</en-crypt>");
    QString out;
    qsizetype copied = 0;
    for (qsizetype open = enml.indexOf(kOpen); open >= 0; open = enml.indexOf(kOpen, copied)) {
        const qsizetype gt = enml.indexOf(kGt, open);
        const qsizetype close = gt < 0 ? -1 : enml.indexOf(kClose, gt);
        if (close < 0)
            break;
        // Attribute values and text are still in their escaped form: decoded once, escaped again.
        const QString hint
            = DecodeHtmlEntities(GetStringBetween(enml.mid(open, gt - open), QStringLiteral("hint=\""), kQuote));
        const QString cipherText = DecodeHtmlEntities(enml.mid(gt + 1, close - gt - 1)).trimmed();
        const QString label = hint.isEmpty() ? Localized("strEnexEncrypted")
                                             : Localized("strEnexEncryptedHint").arg(EscapeHtmlText(hint));
        out += QStringView(enml).mid(copied, open - copied);
        out += QStringLiteral("<div style=\"border:1px solid #a0a0a0;padding:4px\"><p>%1</p>"
                              "<p style=\"font-family:Consolas,monospace\">%2</p></div>")
                   .arg(label, EscapeHtmlText(cipherText));
        copied = close + kClose.size();
    }
    if (copied == 0)
        return enml;
    out += QStringView(enml).mid(copied);
    return out;
}

QString AppendUnreferencedResources(const QString& body, const MResourceList& resources)
{
    QString tail;
    QSet<QString> added;
    for (const MResourceObject& resource : resources) {
        const QString name = QStringLiteral("name:") + resource.hashValue;
        if (resource.bytes.isEmpty() || added.contains(resource.hashValue) || body.contains(name))
            continue;
        added.insert(resource.hashValue);
        if (resource.isImage) {
            tail += QStringLiteral("<div><img src=\"%1\" /></div>").arg(name);
        } else {
            tail += QStringLiteral("<div><object data=\"%1\" data-attachment=\"%2\" type=\"%3\" /></div>")
                        .arg(name, EscapeHtmlAttribute(resource.fileName), EscapeHtmlAttribute(resource.mime));
        }
    }
    if (tail.isEmpty())
        return body;
    const qsizetype end = body.lastIndexOf(QStringLiteral("</body>"));
    QString out = body;
    out.insert(end < 0 ? out.size() : end, tail);
    return out;
}

QStringList EmptyResourceWarnings(const MResourceList& resources)
{
    QStringList warnings;
    for (const MResourceObject& resource : resources) {
        if (!resource.bytes.isEmpty())
            continue;
        const bool undecodable = !resource.data.trimmed().isEmpty();
        warnings.append(
            Localized(undecodable ? "strEnexAttachmentUndecodable" : "strEnexAttachmentEmpty").arg(resource.fileName));
    }
    return warnings;
}

QString ConvertEnNoteToBody(const QString& enml)
{
    // Only the element's own tags are renamed: a note that talks about "en-note" keeps its words.
    QString text = QStringLiteral("<body%1</body>")
                       .arg(GetStringBetween(enml, QStringLiteral("<en-note"), QStringLiteral("</en-note")));
    static const std::pair<QString, QString> kTodo[] = {
        {QStringLiteral("<en-todo checked=\"false\"/>"), QStringLiteral("<div data-tag=\"to-do\">")},
        {QStringLiteral("<en-todo checked=\"true\"/>"), QStringLiteral("<div data-tag=\"to-do:completed\">")},
        {QStringLiteral("<en-todo checked=\"false\" />"), QStringLiteral("<div data-tag=\"to-do\">")},
        {QStringLiteral("<en-todo checked=\"true\" />"), QStringLiteral("<div data-tag=\"to-do:completed\">")},
        {QStringLiteral("<ul style=\"--en-todo:true;\">"), QStringLiteral("")},
        {QStringLiteral("style=\"--en-checked:true;\""), QStringLiteral("data-tag=\"to-do:completed\"")},
        {QStringLiteral("style=\"--en-checked:false;\""), QStringLiteral("data-tag=\"to-do\"")},
    };
    for (const auto& [find, replace] : kTodo)
        text.replace(find, replace);
    return text;
}

std::optional<QDateTime> ConvertEverNoteDate2ON(const QString& created)
{
    QString text = created.trimmed();
    text.replace(QLatin1Char('T'), QLatin1Char(' '));
    const bool separated
        = text.contains(QLatin1Char(':')) && (text.contains(QLatin1Char('-')) || text.contains(QLatin1Char('/')));
    if (!text.endsWith(QLatin1Char('Z')))
        return std::nullopt;
    text.chop(1);
    const QString pattern = separated ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz") : QStringLiteral("yyyyMMdd HHmmss");
    QDateTime date = QDateTime::fromString(text, pattern);
    if (!date.isValid())
        return std::nullopt;
    date.setTimeZone(QTimeZone::utc());
    return date;
}

QString ConvertNoteToPageHtml(
    const MEnexNote& note, const MResourceList& resources, bool handleIndents, const QDateTime& fallbackCreated)
{
    QString enml = ReplaceCDataWithText(note.content);
    if (handleIndents)
        enml = HandleIndentWithSpaces(enml);
    enml = ReplaceImgs(enml, resources);
    enml = PairRewrittenHashes(enml, resources);
    enml = ReplaceEnMediaImagesAttachments(enml, resources);
    enml = ReplaceEnCrypt(enml);
    const QString body = AppendUnreferencedResources(ConvertEnNoteToBody(enml), resources);

    const std::optional<QDateTime> created = note.created ? ConvertEverNoteDate2ON(*note.created) : std::nullopt;
    const QString createdText = FormatDateForOneNote(created.value_or(fallbackCreated));
    return QStringLiteral("<html><head><title>%1</title><meta name=\"created\" content=\"%2\" /></head>%3</html>")
        .arg(EscapeHtmlText(note.title), createdText, body);
}
