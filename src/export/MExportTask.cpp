#include "MExportTask.h"

#include "LocalHtml.h"
#include "MarkdownPlan.h"
#include "PageMarkdown.h"
#include "PageText.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "net/MRequestBudget.h"
#include "net/ServiceRequest.h"
#include "net/ServiceText.h"
#include "service/OneDriveReads.h"
#include "tasks/ResourceDownload.h"
#include "util/FileUtils.h"
#include "util/Formats.h"
#include "util/MSleeper.h"
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

const QList<MExportKindInfo>& ExportKinds()
{
    static const QList<MExportKindInfo> kinds {
        {MExportKind::Text, MFeature::ExportTxt, ".txt"},
        {MExportKind::Html, MFeature::ExportHtml, ".html"},
        {MExportKind::SectionFile, MFeature::Backup, ".one"},
        {MExportKind::Markdown, MFeature::ExportMarkdown, ".md"},
    };
    return kinds;
}

const MExportKindInfo& ExportKindInfo(MExportKind kind)
{
    for (const MExportKindInfo& row : ExportKinds()) {
        if (row.kind == kind)
            return row;
    }
    return ExportKinds().front(); // every kind has its row
}

std::optional<MExportKind> ExportKindForFeature(std::optional<MFeature> feature)
{
    for (const MExportKindInfo& row : ExportKinds()) {
        if (row.feature == feature)
            return row.kind;
    }
    return std::nullopt;
}

MExportTask::MExportTask(const MTaskContext& context, MExportKind kind, QString exportFolder)
    : MPageWalker(context, PagePolicyFor(MPageUser::Export))
    , m_Kind(kind)
    , m_ExportFolder(std::move(exportFolder))
{
    if (m_Kind == MExportKind::Markdown) {
        m_Plan = std::make_unique<MMarkdownPlan>(m_ExportFolder);
        m_Policy.pageLevels = true;
        // The walk only lists pages; the pause between pages falls between the pages read later.
        m_Policy.waitBetweenPages = false;
    }
}

MExportTask::~MExportTask() = default;

std::optional<QString> MExportTask::StartProblem(const MNotebookNode* tree, const QString& exportFolder)
{
    if (const std::optional<QString> problem = NothingChecked(tree))
        return problem;
    if (exportFolder.isEmpty())
        return QStringLiteral("strSpecifyStoreFolder");
    return std::nullopt;
}

void MExportTask::ThreadRun()
{
    m_Context.RefreshTokens();
    // A killed export leaves a record of what it wrote and what it was writing.
    m_Journal
        = std::make_unique<MRunJournal>(MRunJournal::MIdentity {QStringLiteral("export"),
                                            LedgerName(ExportKindInfo(m_Kind).feature), m_ExportFolder, Extension()},
            MRunMode::New);
    if (m_Context.tree)
        WalkNotebooks(*m_Context.tree, m_ExportFolder);
    if (m_Plan)
        ExportMarkdownPages();
    m_Journal->End(!Running());
    if (m_Context.reporter)
        m_Context.reporter->Finish(FinishText());
}

QString MExportTask::Extension() const
{
    return QLatin1String(ExportKindInfo(m_Kind).extension);
}

qint64 MExportTask::VisitSection(const MNotebookNode& section, const QString& path)
{
    if (m_Kind == MExportKind::SectionFile) {
        BackUpSectionFile(section, path);
        return 0;
    }
    if (m_Plan) {
        m_SectionPages.clear();
        ListSection(section, path);
        m_Plan->AddSection(ChildPath(path, section.name), m_SectionPages);
        return m_SectionPages.size();
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
    if (m_Plan) {
        m_SectionPages.append(page); // read once every section is listed
        return 0;
    }
    return ExportPage(page, index, sectionPath);
}

void MExportTask::ExportMarkdownPages()
{
    const std::vector<MMarkdownPlannedPage>& pages = m_Plan->Pages();
    for (size_t i = 0; i < pages.size() && Running(); ++i) {
        m_Context.RefreshTokens();
        m_Planned = &pages[i];
        CreateFolder(QFileInfo(pages[i].file).path()); // a sub-page's folder beside its page
        WritePage(pages[i].entry, pages[i].file);
        m_Planned = nullptr;
        if (m_Context.reporter) {
            const qint64 left = qint64(pages.size() - i - 1);
            const qint64 ms = TheRequestBudget().EstimateMs(m_Session.BudgetKey(), left * RequestsPerPage(), NowMs());
            m_Context.reporter->ShowProgress({qint64(i + 1), qint64(pages.size()), ms < 0 ? -1 : (ms + 999) / 1000});
        }
        Wait(MPacer::Kind::Download);
    }
}

qint64 MExportTask::ExportPage(const MPageEntry& page, qint64 index, const QString& sectionFolder)
{
    const QString ext = Extension();
    QString cleanTitle = MUtils::SanitizeFileNameString(page.title);
    // A title of nothing but removed characters would give a hidden ".txt".
    if (cleanTitle.isEmpty())
        cleanTitle = QString::number(index);
    return WritePage(page, MUtils::getFilePathNewName(Join(sectionFolder, cleanTitle + ext), ext));
}

qint64 MExportTask::WritePage(const MPageEntry& page, const QString& path)
{
    const qsizetype lineStart = m_Result.size();
    m_Result += path;
    ShowToUI(path);
    if (m_Journal)
        m_Journal->Sending(m_Items.size(), page.id, page.title, path);
    MFailure failure;
    const QString html = GetPageContent(page, &failure);
    if (html.isEmpty() && !Running() && failure.Stopped()) {
        // Stopped while the page waited for its turn: it was never asked for.
        m_Result.truncate(lineStart);
        if (m_Journal)
            m_Journal->Outcome(m_Items.size(), MItemOutcome::NotAttempted);
        return 0;
    }
    m_PageResourcesFailed = 0;
    m_ResourceFailure.clear();
    m_PageNote.clear();
    const QString content = PageContent(page, html, path);

    bool written = false;
    QString reason = failure.reason;
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
    AddItem(path, written, reason, written ? m_PageNote : QString());
    ShowToUI(path);
    return written ? 1 : 0;
}

QString MExportTask::OutcomeWords(bool written, const QString& reason, const QString& note)
{
    if (written && reason.isEmpty())
        return note.isEmpty() ? Localized("strSuccess") : QStringLiteral("%1 (%2)").arg(Localized("strSuccess"), note);
    if (reason.isEmpty())
        return Localized("strFailure");
    return QStringLiteral("%1 (%2)").arg(Localized("strFailure"), reason);
}

void MExportTask::AddItem(const QString& path, bool written, const QString& reason, const QString& note)
{
    // The line was started with the path when the item began.
    m_Result += QLatin1Char(' ') + OutcomeWords(written, reason, note) + QLatin1Char('\n');
    MExportItem item {path, written, reason, note};
    // A note stands where a failure's reason would: the run's report lists it beside the success.
    const QString rowReason = reason.isEmpty() ? note : reason;
    if (m_Journal)
        m_Journal->Outcome(m_Items.size(), item.Failed() ? MItemOutcome::Failed : MItemOutcome::Created, QString(),
            written ? path : QString(), rowReason);
    if (m_Context.reporter) {
        MTaskItem row;
        row.index = m_Items.size();
        row.text = path;
        row.outcome = item.Failed() ? MItemOutcome::Failed : MItemOutcome::Created;
        row.reason = rowReason;
        row.target = written ? path : QString();
        m_Context.reporter->ReportItem(row);
    }
    m_Items.append(item);
}

qint64 MExportTask::ItemsFailed() const
{
    return std::count_if(m_Items.begin(), m_Items.end(), [](const MExportItem& item) { return item.Failed(); });
}

void MExportTask::OnSectionFailed(const MNotebookNode&, const QString& sectionPath, const QString& reason)
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
    if (m_Kind == MExportKind::Markdown)
        return m_Planned ? MarkdownContent(*m_Planned, html) : QString();

    const QString link = html.contains(QStringLiteral("object-id=")) ? GetPageOneNoteClientUrl(page.id) : QString();
    const QString iconOrigin = QStringLiteral("http://") + MEndpoints::HostOf(m_Context.account->Endpoints().makerWeb);
    MLocalHtmlConverter converter(iconOrigin,
        [this](const QString& url, const QString& file) { return SaveResource(url, file, MExistingFile::Replace); });
    const QString result = converter.ConvertOnlineHtml2LocalHtml(link, html, path);
    m_ResourcesFailed += converter.DownloadsFailed();
    return result;
}

bool MExportTask::SaveResource(const QString& url, const QString& file, MExistingFile existing)
{
    m_Context.RefreshTokens();
    MFailure failure;
    const bool saved = DownloadAttachment(m_Session, url, file, &failure, existing);
    if (!saved) {
        ++m_PageResourcesFailed;
        if (m_ResourceFailure.isEmpty())
            m_ResourceFailure = QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(), failure.reason);
    }
    Wait(MPacer::Kind::Download);
    return saved;
}

QString MExportTask::MarkdownContent(const MMarkdownPlannedPage& page, const QString& html)
{
    QHash<QString, QString> files; // the path the Markdown gives a resource, and the file it is saved to
    MMarkdownTargets targets;
    targets.resourcePath = [&](const MMarkdownResource& resource) {
        const QString file = m_Plan->ReserveResource(page, resource.suggestedName);
        const QString relative = m_Plan->RelativeToPage(page, file);
        files.insert(relative, file);
        return relative;
    };
    targets.pagePath = m_Plan->LinksFrom(page);
    const MPageEntry& entry = page.entry;
    const MMarkdownResult result = ConvertPageHtmlToMarkdown(
        html, MMarkdownPage {entry.title, entry.created, entry.modified, entry.clientUrl, entry.webUrl}, targets);
    if (!result.resources.empty())
        CreateFolder(page.resourceFolder);
    for (const MMarkdownResource& resource : result.resources)
        if (!SaveResource(resource.address, files.value(resource.path), MExistingFile::Keep))
            ++m_ResourcesFailed;
    QStringList notes;
    if (!result.wellFormed)
        notes << Localized("reasonMarkdownPlainText");
    if (!result.outsideLinks.isEmpty())
        notes << Localized("reasonOutsideLinks").arg(result.outsideLinks.join(QStringLiteral(" ")));
    m_PageNote = notes.join(QStringLiteral("; "));
    return result.markdown;
}

void MExportTask::BackUpSectionFile(const MNotebookNode& section, const QString& exportFolder)
{
    // Never over an earlier backup: a second run writes "Section(1).one".
    const QString target = MUtils::getFilePathNewName(SectionFilePath(exportFolder, section.name), Extension());
    m_Result += target;
    ShowToUI(target);

    m_Context.RefreshTokens();
    qint64 size = 0;
    QString failure;
    const QString url = GetSectionFileDownloadUrl(section.id, size, &failure);
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
    const MSectionFileItem item = SectionFileItem(sectionId, failure);
    return item.id.isEmpty() ? QString() : SectionFileDownloadUrl(item.id, fileSize, failure);
}

MSectionFileItem MExportTask::SectionFileItem(const QString& sectionId, QString* failure)
{
    if (m_Context.account->OnlineOneNoteAccessToken().isEmpty()) {
        ShowToUI(QStringLiteral("Get Url: lost token."));
        if (failure)
            *failure = Localized("reasonNotSignedIn");
        return {};
    }
    ShowToUI(QStringLiteral("Get Url"));
    QString itemFailure;
    QJsonObject read;
    MSectionFileItem item;
    item.id = DriveItemIdFromOneNoteId(m_Session, sectionId, &itemFailure, &read);
    if (item.id.isEmpty()) {
        ShowToUI(QStringLiteral("Get url failure"));
        if (failure)
            *failure = itemFailure.isEmpty() ? Localized("reasonNoDownloadAddress") : itemFailure;
        return {};
    }
    item.size = read.value(QStringLiteral("size")).toInteger();
    item.modified = read.value(QStringLiteral("lastModifiedDateTime")).toString();
    return item;
}

QString MExportTask::SectionFileDownloadUrl(const QString& itemId, qint64& fileSize, QString* failure)
{
    fileSize = 0;
    const MAccount& account = *m_Context.account;
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
    m_SectionFileSize = fileSize;
    const QString address = item.value(QStringLiteral("@microsoft.graph.downloadUrl")).toString();
    if (address.isEmpty() && failure)
        *failure = Localized("reasonNoDownloadAddress");
    return address;
}

QString MExportTask::SectionFilePath(const QString& folder, const QString& sectionName) const
{
    return Join(
        folder, SafePathComponent(sectionName) + QLatin1String(ExportKindInfo(MExportKind::SectionFile).extension));
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
