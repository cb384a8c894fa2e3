#include "PageRequest.h"

#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "net/AnswerJson.h"
#include "net/ServiceRequest.h"
#include "service/MServiceSession.h"
#include "util/FileUtils.h"
#include "util/HtmlText.h"
#include "util/TextEscape.h"
#include "util/TextUtils.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

namespace {

QByteArray PartHeader(const MPagePart& part)
{
    return QByteArray("--") + kPartBoundary + "\r\nContent-Disposition: form-data; name=\"" + part.name.toUtf8()
        + "\"\r\nContent-Type: " + part.contentType + "\r\n\r\n";
}

QByteArray PresentationHeader()
{
    return QByteArray("--") + kPartBoundary
        + "\r\nContent-Disposition: form-data; name=\"Presentation\"\r\nContent-Type: text/html\r\n\r\n";
}

QByteArray ClosingBoundary()
{
    return QByteArray("--") + kPartBoundary + "--\r\n";
}

} // namespace

QString WithoutMissingParts(
    const QString& html, const QList<MPagePart>& parts, const QMap<QString, QString>& labels, QStringList* missing)
{
    if (!html.contains(QLatin1String("name:"), Qt::CaseInsensitive))
        return html;
    QSet<QString> sent;
    for (const MPagePart& part : parts)
        sent.insert(part.name);
    // A start tag with an src or data attribute naming a part, and an object's closing tag right after.
    static const QRegularExpression kReference(
        QStringLiteral("<[A-Za-z][A-Za-z0-9]*(?:\\s[^>]*?)?\\s(?:src|data)\\s*=\\s*([\"'])name:([^\"']*)\\1[^>]*>"
                       "(\\s*</object\\s*>)?"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kType(
        QStringLiteral("\\stype\\s*=\\s*([\"'])([^\"']*)\\1"), QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch& match : kReference.globalMatch(html)) {
        const QString name = match.captured(2);
        if (sent.contains(name))
            continue;
        QString what = labels.value(name);
        if (what.isEmpty()) {
            const QString type = kType.match(match.captured(0)).captured(2);
            const QString shortName = name.size() > 8 ? name.left(8) + QChar(0x2026) : name;
            what = type.isEmpty() ? shortName : QStringLiteral("%1, %2").arg(type, shortName);
        }
        const QString line = Localized("strMissingAttachment").arg(what);
        if (missing)
            missing->append(line);
        out += QStringView(html).mid(copied, match.capturedStart() - copied);
        out += QStringLiteral("<p style=\"color:#808080\">%1</p>").arg(EscapeHtmlText(line));
        copied = match.capturedEnd();
    }
    if (copied == 0)
        return html;
    out += QStringView(html).mid(copied);
    return out;
}

MPageBody BuildPageBody(const QString& html, const QList<MPagePart>& parts)
{
    MPageBody result;
    const QByteArray htmlBytes = html.toUtf8();
    if (parts.isEmpty() && htmlBytes.size() <= kPlainBodyMaxBytes) {
        result.contentType = "text/html";
        result.body = htmlBytes;
        return result;
    }
    result.multipart = true;
    result.contentType = QByteArray("multipart/form-data; boundary=") + kPartBoundary;
    result.body.reserve(PageBodySize(html, parts));
    result.body += PresentationHeader();
    result.body += htmlBytes;
    result.body += "\r\n";
    for (const MPagePart& part : parts) {
        result.body += PartHeader(part);
        result.body += part.bytes;
        result.body += "\r\n";
    }
    result.body += ClosingBoundary();
    return result;
}

qint64 PageBodySize(const QString& html, const QList<MPagePart>& parts)
{
    qint64 size = html.toUtf8().size();
    if (parts.isEmpty() && size <= kPlainBodyMaxBytes)
        return size;
    size += PresentationHeader().size() + 2 + ClosingBoundary().size();
    for (const MPagePart& part : parts)
        size += PartHeader(part).size() + part.bytes.size() + 2;
    return size;
}

int PageRequestTimeout(qint64 bodySize)
{
    return bodySize > kLargeBodyBytes ? kLargeBodyTimeoutSeconds : kCreationTimeoutSeconds;
}

MHttpRequest BuildPageRequest(const QString& url, const QString& html, const QList<MPagePart>& parts)
{
    MPageBody body = BuildPageBody(html, parts);
    MHttpRequest request = ServiceRequestEncoded("POST", url, PageRequestTimeout(body.body.size()));
    if (body.multipart) {
        // The transport states the length itself; the program sets none for a multipart body.
        request.headers.append({"Content-Type", body.contentType});
        request.body = std::move(body.body);
    } else {
        SetRequestBody(request, body.contentType, body.body);
    }
    return request;
}

MCreationOutcome JudgeCreationAnswer(const MHttpResponse& response)
{
    MCreationOutcome outcome;
    const MServiceAnswer answer = JudgeAnswer(response, MExpect::Created);
    if (answer.failure == MAnswerFailure::NotSent) {
        outcome.code = kCreationNoToken;
        outcome.reason = answer.reason;
        return outcome;
    }
    if (answer.failure == MAnswerFailure::Stopped) {
        outcome.code = kCreationStopped;
        outcome.reason = answer.reason;
        return outcome;
    }
    if (answer.failure == MAnswerFailure::Transport) {
        outcome.code = kCreationNoAnswer;
        outcome.reason = answer.reason;
        return outcome;
    }
    const QString text = answer.Text();
    // The creations' own test is looser than the error object's: any "error" member fails them,
    // found by the parser and then by the text rule. The text rule reads the answer without its
    // string values, since those repeat the user's own words: a page titled 'Fix "error": x' is made.
    const std::optional<MServiceError> member = FindErrorMember(answer.Object());
    if (!answer.Ok() || member || StringContains(QStringLiteral("\"error\":"), WithoutStringValues(text))) {
        const MServiceError error = member.value_or(MServiceError {answer.errorCode, QString()});
        outcome.code = kCreationServiceError;
        outcome.errorCode = error.code;
        outcome.message = error.message;
        outcome.reason = answer.Ok() ? outcome.message : answer.reason;
        if (outcome.message.isEmpty())
            outcome.message = outcome.reason;
        return outcome;
    }
    outcome.code = kCreationCreated;
    outcome.answer = text;
    outcome.id = answer.Object().value(QLatin1String("id")).toString();
    return outcome;
}

MCreationOutcome JudgeCreationAnswer(const MServiceAnswer& answer)
{
    if (answer.failure == MAnswerFailure::Stopped) {
        MCreationOutcome outcome;
        outcome.code = kCreationStopped;
        outcome.reason = answer.reason;
        return outcome;
    }
    return JudgeCreationAnswer(answer.response);
}

QString PageTitleOfHtml(const QString& html)
{
    const qsizetype open = html.indexOf(QLatin1String("<title"), 0, Qt::CaseInsensitive);
    if (open < 0)
        return QString();
    const qsizetype start = html.indexOf(QLatin1Char('>'), open);
    const qsizetype end = html.indexOf(QLatin1String("</title>"), start, Qt::CaseInsensitive);
    if (start < 0 || end < 0)
        return QString();
    return DecodeHtmlEntities(html.mid(start + 1, end - start - 1)).simplified();
}

std::optional<QJsonObject> FindPageMadeInThisRun(
    MServiceSession& session, const QString& pagesUrl, const QString& title, QString* failure)
{
    // The pages written last first: the one looked for was made a moment ago. Its "created" time may
    // lie years back (an imported note keeps its own), so the time it was written is what tells it
    // apart. The service's clock and ours may differ a little: a minute's grace.
    const QString url = pagesUrl + QStringLiteral("?$orderby=lastModifiedDateTime desc&$top=100");
    const MServiceAnswer answer = session.Get(url, kLookupTimeoutSeconds, MExpect::List);
    if (!answer.Ok()) {
        if (failure)
            *failure = answer.reason;
        return std::nullopt;
    }
    const qint64 since = session.RunStartMs() - 60 * 1000;
    const QString wanted = title.simplified();
    for (const QJsonValue& value : answer.List()) {
        const QJsonObject page = value.toObject();
        const QString id = page.value(QLatin1String("id")).toString();
        const QDateTime written
            = QDateTime::fromString(page.value(QLatin1String("lastModifiedDateTime")).toString(), Qt::ISODateWithMs);
        if (id.isEmpty() || session.CreatedInThisRun(id) || !written.isValid() || written.toMSecsSinceEpoch() < since)
            continue;
        if (page.value(QLatin1String("title")).toString().simplified() == wanted)
            return page;
    }
    return QJsonObject();
}

MCreationOutcome SendCreation(MServiceSession& session, const MHttpRequest& request, const MCreationLookup& lookup)
{
    MServiceSession::Options once;
    once.resendWhenLost = false; // looked for first, below
    MCreationOutcome outcome;
    for (int attempt = 0; attempt < 2; ++attempt) {
        outcome = JudgeCreationAnswer(session.Send(request, MExpect::Created, once));
        if (outcome.code != kCreationNoAnswer)
            return outcome;
        // The answer was lost; the item may have been made all the same.
        const QString lost = outcome.reason;
        QString lookupFailure = Localized("reasonStopped");
        std::optional<QJsonObject> found;
        if (session.Pause(session.Rules().lostCreationSettleMs, {}))
            found = lookup(&lookupFailure);
        if (found && !found->isEmpty()) {
            outcome.code = kCreationCreated;
            outcome.answer = QString::fromUtf8(QJsonDocument(*found).toJson(QJsonDocument::Compact));
            outcome.id = found->value(QLatin1String("id")).toString();
            outcome.foundAfterLostAnswer = true;
            outcome.reason.clear();
            return outcome;
        }
        if (!found) {
            // Sending again could make it twice; failing tells the user to look.
            outcome.reason = Localized("reasonLostUnchecked").arg(lost, lookupFailure);
            return outcome;
        }
    }
    return outcome;
}

std::optional<QString> MimeTypeForExtension(const QString& extension)
{
    static const QMap<QString, QString> kTable {
        {QStringLiteral("pdf"), QStringLiteral("application/pdf")},
        {QStringLiteral("wav"), QStringLiteral("audio/wav")},
        {QStringLiteral("mp4"), QStringLiteral("video/mp4")},
        {QStringLiteral("doc"), QStringLiteral("application/msword")},
        {QStringLiteral("docx"), QStringLiteral("application/msword")},
        {QStringLiteral("ppt"), QStringLiteral("application/mspowerpoint")},
        {QStringLiteral("pptx"), QStringLiteral("application/mspowerpoint")},
        {QStringLiteral("xls"), QStringLiteral("application/excel")},
        {QStringLiteral("xlsx"), QStringLiteral("application/excel")},
        {QStringLiteral("png"), QStringLiteral("image/png")},
        {QStringLiteral("jpg"), QStringLiteral("image/jpeg")},
        {QStringLiteral("jpeg"), QStringLiteral("image/jpeg")},
        {QStringLiteral("jpe"), QStringLiteral("image/jpeg")},
        {QStringLiteral("gif"), QStringLiteral("image/gif")},
        {QStringLiteral("bmp"), QStringLiteral("image/bmp")},
        {QStringLiteral("ico"), QStringLiteral("image/x-icon")},
        {QStringLiteral("htm"), QStringLiteral("text/html")},
        {QStringLiteral("html"), QStringLiteral("text/html")},
        {QStringLiteral("mp3"), QStringLiteral("audio/mpeg")},
        {QStringLiteral("mkv"), QStringLiteral("video/x-matroska")},
    };
    const auto found = kTable.constFind(extension);
    if (found == kTable.constEnd())
        return std::nullopt;
    return *found;
}

QString MimeTypeOfFileOrOctetStream(const QString& path)
{
    return MimeTypeForExtension(QFileInfo(path).suffix()).value_or(QStringLiteral("application/octet-stream"));
}

QString ImageMimeFromLeadingBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray head = file.read(2);
    if (head.size() < 2)
        return QString();
    static const struct
    {
        unsigned char first;
        unsigned char second;
        const char* mime;
    } kSignatures[] = {
        {0x0A, 0x05, "image/pcx"},
        {0x38, 0x42, "image/psd"},
        {0x47, 0x49, "image/gif"},
        {0x49, 0x49, "image/tiff"},
        {0x42, 0x4D, "image/bmp"},
        {0x89, 0x50, "image/png"},
        {0x59, 0xA6, "image/ras"},
        {0xFF, 0xD8, "image/jpg"},
        {0x01, 0xDA, "image/sgi"},
    };
    for (const auto& signature : kSignatures) {
        if (static_cast<unsigned char>(head.at(0)) == signature.first
            && static_cast<unsigned char>(head.at(1)) == signature.second)
            return QString::fromLatin1(signature.mime);
    }
    return QString();
}

QString GetFileMime(const QString& path)
{
    if (const std::optional<QString> mime = MimeTypeForExtension(QFileInfo(path).suffix()))
        return *mime;
    const QString image = ImageMimeFromLeadingBytes(path);
    return image.isEmpty() ? QStringLiteral("application/octet-stream") : image;
}

MPageCreationPolicy MPageCreationPolicy::Enex()
{
    return MPageCreationPolicy {Importer::Enex};
}

MPageCreationPolicy MPageCreationPolicy::NotesAndFiles()
{
    return MPageCreationPolicy {Importer::NotesAndFiles, GetFileMime};
}

MPageCreationPolicy MPageCreationPolicy::FolderTree()
{
    return MPageCreationPolicy {Importer::FolderTree};
}

QString MPageCreationPolicy::PagesUrl(const MAccount& account, const QString& target) const
{
    switch (importer) {
    case Importer::Enex:
        return target + QStringLiteral("/pages");
    case Importer::NotesAndFiles:
        return QStringLiteral("%1/sections/%2/pages").arg(account.BaseUrl(), target);
    case Importer::FolderTree:
        return target;
    }
    return target;
}

QString MPageCreationPolicy::RecordedMessage(const QString& message) const
{
    return importer == Importer::FolderTree ? StripHtmlToText(message) : message;
}

QString MPageCreationPolicy::LogLine(const QString& name, const MCreationOutcome& outcome) const
{
    if (importer == Importer::NotesAndFiles)
        return QStringLiteral("Import page error: %1, code: %2").arg(name, outcome.errorCode);
    return QStringLiteral("%1,%2,%3").arg(QStringLiteral("Create Page"), name, outcome.message);
}

QList<MPagePart> PartsFromAttachments(const QMap<QString, QString>& attachments, const MPageCreationPolicy& policy)
{
    QList<MPagePart> parts;
    for (auto it = attachments.constBegin(); it != attachments.constEnd(); ++it) {
        QFile file(it.value());
        if (!QFileInfo(it.value()).isFile() || !file.open(QIODevice::ReadOnly))
            continue;
        parts.append(MPagePart {it.key(), policy.mimeForFile(it.value()).toUtf8(), file.readAll()});
    }
    return parts;
}

MCreationOutcome CreatePageInOnlineOneNote(MServiceSession& session, const MPageCreationPolicy& policy,
    const QString& target, const QString& name, const QString& pageHtml, const QList<MPagePart>& parts,
    const QMap<QString, QString>& partLabels)
{
    MCreationOutcome outcome;
    const MAccount& account = session.Account();
    if (account.OnlineOneNoteAccessToken().isEmpty()) {
        outcome.code = kCreationNoToken;
        outcome.reason = Localized("reasonNotSignedIn");
        return outcome;
    }
    if (target.isEmpty()) {
        outcome.code = kCreationNoTarget;
        outcome.reason = Localized("reasonNoTarget");
        return outcome;
    }
    QStringList missing;
    const QString html = WithoutMissingParts(pageHtml, parts, partLabels, &missing);
    const QString pagesUrl = policy.PagesUrl(account, target);
    const QString title = PageTitleOfHtml(html);
    outcome = SendCreation(session, BuildPageRequest(pagesUrl, html, parts),
        [&](QString* failure) { return FindPageMadeInThisRun(session, pagesUrl, title, failure); });
    outcome.missingParts = missing;
    if (outcome.Created()) {
        session.RememberCreated(outcome.id);
        return outcome;
    }
    if (outcome.code == kCreationServiceError) {
        outcome.message = policy.RecordedMessage(outcome.message);
        if (policy.importer == MPageCreationPolicy::Importer::FolderTree)
            qDebug().noquote() << QStringLiteral("CreateNewPageInOnlineOneNote error: %1").arg(outcome.message);
        WriteLog(policy.LogLine(name, outcome));
    }
    return outcome;
}
