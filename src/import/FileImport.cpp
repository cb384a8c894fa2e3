#include "FileImport.h"

#include "ImportProgress.h"
#include "LocalPageSend.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "tasks/PageRequest.h"
#include "util/Formats.h"

#include <QDir>
#include <QFileInfo>

bool ExistsInFileList(const QList<MFileObject>& files, const QString& name)
{
    for (const MFileObject& file : files) {
        if (file.name == name)
            return true;
    }
    return false;
}

bool AddToFileList(QList<MFileObject>& files, const QString& name)
{
    if (name.isEmpty() || ExistsInFileList(files, name))
        return false;
    MFileObject file;
    file.name = name;
    files.append(file);
    return true;
}

qint64 LoopGetAFolderFiles(QList<MFileObject>& files, MFileImportKind kind, const QString& folder, bool recurse)
{
    qint64 added = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            if (recurse && !entry.isSymLink()) // a link to a folder above would never end
                added += LoopGetAFolderFiles(files, kind, entry.filePath(), true);
            continue;
        }
        if (HasFileImportExtension(kind, entry.fileName()) && AddToFileList(files, entry.filePath()))
            ++added;
    }
    return added;
}

QString FileStateText(const MFileObject& file)
{
    if (!file.message.isEmpty())
        return file.message;
    if (file.state == 0)
        return QString();
    if (file.state == kCreationCreated)
        return Localized("strSuccess");
    return QStringLiteral("%1:%2").arg(Localized("strFailure"), QString::number(file.state));
}

MFileImportTask::MFileImportTask(const MTaskContext& context, MFileImportSettings settings, QList<MFileObject> files)
    : m_Context(context)
    , m_Settings(std::move(settings))
    , m_Files(std::move(files))
    , m_Session(SessionFor(context))
{ }

QString MFileImportTask::TargetSectionId(const MNotebookNode* tree)
{
    const MNotebookNode* section = tree ? MNotebookNode::GetFirstCheckedSection(tree) : nullptr;
    return section ? section->id : QString();
}

void MFileImportTask::Report(qint64 index, MItemOutcome outcome, const QString& reason, qint64 code)
{
    m_Counts.Add(outcome);
    if (!m_Context.reporter)
        return;
    MTaskItem item;
    item.index = index;
    item.text = QDir::toNativeSeparators(m_Files.at(index).name);
    item.outcome = outcome;
    item.reason = reason;
    item.target = m_Files.at(index).name;
    item.code = code;
    m_Context.reporter->ReportItem(item);
}

void MFileImportTask::ThreadImportRun()
{
    m_Context.RefreshTokens();
    for (MFileObject& file : m_Files) {
        file.state = 0;
        file.message.clear();
        file.reason.clear();
    }
    const qint64 total = m_Files.size();
    m_Journal = OpenRunJournal(FileImportRunIdentity(m_Settings, m_Files), m_Settings.run, m_Context.reporter);
    if (m_Journal && m_Journal->Mode() == MRunMode::Resume)
        ContinueRunIn(m_Session, *m_Journal);
    ReportImportProgress(m_Context, 0, total);
    for (qint64 index = 0; index < total && m_Context.IsRunning(); ++index) {
        m_Context.RefreshTokens();
        if (m_Context.reporter)
            m_Context.reporter->ShowStatus(QDir::toNativeSeparators(m_Files.at(index).name));
        ImportFile(index);
        ReportImportProgress(m_Context, index + 1, total);
        if (m_Context.pacer)
            m_Context.pacer->WaitUpload();
    }
    if (m_Context.IsRunning()) {
        m_LinkPass = RunLinkPass(m_Context, m_Session, m_Journal.get());
        ShowLinkPass(m_Context, m_LinkPass);
    }
    if (m_Journal)
        m_Journal->End(!m_Context.IsRunning());
    if (m_Context.reporter)
        m_Context.reporter->Finish(Localized("strFinish"));
}

bool MFileImportTask::ImportFile(qint64 index)
{
    MFileObject& file = m_Files[index];
    Report(index, MItemOutcome::Sending);
    const MLocalPage page = BuildFileImportPage(m_Settings.kind, file.name, m_Settings.utf8, CurrentDate());
    const MPageCreationPolicy policy = MPageCreationPolicy::NotesAndFiles();
    std::optional<MLocalPageOutcome> sent;
    const MRunItemResult item = SendRunItem(
        m_Journal.get(), index, m_Journal ? FileItemKey(file.name) : QString(), QFileInfo(file.name).fileName(),
        m_Settings.sectionId,
        [&](QString* failure) {
            return FindPageMadeInThisRun(m_Session, policy.PagesUrl(m_Session.Account(), m_Settings.sectionId),
                PageTitleOfHtml(page.html), failure);
        },
        [&] {
            sent = SendLocalPage(m_Session, policy, m_Settings.sectionId, file.name, page);
            return sent->creation;
        });
    RememberMadePage(m_Journal.get(), index, PageTitleOfHtml(page.html), file.name, item, page.html);
    const MCreationOutcome& creation = item.creation;
    file.state = item.outcome == MItemOutcome::Skipped ? 0 : creation.code; // skipped: neither imported nor failed
    file.message = creation.code == kCreationServiceError ? creation.message : QString();
    file.reason = sent ? ItemReasonOf(*sent) : item.reason;
    if (item.prior == MRunJournal::MPrior::ImportedBefore)
        file.message = item.reason;
    Report(index, item.outcome, file.reason.isEmpty() ? item.reason : file.reason, creation.code);
    return item.outcome == MItemOutcome::Created;
}

MRunJournal::MIdentity FileImportRunIdentity(const MFileImportSettings& settings, const QList<MFileObject>& files)
{
    QStringList paths;
    for (const MFileObject& file : files)
        paths.append(file.name);
    MRunJournal::MIdentity identity;
    identity.task = QStringLiteral("import-files");
    identity.source = SourceListName(paths);
    identity.target = settings.sectionId;
    identity.settings = QStringLiteral("feature=%1;utf8=%2")
                            .arg(LedgerName(FeatureForFileImportKind(settings.kind)))
                            .arg(settings.utf8 ? 1 : 0);
    return identity;
}
