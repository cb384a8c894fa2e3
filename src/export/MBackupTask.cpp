#include "MBackupTask.h"

#include "app/Log.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "util/Digest.h"
#include "util/FileUtils.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kPartialFolder = ".partial";
constexpr const char* kDeletedFolder = ".deleted";

std::filesystem::path FsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

// "<page>.files" beside an HTML page, where its images and attachments lie.
QString FilesFolderOf(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".files"));
}

} // namespace

MBackupTask::MBackupTask(const MTaskContext& context, MExportKind kind, QString mirrorFolder)
    : MExportTask(context, kind, mirrorFolder)
    , m_Folder(QDir::cleanPath(mirrorFolder))
{ }

MBackupTask::~MBackupTask() = default;

MBackupTask::Start MBackupTask::Run()
{
    CreateFolder(m_Folder);
    m_Lock = std::make_unique<QLockFile>(QDir(m_Folder).filePath(QLatin1String(kLockName)));
    // A lock left by a run that was killed names a process that is gone: Qt takes it over (it looks
    // only when a stale time is set). A live run may hold the folder for many hours at the service's
    // pace, so the time itself is a month.
    m_Lock->setStaleLockTime(std::chrono::hours(24 * 30));
    if (!m_Lock->tryLock(0))
        return Start::Busy;
    m_State = std::make_unique<MBackupState>(m_Folder);
    if (!m_State->IsOpen()) {
        Alert(Localized("taskBackupNoState").arg(QDir::toNativeSeparators(m_Folder), m_State->Error()));
        return Start::NoState;
    }
    // What a killed run was writing never reached its place: it goes.
    const QString partial = QDir(m_Folder).filePath(QLatin1String(kPartialFolder));
    QDir(partial).removeRecursively();
    m_Context.RefreshTokens();
    if (m_Context.tree)
        WalkNotebooks(*m_Context.tree, m_Folder);
    QDir(partial).removeRecursively();
    if (Running() && m_Counts.failed == 0)
        m_State->SetLastComplete(QDateTime::currentDateTimeUtc());
    if (m_Context.reporter)
        m_Context.reporter->Finish(FinishText() + QLatin1Char(' ') + SummaryText());
    return Start::Ran;
}

QString MBackupTask::SummaryText() const
{
    return Localized("taskBackupSummary")
        .arg(m_Counts.written)
        .arg(m_Counts.unchanged)
        .arg(m_Counts.moved)
        .arg(m_Counts.deleted)
        .arg(m_Counts.failed)
        .arg(m_Counts.requests);
}

MHttpResponse MBackupTask::Send(const MHttpRequest& request)
{
    ++m_Counts.requests;
    return MExportTask::Send(request);
}

QString MBackupTask::PageListAddress(const QString& sectionId, qint64 skip) const
{
    // What the mirror needs of a page to know whether its file is current: a smaller answer.
    return MExportTask::PageListAddress(sectionId, skip) + QStringLiteral("&$select=id,title,lastModifiedDateTime");
}

QString MBackupTask::Relative(const QString& path) const
{
    return QDir(m_Folder).relativeFilePath(path);
}

QString MBackupTask::Absolute(const QString& relative) const
{
    return QDir(m_Folder).filePath(relative);
}

qint64 MBackupTask::VisitSection(const MNotebookNode& section, const QString& path)
{
    m_SectionId = section.id;
    m_SectionFailed = false;
    m_Seen.clear();
    const qint64 handled = MExportTask::VisitSection(section, path);
    // Only a list read to its end tells which pages are gone.
    if (!m_SectionFailed && Running())
        MoveAsideGone(section.id);
    return handled;
}

void MBackupTask::OnSectionFailed(const MNotebookNode& section, const QString& sectionPath, const QString& reason)
{
    m_SectionFailed = true;
    ++m_Counts.failed;
    MExportTask::OnSectionFailed(section, sectionPath, reason);
}

QString MBackupTask::TargetFor(const MPageEntry& page, qint64 index, const QString& sectionPath) const
{
    const QString ext = Extension();
    QString name = MUtils::SanitizeFileNameString(page.title);
    if (name.isEmpty())
        name = QString::number(index);
    // Another page of the mirror may have the name: the export's "(n)" rule, among the mirror's pages
    // rather than the files on disk (a file of this page from a killed run is its own).
    const auto takenByOther = [&](const QString& path) {
        const QString rel = Relative(path);
        const QString claimed = m_Claimed.value(rel);
        if (!claimed.isEmpty())
            return claimed != page.id;
        const QString owner = m_State->OwnerOf(rel);
        return !owner.isEmpty() && owner != page.id;
    };
    QString path = sectionPath + QLatin1Char('/') + name + ext;
    for (int n = 1; takenByOther(path); ++n)
        path = sectionPath + QLatin1Char('/') + name + QStringLiteral("(%1)").arg(n) + ext;
    return path;
}

qint64 MBackupTask::HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath)
{
    const QString target = TargetFor(page, index, sectionPath);
    const QString rel = Relative(target);
    m_Seen.insert(page.id);
    m_Claimed.insert(rel, page.id);
    std::optional<MBackupPage> row = m_State->Find(page.id);
    if (row && row->path != rel && QFileInfo::exists(Absolute(row->path))) {
        if (MoveFile(Absolute(row->path), target)) {
            ++m_Counts.moved;
            row->path = rel;
            m_State->Put(*row);
        }
    }
    if (row && row->path == rel && !page.modified.isEmpty() && row->modified == page.modified
        && QFileInfo::exists(target)) {
        ++m_Counts.unchanged;
        return 0;
    }

    const qsizetype lineStart = m_Result.size();
    m_Result += target;
    ShowToUI(target);
    MFailure failure;
    const QString html = GetPageContent(page, &failure);
    if (html.isEmpty() && !Running() && failure.Stopped()) {
        m_Result.truncate(lineStart);
        return 0;
    }
    const QString content = PageContent(page, html, target);
    if (content.isEmpty()) {
        // The last good copy stays where it is.
        ++m_Counts.failed;
        AddItem(target, false, failure.reason.isEmpty() ? Localized("strFailure") : failure.reason);
        return 0;
    }
    const QString digest = WriteInPlace(target, content);
    if (digest.isEmpty()) {
        ++m_Counts.failed;
        AddItem(target, false, Localized("reasonCannotWrite").arg(target));
        return 0;
    }
    // A page written without some of its images is written again by the next run: its time is not
    // recorded as done.
    const bool whole = PageResourcesFailed() == 0;
    m_State->Put({page.id, m_SectionId, whole ? page.modified : QString(), rel, digest});
    ++m_Counts.written;
    if (!whole)
        ++m_Counts.failed;
    AddItem(target, true,
        whole ? QString()
              : Localized("reasonResourcesNotSaved").arg(QString::number(PageResourcesFailed()), ResourceFailure()));
    return 1;
}

bool MBackupTask::MoveFile(const QString& from, const QString& to)
{
    CreateFolder(QFileInfo(to).absolutePath());
    std::error_code error;
    std::filesystem::rename(FsPath(from), FsPath(to), error);
    if (error) {
        WriteLog(QStringLiteral("Backup: %1 could not be moved to %2: %3")
                     .arg(from, to, QString::fromLocal8Bit(error.message())));
        return false;
    }
    const QString files = FilesFolderOf(from);
    if (Extension() == QLatin1String(".html") && QFileInfo(files).isDir())
        std::filesystem::rename(FsPath(files), FsPath(FilesFolderOf(to)), error);
    return true;
}

QString MBackupTask::WriteInPlace(const QString& path, const QString& content)
{
    const QString partial = QDir(m_Folder).filePath(QLatin1String(kPartialFolder));
    if (!CreateFolder(partial))
        return QString();
    const QString temporary = QDir(partial).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + Extension());
    const QByteArray bytes = content.toUtf8();
    {
        QFile file(temporary);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return QString();
        const bool written = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        if (!written || file.error() != QFileDevice::NoError) {
            file.remove();
            return QString();
        }
    }
    // One step from the temporary file to the page's place: the old copy until then, the new after.
    std::error_code error;
    std::filesystem::rename(FsPath(temporary), FsPath(path), error);
    if (error) {
        QFile::remove(temporary);
        return QString();
    }
    return SHA256String(bytes);
}

void MBackupTask::MoveAsideGone(const QString& sectionId)
{
    const QString day = QDate::currentDate().toString(Qt::ISODate);
    for (const MBackupPage& row : m_State->PagesOf(sectionId)) {
        if (m_Seen.contains(row.pageId))
            continue;
        const QString from = Absolute(row.path);
        if (QFileInfo::exists(from)) {
            const QString ext = QLatin1Char('.') + QFileInfo(from).suffix();
            const QString to = MUtils::getFilePathNewName(
                QDir(m_Folder).filePath(QStringLiteral("%1/%2/%3").arg(QLatin1String(kDeletedFolder), day, row.path)),
                ext);
            if (!MoveFile(from, to)) {
                ++m_Counts.failed;
                continue;
            }
            m_Result += QStringLiteral("%1 -> %2\n").arg(from, to);
        }
        m_State->Remove(row.pageId);
        ++m_Counts.deleted;
    }
}
