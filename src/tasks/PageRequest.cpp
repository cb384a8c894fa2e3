#include "PageRequest.h"

#include "account/MAccount.h"
#include "app/Log.h"
#include "service/ServiceCall.h"
#include "service/ServiceText.h"
#include "util/FileUtils.h"
#include "util/HtmlText.h"
#include "util/TextUtils.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

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

MPageBody BuildPageBody(const QString& html, const QList<MPagePart>& parts)
{
    MPageBody result;
    const QByteArray htmlBytes = html.toUtf8();
    if (parts.isEmpty()) {
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
    if (parts.isEmpty())
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
    if (!response.HasBody()) {
        outcome.code = kCreationNoAnswer;
        return outcome;
    }
    outcome.answer = response.Text();
    if (StringContains(QStringLiteral("\"error\":"), outcome.answer)) {
        outcome.code = kCreationServiceError;
        outcome.message = ServiceErrorMessage(outcome.answer);
        outcome.errorCode = GetStringBetween(outcome.answer, QStringLiteral("{\"code\":\""), QStringLiteral("\""));
        return outcome;
    }
    outcome.code = kCreationCreated;
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

MPageCreationPolicy MPageCreationPolicy::Enex()
{
    return MPageCreationPolicy {Importer::Enex};
}

MPageCreationPolicy MPageCreationPolicy::NotesAndFiles()
{
    return MPageCreationPolicy {Importer::NotesAndFiles};
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
        if (!file.open(QIODevice::ReadOnly))
            continue;
        parts.append(MPagePart {it.key(), policy.mimeForFile(it.value()).toUtf8(), file.readAll()});
    }
    return parts;
}

MCreationOutcome CreatePageInOnlineOneNote(const MAccount& account, const MPageCreationPolicy& policy,
    const QString& target, const QString& name, const QString& html, const QList<MPagePart>& parts)
{
    MCreationOutcome outcome;
    if (account.OnlineOneNoteAccessToken().isEmpty()) {
        outcome.code = kCreationNoToken;
        return outcome;
    }
    if (target.isEmpty()) {
        outcome.code = kCreationNoTarget;
        return outcome;
    }
    const MHttpResponse response
        = SendAuthorized(account, BuildPageRequest(policy.PagesUrl(account, target), html, parts));
    if (!response.sent) {
        outcome.code = kCreationNoToken; // the token was emptied by a sign-out meanwhile
        return outcome;
    }
    outcome = JudgeCreationAnswer(response);
    if (outcome.code == kCreationServiceError) {
        outcome.message = policy.RecordedMessage(outcome.message);
        if (policy.importer == MPageCreationPolicy::Importer::FolderTree)
            qDebug().noquote() << QStringLiteral("CreateNewPageInOnlineOneNote error: %1").arg(outcome.message);
        WriteLog(policy.LogLine(name, outcome));
    }
    return outcome;
}
