#include "MRestoreTask.h"

#include "MOLODUtils.h"
#include "RestoreTree.h"
#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "service/OneDriveReads.h"
#include "util/Formats.h"

#include <QFileInfo>

namespace {

qint64 CountBelow(const MResultNode& node)
{
    qint64 count = 0;
    for (const auto& child : node.children())
        count += 1 + CountBelow(*child);
    return count;
}

} // namespace

MRestoreTask::MRestoreTask(
    const MTaskContext& context, const MResultNode& list, MOutlineSink* outline, MUploadRules rules)
    : MDriveTask(context, outline)
    , m_Rules(rules)
{
    std::unique_ptr<MResultNode> copy = list.CloneTree();
    m_Tree.swapChildren(*copy);
    ResetRestoreList(m_Tree);
}

std::optional<QString> MRestoreTask::StartProblem(const MResultNode& list)
{
    if (list.childCount() == 0)
        return QStringLiteral("strSelectASection");
    return std::nullopt;
}

void MRestoreTask::ThreadViewRun()
{
    m_Context.RefreshTokens();
    if (m_Tree.childCount() == 0) {
        Finish();
        return;
    }
    MResultNode& target = *m_Tree.child(0);
    ShowOutline(true);
    QString failure;
    const QString t = DriveItemIdFromOneNoteId(m_Session, target.id, &failure);
    std::optional<QByteArray> children;
    if (!t.isEmpty()) {
        target.id = t; // from here on the run works in the drive
        children = GetAOneDriveFolderChildrenJson(m_Session, t, &failure);
    }
    if (!children) {
        // Without the target's folder nothing can be restored: said on its row, not passed over.
        target.SetOutcome(
            MItemOutcome::Failed, failure.isEmpty() ? QStringLiteral("Not found") : failure, kDriveServiceError);
        EndItem(BeginItem(target.name), target.name, MItemOutcome::Failed, target.reason);
        if (!failure.isEmpty())
            Alert(QStringLiteral("Retrieve files of '%1'  error: %2").arg(target.name, failure));
        Finish();
        return;
    }
    m_Total = CountBelow(target);
    ShowProgress(0, m_Total);
    MFolderListing listing = MFolderListing::FromJson(*children);
    RestoreChildren(target, listing, target.name);
    Finish();
}

void MRestoreTask::RestoreChildren(MResultNode& parent, MFolderListing& listing, const QString& path)
{
    for (const auto& childPtr : parent.children()) {
        if (!Running())
            return;
        m_Context.RefreshTokens();
        MResultNode& child = *childPtr;
        const QString p = path + QLatin1Char('/') + child.name;
        if (child.kind == MNodeKind::Section)
            RestoreFile(child, parent, listing, p);
        else if (child.kind == MNodeKind::SectionGroup)
            RestoreFolder(child, parent, listing, p);
    }
}

void MRestoreTask::RestoreFile(MResultNode& file, MResultNode& parent, MFolderListing& listing, const QString& path)
{
    const QString name = listing.UniqueSectionFileName(file.name);
    const QString text = QStringLiteral("%1 → %2/%3").arg(file.path, QFileInfo(path).path(), name);
    const qint64 row = BeginItem(text);
    ShowStatus(path);
    const bool uploaded = UploadASectionFileToOneDrive(file, parent.id, name);
    if (uploaded) {
        ++m_SuccessCount;
        listing.AddFile(name, file.id, QFileInfo(file.path).size());
    } else if (file.code != kDriveNoToken) {
        // A refused or lost upload may still have taken the name.
        listing.AddFile(name, QString(), 0);
    }
    EndItem(row, text, uploaded ? MItemOutcome::Created : MItemOutcome::Failed, uploaded ? QString() : file.reason);
    ShowOutline();
    ShowStatus(NodeStatus(file).text);
    ShowProgress(++m_Done, m_Total);
    Wait(MPacer::Kind::Upload);
}

void MRestoreTask::RestoreFolder(MResultNode& folder, MResultNode& parent, MFolderListing& listing, const QString& path)
{
    const qint64 row = BeginItem(path);
    ShowStatus(path);
    qint64 size = 0;
    const QString existing = listing.FolderId(folder.name, size);
    std::optional<QByteArray> children;
    QString failure;
    MItemOutcome outcome = MItemOutcome::Failed;
    if (!existing.isEmpty()) {
        folder.id = existing;
        folder.SetOutcome(MItemOutcome::Reused);
        children = GetAOneDriveFolderChildrenJson(m_Session, existing, &failure);
        outcome = MItemOutcome::Reused;
        if (!children) {
            folder.SetOutcome(MItemOutcome::Failed, failure, kDriveServiceError);
            outcome = MItemOutcome::Failed;
            Alert(QStringLiteral("Retrieve files of '%1'  error: %2").arg(path, failure));
        }
    } else if (MOLODUtils::CreateNewFolderInOneDrive(m_Session, folder, parent.id)) {
        ++m_SuccessCount;
        listing.AddFolder(folder.name, folder.id);
        children = QByteArray(R"({"value":[]})"); // a folder just made holds nothing
        outcome = MItemOutcome::Created;
    } else {
        failure = NodeStatus(folder).text;
    }
    EndItem(row, path, outcome, outcome == MItemOutcome::Failed ? failure : QString());
    ShowOutline();
    ShowProgress(++m_Done, m_Total);
    Wait(MPacer::Kind::Upload);
    if (children) {
        MFolderListing inner = MFolderListing::FromJson(*children);
        RestoreChildren(folder, inner, path);
        Wait(MPacer::Kind::Upload);
    } else {
        SkipBelow(folder, path, Localized("reasonFolderFailed").arg(folder.name));
    }
}

void MRestoreTask::SkipBelow(const MResultNode& folder, const QString& path, const QString& reason)
{
    for (const auto& child : folder.children()) {
        const QString p = path + QLatin1Char('/') + child->name;
        const QString text = child->kind == MNodeKind::Section ? child->path : p;
        EndItem(BeginItem(text), text, MItemOutcome::Skipped, reason);
        ShowProgress(++m_Done, m_Total);
        SkipBelow(*child, p, reason);
    }
}

bool MRestoreTask::UploadASectionFileToOneDrive(
    MResultNode& node, const QString& parentOneDriveApiId, const QString& name)
{
    if (m_Context.account->OnlineOneNoteAccessToken().isEmpty()) {
        node.SetOutcome(MItemOutcome::Failed, QString(), kDriveNoToken);
        return false;
    }
    node.reason = Localized("msgUploading");
    ShowOutline();
    const MUploadOutcome outcome
        = UploadSectionFile(m_Session, parentOneDriveApiId, name, node.path, m_Rules, [&](qint64 sent, qint64 total) {
              node.reason = QStringLiteral("%1 / %2").arg(FormatByteSize(sent), FormatByteSize(total));
              ShowOutline();
          });
    if (!outcome.ok) {
        node.SetOutcome(MItemOutcome::Failed, outcome.message, outcome.code);
        if (outcome.code == kDriveServiceError)
            WriteLog(
                QStringLiteral("%1,%2,%3").arg(QStringLiteral("Create Section Group"), node.name, outcome.message));
        return false;
    }
    node.id = outcome.id;
    // A name that had to be numbered is worth seeing.
    node.SetOutcome(MItemOutcome::Created,
        name.compare(node.name + QStringLiteral(".one"), Qt::CaseInsensitive) == 0 ? QString()
                                                                                   : Localized("msgSavedAs").arg(name));
    return true;
}
