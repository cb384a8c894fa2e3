#include "ResourceDownload.h"

#include "app/MStrings.h"

#include <QFile>
#include <QFileInfo>

MDownloadOutcome DownloadToFile(MHttpRequest request, const QString& path,
    const std::function<MServiceAnswer(const MHttpRequest&)>& send, qint64 expectedSize, MExistingFile existing)
{
    MDownloadOutcome outcome;
    const QString partPath = path + QStringLiteral(".download");
    request.bodyFile = partPath;
    const MServiceAnswer answer = send(request);
    if (!answer.Ok()) {
        outcome.errorCode = answer.errorCode;
        outcome.reason = answer.reason;
        QFile::remove(partPath);
        return outcome;
    }
    const qint64 size = QFileInfo(partPath).size();
    if (expectedSize >= 0 && size != expectedSize) {
        outcome.reason = Localized("reasonWrongSize").arg(QString::number(size), QString::number(expectedSize));
        QFile::remove(partPath);
        return outcome;
    }
    if (existing == MExistingFile::Keep && QFileInfo::exists(path)) {
        outcome.reason = Localized("reasonFileExists").arg(path);
        QFile::remove(partPath);
        return outcome;
    }
    if (existing == MExistingFile::Replace && QFile::exists(path) && !QFile::remove(path)) {
        outcome.reason = Localized("reasonCannotWrite").arg(path);
        QFile::remove(partPath);
        return outcome;
    }
    // Never over a file: rename refuses a name that exists, even one made since the check above.
    outcome.saved = QFile::rename(partPath, path);
    if (!outcome.saved) {
        outcome.reason = Localized("reasonCannotWrite").arg(path);
        QFile::remove(partPath);
    }
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
