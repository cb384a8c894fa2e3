#include "FileImport.h"

#include "ImportProgress.h"
#include "LocalPageSend.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
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

QString MFileImportTask::TargetSectionId(const MONObject* tree)
{
    const MONObject* section = tree ? MONObject::GetFirstCheckedSection(tree) : nullptr;
    return section ? section->objId : QString();
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
    if (m_Context.account)
        m_Context.account->RefreshTokens(false);
    for (MFileObject& file : m_Files) {
        file.state = 0;
        file.message.clear();
        file.reason.clear();
    }
    const qint64 total = m_Files.size();
    ReportImportProgress(m_Context, 0, total);
    for (qint64 index = 0; index < total && m_Context.IsRunning(); ++index) {
        if (m_Context.account)
            m_Context.account->RefreshTokens(false);
        if (m_Context.reporter)
            m_Context.reporter->ShowStatus(QDir::toNativeSeparators(m_Files.at(index).name));
        ImportFile(index);
        ReportImportProgress(m_Context, index + 1, total);
        if (m_Context.pacer)
            m_Context.pacer->WaitUpload();
    }
    if (m_Context.reporter)
        m_Context.reporter->Finish(Localized("strFinish"));
}

bool MFileImportTask::ImportFile(qint64 index)
{
    MFileObject& file = m_Files[index];
    Report(index, MItemOutcome::Sending);
    const MLocalPage page = BuildFileImportPage(m_Settings.kind, file.name, m_Settings.utf8, CurrentDate());
    const MLocalPageOutcome outcome
        = SendLocalPage(m_Session, MPageCreationPolicy::NotesAndFiles(), m_Settings.sectionId, file.name, page);
    const MCreationOutcome& creation = outcome.creation;
    file.state = creation.code;
    file.message = creation.code == kCreationServiceError ? creation.message : QString();
    file.reason = ItemReasonOf(outcome);
    const MItemOutcome item = ItemOutcomeOf(creation);
    if (item == MItemOutcome::Skipped)
        file.state = 0; // stopped before it went out: not imported, not failed
    Report(index, item, file.reason, creation.code);
    return creation.Created();
}
