#include "LocalHtmlImport.h"

#include "util/Formats.h"
#include "util/HtmlText.h"
#include "util/TextEscape.h"
#include "util/TextUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

namespace {

// The markers of the exports the attachment step recognises.
const QString kEvernoteV10Marker = QStringLiteral("data-testid=\"");
const QString kYinXiangV7Marker = QStringLiteral("EDAMVersion=V2;");
const QString kNotionMarker = QStringLiteral("/secure.notion-static.com/");
const QString kOneNote2013Path = QStringLiteral("/office/onenote/2013/onenote");
// Where the HTML export's tag icons are served from, below the maker's web host.
const QString kTagIconPath = QStringLiteral("/uploads/soft/quillview/apptags/");

// A file, not a folder: an empty reference joined to the page's folder names the folder itself.
bool IsFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString PartReference(const QString& part)
{
    return QStringLiteral("name:%1").arg(part);
}

QString ObjectElement(const QString& attachmentName, const QString& part)
{
    return QStringLiteral("<object data-attachment=\"%1\" data=\"%2\" />")
        .arg(EscapeHtmlAttribute(attachmentName), PartReference(part));
}

QString AddPart(const QString& path, MAttachmentMap& attachments)
{
    const QString part = NewUuidString();
    attachments.insert(part, path);
    return part;
}

QString WithoutExtension(const QString& path)
{
    const QFileInfo info(path);
    return QDir(info.path()).filePath(info.completeBaseName());
}

QString Join(const QString& folder, const QString& relative)
{
    return QDir::cleanPath(folder + QLatin1Char('/') + relative);
}

bool IsWebAddress(const QString& value)
{
    return value.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || value.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString PercentDecoded(const QString& text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// As a URL path writes a name: what such a path leaves as it is stays, the rest is escaped.
QString PercentEncodedForPath(const QString& text)
{
    return QString::fromUtf8(QUrl::toPercentEncoding(text, "!$&'()*+,;=:@/"));
}

// A file named by the page: taken as written when it is an absolute path that exists (a relative
// name would otherwise be looked for in whatever folder the program runs in), else under `folder`.
std::optional<QString> ExistingFile(const QString& name, const QString& folder)
{
    if (name.isEmpty())
        return std::nullopt;
    if (QFileInfo(name).isAbsolute() && IsFile(name))
        return name;
    const QString joined = Join(folder, name);
    if (IsFile(joined))
        return joined;
    return std::nullopt;
}

// The same, for a name written as page text: with its entities as written, then decoded.
std::optional<QString> ExistingFileForText(const QString& name, const QString& folder)
{
    if (std::optional<QString> path = ExistingFile(name, folder))
        return path;
    const QString decoded = DecodeHtmlEntities(name);
    return decoded == name ? std::nullopt : ExistingFile(decoded, folder);
}

// An attribute value as the rewriting reads it: trimmed, and taken out of its quotes.
QString UnquotedValue(const QString& value)
{
    const QString trimmed = value.trimmed();
    QString inner = GetStringBetween(trimmed, QStringLiteral("\""), QStringLiteral("\""));
    if (inner.isEmpty())
        inner = GetStringBetween(trimmed, QStringLiteral("'"), QStringLiteral("'"));
    return inner.isEmpty() ? trimmed : inner;
}

QString LocalPath(const QString& value, const QString& folder)
{
    return value.startsWith(QLatin1Char('/')) ? value : Join(folder, value);
}

// The paths a local reference may mean, most likely first. A saved page writes a file's path
// percent-encoded ("a%20b.png") and, inside an attribute, with its entities ("a &amp; b.png"); this
// program's export does both. Backslashes come from pages saved on Windows.
QStringList CandidatePaths(const QString& value, const QString& folder, bool decodedFirst)
{
    const QString decoded = PercentDecoded(value);
    QStringList forms = decodedFirst ? QStringList {decoded, value} : QStringList {value, decoded};
    forms.append(DecodeHtmlEntities(forms.at(0)));
    forms.append(DecodeHtmlEntities(forms.at(1)));
    QStringList paths;
    for (QString form : forms) {
        form.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString path = LocalPath(form, folder);
        if (!paths.contains(path))
            paths.append(path);
    }
    return paths;
}

// A value that names a file on this machine: no scheme (a drive letter aside), not a network path.
bool IsLocalReference(const QString& value)
{
    if (value.isEmpty() || value.startsWith(QLatin1String("//")) || value.startsWith(QLatin1Char('#')))
        return false;
    static const QRegularExpression kSeparator(QStringLiteral("[/\\\\]"));
    const qsizetype colon = value.indexOf(QLatin1Char(':'));
    const qsizetype slash = value.indexOf(kSeparator);
    return colon < 0 || (slash >= 0 && slash < colon) || colon == 1;
}

// The name of the element whose tag `text` ends inside ("img" for "<p><img alt=x "), lower case.
QString OpenTagName(const QString& text)
{
    const qsizetype lt = text.lastIndexOf(QLatin1Char('<'));
    if (lt < 0)
        return QString();
    qsizetype end = lt + 1;
    while (end < text.size() && text.at(end).isLetterOrNumber())
        ++end;
    return text.mid(lt + 1, end - lt - 1).toLower();
}

// One kind of reference ("src=" or "data=") rewritten through the text, as the two steps share it.
// A "src=" value becomes a part when its file is there, and a picture's also when it is not (the page
// then shows that it is missing rather than a broken address); a "data=" value always.
QString RewriteReferences(
    const QString& html, const QString& attribute, const QString& folder, MAttachmentMap& attachments, bool isSrc)
{
    QString output;
    QString rest = html;
    for (;;) {
        const qsizetype at = rest.indexOf(attribute, 0, Qt::CaseInsensitive);
        if (at < 0)
            break;
        const qsizetype valueStart = at + attribute.size();
        const qsizetype valueEnd = GetTagNameEndPos(rest, valueStart);
        if (valueEnd < 0)
            break;
        const QString written = UnquotedValue(rest.mid(valueStart, valueEnd - valueStart));
        QString value = written;
        if (!IsWebAddress(written)) {
            const QStringList paths = CandidatePaths(written, folder, isSrc);
            std::optional<QString> found;
            for (const QString& path : paths) {
                if (IsFile(path)) {
                    found = path;
                    break;
                }
            }
            const bool missingPicture = isSrc && !found && IsLocalReference(written)
                && OpenTagName(output.right(256) + rest.left(at)) == QLatin1String("img");
            if (found || !isSrc || missingPicture)
                value = PartReference(AddPart(found.value_or(paths.first()), attachments));
        }
        // A value stays as written unless it became a part: decoding a web address would change
        // what it points at. Re-quoted, a double quote inside must not end it.
        value.replace(QLatin1Char('"'), QLatin1String("&quot;"));
        output += rest.left(valueStart) + QLatin1Char('"') + value + QLatin1Char('"');
        rest = rest.mid(valueEnd);
    }
    return output + rest;
}

// The anchor elements of a page, each offered to `objectFor`; where it gives an object element,
// that is written after the anchor.
QString AppendObjectsAfterAnchors(const QString& html, const std::function<QString(const QString& block)>& objectFor)
{
    QString output;
    QString rest = html;
    for (;;) {
        const qsizetype start = rest.indexOf(QLatin1String("<a"), 0, Qt::CaseInsensitive);
        if (start < 0)
            break;
        const qsizetype close = rest.indexOf(QLatin1String("</a>"), start, Qt::CaseInsensitive);
        if (close < 0)
            break;
        const qsizetype end = close + 4;
        const QString block = rest.mid(start, end - start);
        output += rest.left(start) + block + objectFor(block);
        rest = rest.mid(end);
    }
    return output + rest;
}

// `text` with `insertion` put before every `marker` (ignoring case; the marker keeps its case).
QString InsertBeforeEach(const QString& text, const QString& marker, const QString& insertion)
{
    QString result;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(marker, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(marker, at + marker.size(), Qt::CaseInsensitive)) {
        result += text.mid(from, at - from) + insertion;
        from = at;
    }
    return result + text.mid(from);
}

bool DeclaresOneNote2013Namespace(const QString& html)
{
    static const QRegularExpression kNamespace(
        QStringLiteral("xmlns:one\\s*=\\s*[\"'][^\"']*%1[\"']").arg(QRegularExpression::escape(kOneNote2013Path)),
        QRegularExpression::CaseInsensitiveOption);
    return kNamespace.match(html).hasMatch();
}

} // namespace

qsizetype GetTagNameEndPos(const QString& text, qsizetype start)
{
    const QChar first = start >= 0 && start < text.size() ? text.at(start) : QChar();
    const bool doubleQuoted = first == QLatin1Char('"');
    const bool singleQuoted = first == QLatin1Char('\'');
    for (qsizetype i = qMax<qsizetype>(start + 1, 0); i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (doubleQuoted && (c == QLatin1Char('"') || c == QLatin1Char('>')))
            return i + 1;
        if (singleQuoted && (c == QLatin1Char('\'') || c == QLatin1Char('>')))
            return i + 1;
        if (!doubleQuoted && !singleQuoted && (c == QLatin1Char('>') || c.isSpace()))
            return i;
    }
    return -1;
}

QString ConvertAttachmentsToHtml_Img(const QString& html, const QString& folder, MAttachmentMap& attachments)
{
    return RewriteReferences(html, QStringLiteral("src="), folder, attachments, true);
}

QString ConvertAttachmentsToHtml_Attachment(const QString& html, const QString& folder, MAttachmentMap& attachments)
{
    return RewriteReferences(html, QStringLiteral("data="), folder, attachments, false);
}

QString ConvertAttachmentsToHtml(const QString& html, const QString& fullFileName, MAttachmentMap& attachments)
{
    const QString folder = QFileInfo(fullFileName).path();
    QString result = ConvertAttachmentsToHtml_Img(html, folder, attachments);
    result = ConvertAttachmentsToHtml_Attachment(result, folder, attachments);
    if (result.contains(kEvernoteV10Marker, Qt::CaseInsensitive))
        result = ConvertEvernoteV10Html2OneNoteHtml_Attachment(result, fullFileName, attachments);
    if (result.contains(kYinXiangV7Marker))
        result = ConvertYinXiangV7Html2OneNoteHtml_Attachment(result, fullFileName, attachments);
    if (result.contains(kNotionMarker))
        result = ConvertNotionHtml2OneNoteHtml_Attachment(result, fullFileName, attachments);
    return result;
}

QString ConvertEvernoteV10Html2OneNoteHtml_Attachment(
    const QString& html, const QString& htmlFullFileName, MAttachmentMap& attachments)
{
    const QString files = QStringLiteral("%1 files").arg(WithoutExtension(htmlFullFileName));
    QString output;
    QString rest = html;
    for (;;) {
        const qsizetype marker = rest.indexOf(kEvernoteV10Marker, 0, Qt::CaseInsensitive);
        if (marker < 0)
            break;
        const qsizetype close = rest.indexOf(QLatin1String("</div>"), marker, Qt::CaseInsensitive);
        if (close < 0)
            break;
        const qsizetype end = close + 6;
        const QString block = rest.mid(marker, end - marker);
        output += rest.left(marker) + block;
        rest = rest.mid(end);
        // The block ends with the file's name: the text of its innermost element.
        const QString name = GetStringBetweenLast(block, QStringLiteral("\">"), QStringLiteral("</div>"));
        if (const std::optional<QString> path = ExistingFileForText(name, files))
            output += ObjectElement(DecodeHtmlEntities(name), AddPart(*path, attachments));
    }
    return output + rest;
}

QString ConvertYinXiangV7Html2OneNoteHtml_Attachment(
    const QString& html, const QString& htmlFullFileName, MAttachmentMap& attachments)
{
    const QString files = QStringLiteral("%1_files").arg(WithoutExtension(htmlFullFileName));
    const QString folderName = QFileInfo(files).fileName();
    const QString folderNameEncoded = PercentEncodedForPath(folderName);
    return AppendObjectsAfterAnchors(html, [&](const QString& block) {
        const QString href = GetStringBetween(block, QStringLiteral("href=\""), QStringLiteral("\""));
        if (href.isEmpty() || !(href.contains(folderName) || href.contains(folderNameEncoded)))
            return QString();
        // The link's alt text is the file's name in the files folder.
        const QString alt = GetStringBetween(block, QStringLiteral("alt=\""), QStringLiteral("\""));
        const std::optional<QString> path = ExistingFileForText(alt, files);
        return path ? ObjectElement(DecodeHtmlEntities(alt), AddPart(*path, attachments)) : QString();
    });
}

QString ConvertNotionHtml2OneNoteHtml_Attachment(
    const QString& html, const QString& htmlFullFileName, MAttachmentMap& attachments)
{
    const QString base = WithoutExtension(htmlFullFileName);
    const QString folder = QFileInfo(htmlFullFileName).path();
    const QString pageName = QFileInfo(base).fileName();
    const QString pageNameEncoded = PercentEncodedForPath(pageName);
    return AppendObjectsAfterAnchors(html, [&](const QString& block) {
        const QString href = GetStringBetween(block, QStringLiteral("href=\""), QStringLiteral("\""));
        if (href.isEmpty() || !(href.contains(pageNameEncoded) || href.contains(pageName)))
            return QString();
        // The link leads into the folder named like the page, percent-encoded.
        const QString relative = PercentDecoded(href);
        const std::optional<QString> path = ExistingFileForText(relative, folder);
        return path ? ObjectElement(DecodeHtmlEntities(relative), AddPart(*path, attachments)) : QString();
    });
}

QString RemoveAllZephSpecialObjects(const QString& html)
{
    QString result = RemoveAllBetween(html, QStringLiteral("<div id=\"zephtitle\""), QStringLiteral("</div>"));
    result = RemoveAllBetween(result, QStringLiteral("<div id=\"zephdatetime\""), QStringLiteral("</div>"));
    // A tag icon is written first in its paragraph, with a space after it.
    static const QRegularExpression kTagIcon(QStringLiteral("<img\\s+src=\"[^\"]*%1[^\"]*\"[^>]*>(<span> </span>)?")
                                                 .arg(QRegularExpression::escape(kTagIconPath)),
        QRegularExpression::CaseInsensitiveOption);
    result.remove(kTagIcon);
    // An attached file's object holds a link to the copy saved beside the page.
    static const QRegularExpression kSavedFileLink(
        QStringLiteral(
            "(<object\\b[^>]*\\bdata-attachment=\"[^\"]*\"[^>]*>)\\s*<a href=\"[^\"]*\">[^<]*</a>\\s*(</object>)"),
        QRegularExpression::CaseInsensitiveOption);
    result.replace(kSavedFileLink, QStringLiteral("\\1\\2"));
    return result;
}

QString ConvertLocalHtml2OneNoteHtml(const QString& html, const QString& title, const QDateTime& now)
{
    const QString escapedTitle = EscapeHtmlText(title);
    const QString created = FormatDateForOneNote(now);
    QString result = RemoveAllZephSpecialObjects(html);
    result.replace(QLatin1String("data-fullres-src=\""), QLatin1String("srco=\""));
    if (DeclaresOneNote2013Namespace(result)) {
        // A page that came from OneNote: its html element is followed by a head of its own.
        const QString attributes = GetStringBetween(html, QStringLiteral("<html"), QStringLiteral(">"));
        if (!attributes.isEmpty()) {
            const QString tag = QStringLiteral("<html%1>").arg(attributes);
            result.replace(tag,
                QStringLiteral("%1<head><title>%2</title><meta name=\"created\" content=\"%3\"/></head>")
                    .arg(tag, escapedTitle, created));
        }
        const QString big = GetStringBetween(html, QStringLiteral("<big"), QStringLiteral("</p>"));
        if (!big.isEmpty())
            result.remove(QStringLiteral("<big%1</p>").arg(big));
        return result;
    }
    if (!result.contains(QLatin1String("<title"), Qt::CaseInsensitive))
        result
            = InsertBeforeEach(result, QStringLiteral("</head"), QStringLiteral("<title>%1</title>").arg(escapedTitle));
    if (!result.contains(QLatin1String("<meta name=\"created\""), Qt::CaseInsensitive)) {
        result = InsertBeforeEach(
            result, QStringLiteral("</head"), QStringLiteral("<meta name=\"created\" content=\"%1\"/>").arg(created));
    }
    return result;
}

QString ConvertGoogleKeepHtml2OneNoteHtml_Todo(const QString& html)
{
    static const QString kMarker = QStringLiteral("<li class=\"listitem");
    static const QString kOpen = QStringLiteral("<li class=\"listitem\"><span class=\"bullet\">&#9744;</span>");
    static const QString kDone = QStringLiteral("<li class=\"listitem checked\"><span class=\"bullet\">&#9745;</span>");
    QString result = html;
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = result.indexOf(kMarker, from, Qt::CaseInsensitive);
        if (start < 0)
            break;
        const qsizetype close = result.indexOf(QLatin1String("</li>"), start + kMarker.size(), Qt::CaseInsensitive);
        if (close < 0)
            break;
        const qsizetype end = close + 5;
        QString item = result.mid(start, end - start).trimmed();
        if (const QString open = GetStringBetween(item, kOpen, QStringLiteral("</li>")); !open.isEmpty())
            item = QStringLiteral("<li class=\"listitem\"><p data-tag=\"to-do\">%1</p></li>").arg(open);
        else if (const QString done = GetStringBetween(item, kDone, QStringLiteral("</li>")); !done.isEmpty())
            item = QStringLiteral("<li class=\"listitem\"><p data-tag=\"to-do:completed\">%1</p></li>").arg(done);
        result.replace(start, end - start, item);
        from = start + item.size();
    }
    return result;
}
