#include "MFindLostTask.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "net/AnswerJson.h"
#include "net/ServiceRequest.h"
#include "service/OneDriveReads.h"
#include "tasks/ResourceDownload.h"
#include "util/FileUtils.h"
#include "util/TextUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace {

constexpr int kReadTimeout = 30;

QString RootStatus()
{
    return QStringLiteral("root ...");
}

// The request's time bounds the whole transfer: a large file gets time in proportion to its size
// (256 KiB a second at the least).
int DownloadTimeout(qint64 size)
{
    return int(std::min<qint64>(kReadTimeout + size / (256 * 1024), 24 * 3600));
}

bool IsLostSectionName(const QString& name)
{
    return StringEqualsIgnoreCase(QFileInfo(name).suffix(), QStringLiteral("onetmp"));
}

// The texts of a row's status column name the step that failed; the reason says why.
QString WithReason(const QString& text, const QString& reason)
{
    return reason.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, reason);
}

QString WithoutExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

} // namespace

QString LostSectionFolder(const MResultNode& found)
{
    return GetStringBetween(found.path, QStringLiteral("root:"), QString());
}

QString LostSectionFileName(const MResultNode& found)
{
    return MakeSafeFileName(QStringLiteral("%1_%2.one").arg(WithoutExtension(found.shownName), found.id));
}

MFindLostTask::MFindLostTask(const MTaskContext& context, MOutlineSink* outline)
    : MDriveTask(context, outline)
{ }

void MFindLostTask::ThreadRun()
{
    m_Context.RefreshTokens();
    SearchIn_OneDrive();
    Finish();
}

void MFindLostTask::SearchIn_OneDrive()
{
    if (m_Context.account->OnlineOneNoteAccessToken().isEmpty()) {
        ListingFailed(RootStatus(), Localized("reasonNotSignedIn"));
        return;
    }
    ShowStatus(RootStatus());
    QString failure;
    const std::optional<QByteArray> body = GetOneDriveRootChildrenJson(m_Session, &failure);
    if (!body) {
        ListingFailed(RootStatus(), failure);
        return;
    }
    ShowProgress(++m_FoldersRead, 0);
    Wait(MPacer::Kind::Upload);
    SearchIn_RootJson(*body, RootStatus());
}

void MFindLostTask::SearchIn_RootJson(const QByteArray& body, const QString&)
{
    const QJsonArray entries = ReadList(body).value_or(QJsonArray());
    for (const QJsonValue& value : entries) {
        if (!Running())
            return;
        m_Context.RefreshTokens();
        const QJsonObject entry = value.toObject();
        const QString name = entry.value(QLatin1String("name")).toString();
        const QString id = entry.value(QLatin1String("id")).toString();
        const QString parentPath
            = entry.value(QLatin1String("parentReference")).toObject().value(QLatin1String("path")).toString();
        if (entry.contains(QLatin1String("folder"))) {
            SearchIn_AFolder(id, parentPath + QLatin1Char('/') + name);
            continue;
        }
        if (!entry.contains(QLatin1String("file")) || !IsLostSectionName(name))
            continue;
        MResultNode* found = m_Tree.AddChild(MNodeKind::Section, name);
        found->id = id;
        found->path = parentPath;
        found->address = entry.value(QLatin1String("webUrl")).toString();
        found->shownName = WithoutExtension(name) + QStringLiteral(".one");
        found->checked = true;
        ++m_ExportFilesCount;
        ShowOutline();
        ShowStatus(name);
    }
}

void MFindLostTask::SearchIn_AFolder(const QString& folderId, const QString& path)
{
    if (m_Context.account->OnlineOneNoteAccessToken().isEmpty())
        return;
    const QString shown = GetStringBetween(path, QStringLiteral("root:"), QString());
    ShowStatus(shown);
    QString failure;
    const std::optional<QByteArray> body = GetAOneDriveFolderChildrenJson(m_Session, folderId, &failure);
    if (!body) {
        if (Running())
            ListingFailed(shown, failure);
        return;
    }
    ShowProgress(++m_FoldersRead, 0);
    Wait(MPacer::Kind::Upload);
    SearchIn_RootJson(*body, path);
}

void MFindLostTask::ListingFailed(const QString& path, const QString& reason)
{
    Alert(QStringLiteral("Retrieve files of '%1'  error: %2").arg(path, reason));
    const QString text = Localized("msgFolderNotListed").arg(path);
    EndItem(BeginItem(text), text, MItemOutcome::Failed, reason);
}

MSaveLostTask::MSaveLostTask(
    const MTaskContext& context, const MResultNode& found, QString folder, MOutlineSink* outline)
    : MDriveTask(context, outline)
    , m_Folder(std::move(folder))
{
    for (const auto& node : found.children()) {
        m_Tree.AddCopy(*node)->SetOutcome(MItemOutcome::NotAttempted);
    }
}

void MSaveLostTask::ThreadRunSave()
{
    qint64 total = 0;
    for (const auto& node : m_Tree.children())
        total += node->checked ? 1 : 0;
    qint64 done = 0;
    ShowProgress(0, total);
    ShowOutline(true);
    for (const auto& child : m_Tree.children()) {
        if (!Running())
            break;
        MResultNode& node = *child;
        if (!node.checked)
            continue;
        m_Context.RefreshTokens();
        // A name taken by a file already there gets a number: the user's files are never replaced.
        const QString path
            = MUtils::getFilePathNewName(QDir(m_Folder).filePath(LostSectionFileName(node)), QStringLiteral(".one"));
        const qint64 row = BeginItem(path);
        ShowStatus(path);
        qint64 size = -1;
        QString failure;
        const bool saved = GetFileDownloadUrl(node, size, &failure) && DownloadFile(node, path, size, &failure);
        if (saved) {
            node.SetOutcome(MItemOutcome::Created);
            ++m_Saved;
            EndItem(row, path, MItemOutcome::Created, {}, path);
        } else {
            if (node.outcome != MItemOutcome::Failed)
                node.SetOutcome(MItemOutcome::Failed, node.reason, kDriveServiceError);
            EndItem(row, path, MItemOutcome::Failed, failure);
        }
        ShowOutline();
        ShowStatus(NodeStatus(node).text);
        ShowProgress(++done, total);
        Wait(MPacer::Kind::Download);
    }
    Finish();
}

bool MSaveLostTask::GetFileDownloadUrl(MResultNode& node, qint64& size, QString* failure)
{
    const MAccount& account = *m_Context.account;
    if (account.OnlineOneNoteAccessToken().isEmpty()) {
        node.SetOutcome(MItemOutcome::Failed, QStringLiteral("Get Url: lost token."), kDriveNoToken);
        *failure = Localized("reasonNotSignedIn");
        return false;
    }
    node.reason = QStringLiteral("Get Url");
    ShowOutline();
    const QString url = QStringLiteral("%1/drive/items/%2?select=id,size,@microsoft.graph.downloadUrl")
                            .arg(account.APIUrl().value_or(QString()), node.id);
    const MServiceAnswer answer = m_Session.Get(url, kReadTimeout, MExpect::Json);
    if (!answer.Ok()) {
        node.SetOutcome(MItemOutcome::Failed,
            answer.errorCode.isEmpty() ? WithReason(QStringLiteral("Get url failure"), answer.reason)
                                       : QStringLiteral("Get url error: %1").arg(answer.errorCode),
            FailureCode(answer));
        *failure = answer.reason;
        return false;
    }
    Wait(MPacer::Kind::Upload);
    const QJsonObject item = answer.Object();
    size = item.contains(QLatin1String("size")) ? item.value(QLatin1String("size")).toInteger() : -1;
    // Addresses have come with blanks around them; the blanks are no part of the address.
    node.address = item.value(QLatin1String("@microsoft.graph.downloadUrl")).toString().trimmed();
    if (node.address.isEmpty()) {
        node.SetOutcome(MItemOutcome::Failed, QStringLiteral("Not find url"), kDriveServiceError);
        *failure = Localized("reasonNoDownloadAddress");
        return false;
    }
    return true;
}

bool MSaveLostTask::DownloadFile(MResultNode& node, const QString& path, qint64 size, QString* failure)
{
    const MAccount& account = *m_Context.account;
    if (account.OnlineOneNoteAccessToken().isEmpty() || account.UserId().isEmpty()) {
        node.SetOutcome(MItemOutcome::Failed, QStringLiteral("No token"), kDriveNoToken);
        *failure = Localized("reasonNotSignedIn");
        return false;
    }
    node.reason = QStringLiteral("Downloading");
    ShowOutline();
    // The download address carries its own authorization: no bearer token goes with it.
    MServiceSession::Options options;
    options.authorized = false;
    const MDownloadOutcome outcome = DownloadToFile(
        ServiceRequestEncoded("GET", node.address, DownloadTimeout(size)), path,
        [&](const MHttpRequest& request) { return m_Session.Send(request, MExpect::Bytes, options); }, size,
        MExistingFile::Keep);
    if (outcome.saved)
        return true;
    node.SetOutcome(MItemOutcome::Failed,
        outcome.errorCode.isEmpty() ? WithReason(QStringLiteral("Download failure"), outcome.reason)
                                    : QStringLiteral("Download error: %1").arg(outcome.errorCode),
        outcome.errorCode.isEmpty() ? kDriveNoAnswer : kDriveServiceError);
    *failure = outcome.reason;
    return false;
}
