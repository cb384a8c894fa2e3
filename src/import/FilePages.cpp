#include "FilePages.h"

#include "app/MStrings.h"
#include "util/FileUtils.h"
#include "util/Formats.h"
#include "util/TextDecode.h"
#include "util/TextEscape.h"
#include "util/TextUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

struct MKindRow
{
    MFileImportKind kind;
    MFeature feature;
    QStringList extensions;
};

const QList<MKindRow>& KindRows()
{
    static const QList<MKindRow> rows {
        {MFileImportKind::Notes, MFeature::ImportNotes,
            {QStringLiteral("txt"), QStringLiteral("htm"), QStringLiteral("html")}},
        {MFileImportKind::GoogleKeep, MFeature::ImportGoogleKeep, {QStringLiteral("htm"), QStringLiteral("html")}},
        {MFileImportKind::Text, MFeature::ImportTxt, {QStringLiteral("txt")}},
        {MFileImportKind::Html, MFeature::ImportHtml, {QStringLiteral("htm"), QStringLiteral("html")}},
        {MFileImportKind::Images, MFeature::ImportImages,
            {QStringLiteral("bmp"), QStringLiteral("emf"), QStringLiteral("gif"), QStringLiteral("jpg"),
                QStringLiteral("jpeg"), QStringLiteral("png")}},
    };
    return rows;
}

QString Title(const QString& path)
{
    return EscapeHtmlText(MUtils::getFileNameFromFullName(path, true));
}

QString PrePage(const QString& path, const QString& text)
{
    return QStringLiteral("<html><head><title>%1</title></head><body><pre>%2</pre></body></html>")
        .arg(Title(path), ConvertPlainText2Html(text));
}

QString BodyPage(const QString& path, const QString& body)
{
    return QStringLiteral("<html><head><title>%1</title></head><body>%2</body></html>").arg(Title(path), body);
}

MLocalPage Failure(const QString& reason)
{
    MLocalPage page;
    page.failure = reason;
    return page;
}

QString ReadFailure(const QString& path, const MDecodedText& decoded)
{
    const QString name = QDir::toNativeSeparators(path);
    switch (decoded.failure) {
    case MTextFailure::CannotOpen:
        return Localized("reasonCannotRead").arg(name, decoded.detail);
    case MTextFailure::NotUtf8:
        return Localized("reasonNotUtf8").arg(name);
    case MTextFailure::NotText:
    case MTextFailure::None:
        break;
    }
    return Localized("reasonNotText").arg(name);
}

// An HTML file read in another encoding goes to the service as UTF-8: a charset it declares would
// now be wrong.
QString DeclaredAsUtf8(const QString& html)
{
    static const QRegularExpression kCharset(QStringLiteral("(<meta\\b[^>]*\\bcharset\\s*=\\s*[\"']?)[A-Za-z0-9_.:-]+"),
        QRegularExpression::CaseInsensitiveOption);
    QString result = html;
    return result.replace(kCharset, QStringLiteral("\\1utf-8"));
}

std::optional<QString> ReadText(const QString& path, bool utf8, bool html, QString* failure)
{
    const MDecodedText decoded = ReadDecodedTextFile(path, utf8);
    if (!decoded.text) {
        *failure = ReadFailure(path, decoded);
        return std::nullopt;
    }
    if (html && decoded.encoding != QLatin1String("UTF-8"))
        return DeclaredAsUtf8(*decoded.text);
    return decoded.text;
}

MLocalPage HtmlPage(const QString& path, const QString& html, const QDateTime& now)
{
    MLocalPage page;
    const QString converted = ConvertAttachmentsToHtml(html, path, page.attachments);
    page.html = ConvertLocalHtml2OneNoteHtml(converted, MUtils::getFileNameFromFullName(path, true), now);
    return page;
}

MLocalPage ImagePage(const QString& path)
{
    // The image is read when the page is sent; one that cannot be read now makes no page at all.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return Failure(Localized("reasonCannotRead").arg(QDir::toNativeSeparators(path), file.errorString()));
    MLocalPage page;
    const QString part = NewUuidString();
    page.attachments.insert(part, path);
    page.html = QStringLiteral(
        "<html><head><meta charset='UTF-8'><title>%1</title></head><body><img src='name:%2'></body></html>")
                    .arg(Title(path), part);
    return page;
}

bool IsHtmlFile(const QString& path)
{
    const QString extension = QFileInfo(path).suffix();
    return StringEqualsIgnoreCase(extension, QStringLiteral("htm"))
        || StringEqualsIgnoreCase(extension, QStringLiteral("html"));
}

} // namespace

std::optional<MFileImportKind> FileImportKindForFeature(std::optional<MFeature> feature)
{
    for (const MKindRow& row : KindRows()) {
        if (row.feature == feature)
            return row.kind;
    }
    return std::nullopt;
}

MFeature FeatureForFileImportKind(MFileImportKind kind)
{
    for (const MKindRow& row : KindRows()) {
        if (row.kind == kind)
            return row.feature;
    }
    return MFeature::ImportTxt; // every kind has its row
}

QStringList FileImportExtensions(MFileImportKind kind)
{
    for (const MKindRow& row : KindRows()) {
        if (row.kind == kind)
            return row.extensions;
    }
    return {};
}

bool HasFileImportExtension(MFileImportKind kind, const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    return !extension.isEmpty() && FileImportExtensions(kind).contains(extension);
}

QString ConvertPlainText2Html(const QString& text)
{
    return EscapeHtmlText(text);
}

QString ConvertPlainTextLines2Html(const QString& text)
{
    return EscapeHtmlText(text).replace(QLatin1Char('\n'), QLatin1String("<br/>"));
}

QString ConvertMacNotes2Html(const QString& text)
{
    QString result = text;
    return result.remove(QLatin1String("<object>")).remove(QLatin1String("</object>"));
}

MLocalPage BuildFileImportPage(MFileImportKind kind, const QString& path, bool utf8, const QDateTime& now)
{
    if (kind == MFileImportKind::Images)
        return ImagePage(path);
    QString failure;
    const bool html = kind != MFileImportKind::Text && (kind != MFileImportKind::Notes || IsHtmlFile(path));
    const std::optional<QString> text = ReadText(path, utf8, html, &failure);
    if (!text)
        return Failure(failure);
    switch (kind) {
    case MFileImportKind::Text: {
        MLocalPage page;
        page.html = PrePage(path, *text);
        return page;
    }
    case MFileImportKind::Notes: {
        const QString notes = ConvertMacNotes2Html(*text);
        MLocalPage page;
        const bool isHtml = notes.contains(QLatin1String("<div>")) && notes.contains(QLatin1String("</div>"));
        page.html = isHtml ? BodyPage(path, notes) : PrePage(path, notes);
        return page;
    }
    case MFileImportKind::Html:
        return HtmlPage(path, *text, now);
    case MFileImportKind::GoogleKeep: {
        // A Keep note is a whole page with its own title; its pictures lie beside it.
        MLocalPage page;
        const QString withFiles = ConvertAttachmentsToHtml(*text, path, page.attachments);
        page.html = ConvertGoogleKeepHtml2OneNoteHtml_Todo(withFiles);
        return page;
    }
    case MFileImportKind::Images:
        break;
    }
    return Failure(Localized("reasonNotText").arg(QDir::toNativeSeparators(path)));
}

MLocalPage BuildTreeImportPage(const QString& path, bool utf8, const QDateTime& now)
{
    const bool html = IsHtmlFile(path);
    if (!html && !StringEqualsIgnoreCase(QFileInfo(path).suffix(), QStringLiteral("txt")))
        return Failure(Localized("reasonNotText").arg(QDir::toNativeSeparators(path)));
    QString failure;
    const std::optional<QString> text = ReadText(path, utf8, html, &failure);
    if (!text)
        return Failure(failure);
    if (html)
        return HtmlPage(path, *text, now);
    MLocalPage page;
    page.html = BodyPage(path, ConvertPlainTextLines2Html(*text));
    return page;
}
