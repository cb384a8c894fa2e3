#include "ResourceDownload.h"

#include "service/ServiceText.h"

#include <QFile>

bool IsServiceErrorDownload(const QByteArray& head)
{
    const QByteArray start = head.left(64).trimmed();
    return start.startsWith("{\"error\":") && IsServiceError(QString::fromUtf8(head));
}

MDownloadOutcome DownloadToFile(
    MHttpRequest request, const QString& path, const std::function<MHttpResponse(const MHttpRequest&)>& send)
{
    MDownloadOutcome outcome;
    const QString partPath = path + QStringLiteral(".download");
    request.bodyFile = partPath;
    const MHttpResponse response = send(request);
    if (!response.HasBody()) {
        QFile::remove(partPath);
        return outcome;
    }
    if (IsServiceErrorDownload(*response.body)) {
        outcome.serviceError = true;
        outcome.errorCode = ServiceErrorCode(response.Text()).value_or(QString());
        QFile::remove(partPath);
        return outcome;
    }
    if (QFile::exists(path) && !QFile::remove(path)) {
        QFile::remove(partPath);
        return outcome;
    }
    outcome.saved = QFile::rename(partPath, path);
    if (!outcome.saved)
        QFile::remove(partPath);
    return outcome;
}

bool WriteNewTextFile(const QString& path, const QString& text)
{
    QFile file(path);
    // NewOnly: a name chosen as free a moment ago may have been taken since; never overwrite.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}
