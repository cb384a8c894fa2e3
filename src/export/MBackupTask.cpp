#include "MBackupTask.h"

#include "app/Log.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "util/Digest.h"
#include "util/FileUtils.h"

#include <QCryptographicHash>
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

MBackupTask::MBackupTask(const MTaskContext& context, MExportKind kind, QString mirrorFolder, bool sectionFiles)
    : MExportTask(context, kind, mirrorFolder)
    , m_Folder(QDir::cleanPath(mirrorFolder))
    , m_Pages(kind != MExportKind::SectionFile)
    , m_SectionFiles(sectionFiles || kind == MExportKind::SectionFile)
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
    if (m_Context.tree) {
        WalkNotebooks(*m_Context.tree, m_Folder);
        // The tree was read afresh: a section the mirror holds that is not in it is gone online. Its
        // pages and file go aside (a section merely left unchecked is in the tree).
        for (const QString& sectionId : m_State->Sections()) {
            if (!Running() || MNotebookNode::GetObjectById(sectionId, m_Context.tree.get()))
                continue;
            m_Seen.clear();
            MoveAsideGone(sectionId, true);
        }
    }
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
    qint64 handled = 0;
    if (m_Pages) {
        m_SectionFailed = false;
        m_Seen.clear();
        handled = MExportTask::VisitSection(section, path);
        // Only a list read to its end tells which pages are gone.
        if (!m_SectionFailed && Running())
            MoveAsideGone(section.id);
    }
    if (m_SectionFiles && Running())
        KeepSectionFile(section, path);
    return handled;
}

void MBackupTask::KeepSectionFile(const MNotebookNode& section, const QString& folder)
{
    const QString target = SectionFilePath(folder, section.name);
    const QString rel = Relative(target);
    m_Context.RefreshTokens();
    QString failure;
    const MSectionFileItem item = SectionFileItem(section.id, &failure);
    std::optional<MBackupSectionFile> row = m_State->FindSectionFile(section.id);
    if (!item.id.isEmpty() && row && row->path != rel && QFileInfo::exists(Absolute(row->path))) {
        // The section was renamed: its file follows.
        if (MoveFile(Absolute(row->path), target)) {
            ++m_Counts.moved;
            row->path = rel;
            m_State->PutSectionFile(*row);
        }
    }
    if (row && row->path == rel && row->modified == item.modified && row->size == item.size
        && QFileInfo::exists(target)) {
        ++m_Counts.unchanged;
        return;
    }
    const qsizetype lineStart = m_Result.size();
    m_Result += target;
    ShowToUI(target);
    qint64 size = 0;
    const QString url = item.id.isEmpty() ? QString() : SectionFileDownloadUrl(item.id, size, &failure);
    const QString temporary = url.isEmpty() ? QString() : TemporaryPath();
    bool fetched = !temporary.isEmpty()
        && (DownloadSectionFile(url, temporary, &failure) || DownloadSectionFile(url, temporary, &failure));
    if (!fetched && !Running()) {
        m_Result.truncate(lineStart);
        return;
    }
    QString digest;
    if (fetched) {
        QFile file(temporary);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        fetched = file.open(QIODevice::ReadOnly) && hash.addData(&file);
        digest = QString::fromLatin1(hash.result().toHex());
    }
    if (fetched && !PutInPlace(temporary, target)) {
        fetched = false;
        failure = Localized("reasonCannotWrite").arg(target);
    }
    if (fetched) {
        // The item's time as first read: a change made during the download is fetched next run.
        m_State->PutSectionFile({section.id, item.modified, size, rel, digest});
        ++m_Counts.written;
    } else {
        // The last good copy stays where it is.
        ++m_Counts.failed;
    }
    AddItem(target, fetched, fetched ? QString() : failure.isEmpty() ? Localized("strFailure") : failure);
    Wait(MPacer::Kind::Download);
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

QString MBackupTask::TemporaryPath()
{
    const QString partial = QDir(m_Folder).filePath(QLatin1String(kPartialFolder));
    if (!CreateFolder(partial))
        return QString();
    return QDir(partial).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
}

bool MBackupTask::PutInPlace(const QString& temporary, const QString& path)
{
    std::error_code error;
    std::filesystem::rename(FsPath(temporary), FsPath(path), error);
    if (error)
        QFile::remove(temporary);
    return !error;
}

QString MBackupTask::WriteInPlace(const QString& path, const QString& content)
{
    const QString temporary = TemporaryPath();
    if (temporary.isEmpty())
        return QString();
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
    return PutInPlace(temporary, path) ? SHA256String(bytes) : QString();
}

bool MBackupTask::MoveAside(const QString& relative)
{
    const QString from = Absolute(relative);
    if (!QFileInfo::exists(from))
        return true;
    const QString day = QDate::currentDate().toString(Qt::ISODate);
    const QString ext = QLatin1Char('.') + QFileInfo(from).suffix();
    const QString to = MUtils::getFilePathNewName(
        QDir(m_Folder).filePath(QStringLiteral("%1/%2/%3").arg(QLatin1String(kDeletedFolder), day, relative)), ext);
    if (!MoveFile(from, to)) {
        ++m_Counts.failed;
        return false;
    }
    m_Result += QStringLiteral("%1 -> %2\n").arg(from, to);
    return true;
}

void MBackupTask::MoveAsideGone(const QString& sectionId, bool sectionGone)
{
    for (const MBackupPage& row : m_State->PagesOf(sectionId)) {
        if (m_Seen.contains(row.pageId) || !MoveAside(row.path))
            continue;
        m_State->Remove(row.pageId);
        ++m_Counts.deleted;
    }
    if (!sectionGone)
        return;
    if (const std::optional<MBackupSectionFile> file = m_State->FindSectionFile(sectionId);
        file && MoveAside(file->path)) {
        m_State->RemoveSectionFile(sectionId);
        ++m_Counts.deleted;
    }
}
