#include "MSaveAttachmentsTask.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "tasks/ResourceDownload.h"
#include "util/FileUtils.h"

#include <QFileInfo>

namespace {

// The first name not taken: "Page_a.pdf", "Page_a(1).pdf", ...
QString FreePath(const QString& folder, const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    const QString postfix = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
    return MUtils::getFilePathNewName(folder + QLatin1Char('/') + fileName, postfix);
}

} // namespace

MSaveAttachmentsTask::MSaveAttachmentsTask(const MTaskContext& context, QList<MAttachment> items, QString folder)
    : m_Context(context)
    , m_Items(std::move(items))
    , m_Folder(std::move(folder))
    , m_Session(SessionFor(context))
    , m_Rows(context.reporter)
{ }

std::optional<QString> MSaveAttachmentsTask::StartProblem(const QList<MAttachment>& items, const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QStringLiteral("strSpecifyStoreFolder");
    const bool anyTicked
        = std::any_of(items.begin(), items.end(), [](const MAttachment& item) { return item.downloadIt; });
    if (!anyTicked)
        return QString();
    return std::nullopt;
}

void MSaveAttachmentsTask::ThreadRun()
{
    m_Context.RefreshTokens(true);
    if (m_Context.pacer)
        m_Context.pacer->WaitDownload();
    const qint64 total
        = std::count_if(m_Items.begin(), m_Items.end(), [](const MAttachment& item) { return item.downloadIt; });
    qint64 done = 0;
    for (qsizetype i = 0; i < m_Items.size() && Running(); ++i) {
        if (!m_Items.at(i).downloadIt)
            continue;
        if (m_Context.reporter)
            m_Context.reporter->ShowProgress(MTaskProgress {done, total, -1});
        SaveItem(i);
        ++done;
        if (m_Context.pacer)
            m_Context.pacer->WaitDownload();
    }
    if (m_Context.reporter) {
        m_Context.reporter->ShowProgress(MTaskProgress {done, total, -1});
        m_Context.reporter->Finish(Localized("strFinish"));
    }
}

void MSaveAttachmentsTask::SaveItem(qsizetype index)
{
    MAttachment& item = m_Items[index];
    m_Context.RefreshTokens();
    const QString path = FreePath(m_Folder, AttachmentFileName(item));
    if (m_Context.reporter)
        m_Context.reporter->ShowStatus(path);
    item.outcome = MItemOutcome::Sending;
    m_Rows.BeginAt(index, path);

    MFailure failure;
    const bool saved = DownloadAttachment(m_Session, item.data, path, &failure, MExistingFile::Keep);
    if (!saved && !Running() && failure.Stopped()) {
        item.outcome = MItemOutcome::Skipped;
        item.reason = failure.reason;
        m_Rows.End(index, path, MItemOutcome::Skipped, failure.reason);
        return;
    }
    item.outcome = saved ? MItemOutcome::Created : MItemOutcome::Failed;
    item.status = Localized(saved ? "strSuccess" : "strFailure");
    item.reason = saved ? QString() : failure.reason;
    item.savedPath = saved ? path : QString();
    m_Rows.End(index, path, *item.outcome, item.reason, item.savedPath);
    if (m_Context.reporter)
        m_Context.reporter->ShowStatus(item.status);
}
