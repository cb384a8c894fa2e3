#include "MExportTask.h"

#include "LocalHtml.h"
#include "PageText.h"
#include "ResourceDownload.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "service/MOLODUtils.h"
#include "service/ServiceCall.h"
#include "service/ServiceText.h"
#include "util/FileUtils.h"
#include "util/Formats.h"
#include "util/TextUtils.h"

#include <QDir>
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
    RefreshTokens();
    if (m_Context.tree)
        WalkNotebooks(*m_Context.tree, m_ExportFolder);
    if (m_Context.reporter)
        m_Context.reporter->Finish(Localized("strFinish"));
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
        backupFromOneDrive(section, path);
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
    return ExportToFile_Pages(page, index, sectionPath);
}

qint64 MExportTask::ExportToFile_Pages(const MPageEntry& page, qint64 index, const QString& sectionFolder)
{
    const QString ext = Extension();
    QString cleanTitle = MUtils::SanitizeFileNameString(page.title);
    // A title of nothing but removed characters would give a hidden ".txt".
    if (cleanTitle.isEmpty())
        cleanTitle = QString::number(index);
    const QString path = MUtils::getFilePathNewName(Join(sectionFolder, cleanTitle + ext), ext);

    m_Result += path;
    ShowToUI(path);
    const QString html = GetPageContent(page.id, page.title);
    const QString content = PageContent(page, html, path);

    bool written = false;
    if (!content.isEmpty()) {
        written = WriteNewTextFile(path, content);
        m_Result += QLatin1Char(' ') + Localized(written ? "strSuccess" : "strFailure");
        if (written)
            ++m_ExportFilesCount;
    }
    m_Result += QLatin1Char('\n');
    ++m_PagesDone;
    m_Items.append({path, written});
    ShowToUI(path);
    return written ? 1 : 0;
}

QString MExportTask::PageContent(const MPageEntry& page, const QString& html, const QString& path)
{
    if (html.isEmpty())
        return QString();
    if (m_Kind == MExportKind::Text)
        return ConvertOnlineHtml2PlainText(html, MUtils::SanitizeFileNameString(page.title));

    const QString link = html.contains(QStringLiteral("object-id=")) ? GetPageOneNoteClientUrl(page.id) : QString();
    const QString iconOrigin = QStringLiteral("http://") + MEndpoints::HostOf(m_Context.account->Endpoints().makerWeb);
    MLocalHtmlConverter converter(iconOrigin, [this](const QString& url, const QString& file) {
        RefreshTokens();
        const bool saved = DownloadAttachment(url, file);
        Wait(MPacer::Kind::Download);
        return saved;
    });
    const QString result = converter.ConvertOnlineHtml2LocalHtml(link, html, path);
    m_ResourcesFailed += converter.DownloadsFailed();
    return result;
}

bool MExportTask::DownloadAttachment(const QString& url, const QString& downloadedFileName)
{
    const MAccount& account = *m_Context.account;
    if (account.OnlineOneNoteAccessToken().isEmpty() || account.UserId().isEmpty())
        return false;
    const MDownloadOutcome outcome = DownloadToFile(ServiceRequestEncoded("GET", url, kDownloadTimeout),
        downloadedFileName, [this](const MHttpRequest& request) { return Send(request); });
    return outcome.saved;
}

void MExportTask::backupFromOneDrive(const MONObject& section, const QString& exportFolder)
{
    const QString ext = Extension();
    // Never over an earlier backup: a second run writes "Section(1).one".
    const QString target = MUtils::getFilePathNewName(Join(exportFolder, SafePathComponent(section.name) + ext), ext);
    m_Result += target;
    ShowToUI(target);

    RefreshTokens();
    qint64 size = 0;
    const QString url = get_OneDriveFile_DownloadUrl(section.objId, size);
    m_SectionFileSize = size;
    bool written = false;
    if (!url.isEmpty()) {
        m_Result += QStringLiteral(" ... %1 ...").arg(FormatByteSize(size));
        ShowToUI(target);
        written = downloadOneDriveFile(url, target) || downloadOneDriveFile(url, target);
        if (written)
            ++m_ExportFilesCount;
    }
    m_Result += QStringLiteral(" %1\n").arg(Localized(written ? "strSuccess" : "strFailure"));
    m_Items.append({target, written});
    ShowToUI(target);
    Wait(MPacer::Kind::Download);
}

QString MExportTask::get_OneDriveFile_DownloadUrl(const QString& sectionId, qint64& fileSize)
{
    fileSize = 0;
    const MAccount& account = *m_Context.account;
    if (account.OnlineOneNoteAccessToken().isEmpty()) {
        ShowToUI(QStringLiteral("Get Url: lost token."));
        return QString();
    }
    ShowToUI(QStringLiteral("Get Url"));
    const QString itemId = MOLODUtils::ConvertOneNoteAPIID2OneDriveID_Really(account, sectionId);
    const QString url = QStringLiteral("%1/drive/items/%2?select=id,size,@microsoft.graph.downloadUrl")
                            .arg(account.APIUrl().value_or(QString()), itemId);
    const std::optional<QString> text = GetText(url, kDownloadTimeout);
    if (!text) {
        ShowToUI(QStringLiteral("Get url failure"));
        return QString();
    }
    if (const std::optional<QString> code = ServiceErrorCode(*text)) {
        ShowToUI(QStringLiteral("Get url error: %1").arg(*code));
        return QString();
    }
    Wait(MPacer::Kind::Upload);
    const QJsonObject item = QJsonDocument::fromJson(text->toUtf8()).object();
    fileSize = item.value(QStringLiteral("size")).toInteger();
    return item.value(QStringLiteral("@microsoft.graph.downloadUrl")).toString();
}

bool MExportTask::downloadOneDriveFile(const QString& downloadUrl, const QString& downloadFileName)
{
    const MAccount& account = *m_Context.account;
    if (account.OnlineOneNoteAccessToken().isEmpty() || account.UserId().isEmpty())
        return false;
    ShowToUI(QStringLiteral("Downloading ..."));
    const MDownloadOutcome outcome
        = DownloadToFile(ServiceRequestEncoded("GET", downloadUrl, SectionFileTimeout(m_SectionFileSize)),
            downloadFileName, [this](const MHttpRequest& request) { return SendWithoutToken(request); });
    if (outcome.serviceError)
        ShowToUI(QStringLiteral("Download error: %1").arg(outcome.errorCode));
    return outcome.saved;
}

MHttpResponse MExportTask::SendWithoutToken(const MHttpRequest& request)
{
    return MHttpClient::ForCurrentThread().Send(request);
}
