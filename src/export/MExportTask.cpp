#include "MExportTask.h"

#include "LocalHtml.h"
#include "PageText.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "net/ServiceRequest.h"
#include "net/ServiceText.h"
#include "service/OneDriveReads.h"
#include "tasks/ResourceDownload.h"
#include "util/FileUtils.h"
#include "util/Formats.h"
#include "util/TextUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kDownloadTimeout = 30;

// The request timeout bounds the whole transfer, not the silence between packets: a large section
// file gets time in proportion to its size (256 KiB a second at the least).
int SectionFileTimeout(qint64 size)
{
    return int(std::min<qint64>(kDownloadTimeout + size / (256 * 1024), 24 * 3600));
}

QString Join(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + name;
}

} // namespace

std::optional<MExportKind> ExportKindForFeature(const QString& feature)
{
    if (StringEqualsIgnoreCase(feature, QStringLiteral("btnExportToTxt")))
        return MExportKind::Text;
    if (StringEqualsIgnoreCase(feature, QStringLiteral("btnExportToHtml")))
        return MExportKind::Html;
    if (StringEqualsIgnoreCase(feature, QStringLiteral("btnBackup")))
        return MExportKind::SectionFile;
    return std::nullopt;
}

MExportTask::MExportTask(const MTaskContext& context, MExportKind kind, QString exportFolder)
    : MPageWalker(context, PagePolicyFor(MPageUser::Export))
    , m_Kind(kind)
    , m_ExportFolder(std::move(exportFolder))
{ }

std::optional<QString> MExportTask::StartProblem(const MONObject* tree, const QString& exportFolder)
{
    if (!tree || !MONObject::GetFirstCheckedSection(tree))
        return QStringLiteral("strSelectASection");
    if (exportFolder.isEmpty())
        return QStringLiteral("strSpecifyStoreFolder");
    return std::nullopt;
}

void MExportTask::ThreadRun()
{
    m_Context.RefreshTokens();
    // A killed export leaves a record of what it wrote and what it was writing.
    m_Journal = std::make_unique<MRunJournal>(
        MRunJournal::MIdentity {QStringLiteral("export"), m_Context.feature, m_ExportFolder, Extension()},
        MRunMode::New);
    if (m_Context.tree)
        WalkNotebooks(*m_Context.tree, m_ExportFolder);
    m_Journal->End(!Running());
    if (m_Context.reporter)
        m_Context.reporter->Finish(FinishText());
}

QString MExportTask::Extension() const
{
    switch (m_Kind) {
    case MExportKind::Text:
        return QStringLiteral(".txt");
    case MExportKind::Html:
        return QStringLiteral(".html");
    case MExportKind::SectionFile:
        break;
    }
    return QStringLiteral(".one");
}

qint64 MExportTask::VisitSection(const MONObject& section, const QString& path)
{
    if (m_Kind == MExportKind::SectionFile) {
        BackUpSectionFile(section, path);
        return 0;
    }
    return ListSection(section, path);
}

void MExportTask::EnterFolder(const QString& path)
{
    CreateFolder(path); // a failure shows as pages that cannot be written
}

QString MExportTask::ChildPath(const QString& path, const QString& name) const
{
    // Names become folders below the user's folder: a "/" or ".." in one must not lead outside it.
    return Join(path, SafePathComponent(name));
}

qint64 MExportTask::HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath)
{
    return ExportPage(page, index, sectionPath);
}

qint64 MExportTask::ExportPage(const MPageEntry& page, qint64 index, const QString& sectionFolder)
{
    const QString ext = Extension();
    QString cleanTitle = MUtils::SanitizeFileNameString(page.title);
    // A title of nothing but removed characters would give a hidden ".txt".
    if (cleanTitle.isEmpty())
        cleanTitle = QString::number(index);
    const QString path = MUtils::getFilePathNewName(Join(sectionFolder, cleanTitle + ext), ext);

    const qsizetype lineStart = m_Result.size();
    m_Result += path;
    ShowToUI(path);
    if (m_Journal)
        m_Journal->Sending(m_Items.size(), page.id, page.title, path);
    QString failure;
    const QString html = GetPageContent(page, &failure);
    if (html.isEmpty() && !Running() && failure == Localized("reasonStopped")) {
        // Stopped while the page waited for its turn: it was never asked for.
        m_Result.truncate(lineStart);
        if (m_Journal)
            m_Journal->Outcome(m_Items.size(), MLedgerOutcome::Stopped);
        return 0;
    }
    const QString content = PageContent(page, html, path);

    bool written = false;
    QString reason = failure;
    if (!content.isEmpty()) {
        written = WriteNewTextFile(path, content);
        reason = written ? QString() : Localized("reasonCannotWrite").arg(path);
        if (written)
            ++m_ExportFilesCount;
        if (written && m_PageResourcesFailed > 0)
            reason
                = Localized("reasonResourcesNotSaved").arg(QString::number(m_PageResourcesFailed), m_ResourceFailure);
    }
    ++m_PagesDone;
    AddItem(path, written, reason);
    ShowToUI(path);
    return written ? 1 : 0;
}

QString MExportTask::OutcomeWords(bool written, const QString& reason)
{
    if (written && reason.isEmpty())
        return Localized("strSuccess");
    if (reason.isEmpty())
        return Localized("strFailure");
    return QStringLiteral("%1 (%2)").arg(Localized("strFailure"), reason);
}

void MExportTask::AddItem(const QString& path, bool written, const QString& reason)
{
    // The line was started with the path when the item began.
    m_Result += QLatin1Char(' ') + OutcomeWords(written, reason) + QLatin1Char('\n');
    MExportItem item {path, written, reason};
    if (m_Journal)
        m_Journal->Outcome(m_Items.size(), item.Failed() ? MLedgerOutcome::Failed : MLedgerOutcome::Created, QString(),
            written ? path : QString(), reason);
    if (m_Context.reporter) {
        MTaskItem row;
        row.index = m_Items.size();
        row.text = path;
        row.outcome = item.Failed() ? MItemOutcome::Failed : MItemOutcome::Created;
        row.reason = reason;
        row.target = written ? path : QString();
        m_Context.reporter->ReportItem(row);
    }
    m_Items.append(item);
}

qint64 MExportTask::ItemsFailed() const
{
    return std::count_if(m_Items.begin(), m_Items.end(), [](const MExportItem& item) { return item.Failed(); });
}

void MExportTask::OnSectionFailed(const MONObject&, const QString& sectionPath, const QString& reason)
{
    m_Result += sectionPath;
    AddItem(sectionPath, false, reason);
    ShowToUI(sectionPath);
}

QString MExportTask::PageContent(const MPageEntry& page, const QString& html, const QString& path)
{
    m_PageResourcesFailed = 0;
    m_ResourceFailure.clear();
    if (html.isEmpty())
        return QString();
    if (m_Kind == MExportKind::Text)
        return ConvertOnlineHtml2PlainText(html, MUtils::SanitizeFileNameString(page.title));

    const QString link = html.contains(QStringLiteral("object-id=")) ? GetPageOneNoteClientUrl(page.id) : QString();
    const QString iconOrigin = QStringLiteral("http://") + MEndpoints::HostOf(m_Context.account->Endpoints().makerWeb);
    MLocalHtmlConverter converter(iconOrigin, [this](const QString& url, const QString& file) {
        m_Context.RefreshTokens();
        QString failure;
        const bool saved = DownloadAttachment(m_Session, url, file, &failure);
        if (!saved) {
            ++m_PageResourcesFailed;
            if (m_ResourceFailure.isEmpty())
                m_ResourceFailure = QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(), failure);
        }
        Wait(MPacer::Kind::Download);
        return saved;
    });
    const QString result = converter.ConvertOnlineHtml2LocalHtml(link, html, path);
    m_ResourcesFailed += converter.DownloadsFailed();
    return result;
}

void MExportTask::BackUpSectionFile(const MONObject& section, const QString& exportFolder)
{
    const QString ext = Extension();
    // Never over an earlier backup: a second run writes "Section(1).one".
    const QString target = MUtils::getFilePathNewName(Join(exportFolder, SafePathComponent(section.name) + ext), ext);
    m_Result += target;
    ShowToUI(target);

    m_Context.RefreshTokens();
    qint64 size = 0;
    QString failure;
    const QString url = GetSectionFileDownloadUrl(section.objId, size, &failure);
    m_SectionFileSize = size;
    bool written = false;
    if (!url.isEmpty()) {
        m_Result += QStringLiteral(" ... %1 ...").arg(FormatByteSize(size));
        ShowToUI(target);
        written = DownloadSectionFile(url, target, &failure) || DownloadSectionFile(url, target, &failure);
        if (written)
            ++m_ExportFilesCount;
    }
    if (!written && failure.isEmpty() && !Running())
        failure = Localized("reasonStopped");
    AddItem(target, written, written ? QString() : failure);
    ShowToUI(target);
    Wait(MPacer::Kind::Download);
}

QString MExportTask::GetSectionFileDownloadUrl(const QString& sectionId, qint64& fileSize, QString* failure)
{
    fileSize = 0;
    const MAccount& account = *m_Context.account;
    if (account.OnlineOneNoteAccessToken().isEmpty()) {
        ShowToUI(QStringLiteral("Get Url: lost token."));
        if (failure)
            *failure = Localized("reasonNotSignedIn");
        return QString();
    }
    ShowToUI(QStringLiteral("Get Url"));
    QString itemFailure;
    const QString itemId = DriveItemIdFromOneNoteId(m_Session, sectionId, &itemFailure);
    if (itemId.isEmpty()) {
        ShowToUI(QStringLiteral("Get url failure"));
        if (failure)
            *failure = itemFailure.isEmpty() ? Localized("reasonNoDownloadAddress") : itemFailure;
        return QString();
    }
    const QString url = QStringLiteral("%1/drive/items/%2?select=id,size,@microsoft.graph.downloadUrl")
                            .arg(account.APIUrl().value_or(QString()), itemId);
    const MServiceAnswer answer = m_Session.Get(url, kDownloadTimeout, MExpect::Json);
    if (!answer.Ok()) {
        ShowToUI(answer.errorCode.isEmpty() ? QStringLiteral("Get url failure")
                                            : QStringLiteral("Get url error: %1").arg(answer.errorCode));
        if (failure)
            *failure = answer.reason;
        return QString();
    }
    Wait(MPacer::Kind::Upload);
    const QJsonObject item = answer.Object();
    fileSize = item.value(QStringLiteral("size")).toInteger();
    const QString address = item.value(QStringLiteral("@microsoft.graph.downloadUrl")).toString();
    if (address.isEmpty() && failure)
        *failure = Localized("reasonNoDownloadAddress");
    return address;
}

bool MExportTask::DownloadSectionFile(const QString& downloadUrl, const QString& downloadFileName, QString* failure)
{
    const MAccount& account = *m_Context.account;
    if (account.OnlineOneNoteAccessToken().isEmpty() || account.UserId().isEmpty()) {
        if (failure)
            *failure = Localized("reasonNotSignedIn");
        return false;
    }
    ShowToUI(QStringLiteral("Downloading ..."));
    // The download addresses of OneDrive are pre-authorized: no bearer token goes with them.
    MServiceSession::Options options;
    options.authorized = false;
    const MDownloadOutcome outcome = DownloadToFile(
        ServiceRequestEncoded("GET", downloadUrl, SectionFileTimeout(m_SectionFileSize)), downloadFileName,
        [&](const MHttpRequest& request) { return m_Session.Send(request, MExpect::Bytes, options); },
        m_SectionFileSize > 0 ? m_SectionFileSize : -1);
    if (!outcome.errorCode.isEmpty())
        ShowToUI(QStringLiteral("Download error: %1").arg(outcome.errorCode));
    if (failure)
        *failure = outcome.reason;
    return outcome.saved;
}
