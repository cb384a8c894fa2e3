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

qint64 CountBelow(const MONObject& node)
{
    qint64 count = 0;
    for (const auto& child : node.children())
        count += 1 + CountBelow(*child);
    return count;
}

} // namespace

MRestoreTask::MRestoreTask(
    const MTaskContext& context, const MONObject& list, MOutlineSink* outline, MUploadRules rules)
    : MDriveTask(context, outline)
    , m_Rules(rules)
{
    std::unique_ptr<MONObject> copy = list.CloneTree();
    m_Tree.swapChildren(*copy);
    InitONObjectState(m_Tree);
}

std::optional<QString> MRestoreTask::StartProblem(const MONObject& list)
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
    MONObject& target = *m_Tree.child(0);
    ShowOutline(true);
    QString failure;
    const QString t = DriveItemIdFromOneNoteId(m_Session, target.contentUrl, &failure);
    std::optional<QByteArray> children;
    if (!t.isEmpty()) {
        target.objId = t;
        children = GetAOneDriveFolderChildrenJson(m_Session, t, &failure);
    }
    if (!children) {
        // Without the target's folder nothing can be restored: said on its row, not passed over.
        target.strValue = failure.isEmpty() ? QStringLiteral("Not found") : failure;
        target.intValue = MDriveStatus::kServiceError;
        EndItem(BeginItem(target.name), target.name, MItemOutcome::Failed, target.strValue);
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

void MRestoreTask::RestoreChildren(MONObject& parent, MFolderListing& listing, const QString& path)
{
    for (const auto& childPtr : parent.children()) {
        if (!Running())
            return;
        m_Context.RefreshTokens();
        MONObject& child = *childPtr;
        const QString p = path + QLatin1Char('/') + child.name;
        if (child.objType == MONObject::Section)
            RestoreFile(child, parent, listing, p);
        else if (child.objType == MONObject::SectionGroup)
            RestoreFolder(child, parent, listing, p);
    }
}

void MRestoreTask::RestoreFile(MONObject& file, MONObject& parent, MFolderListing& listing, const QString& path)
{
    const QString name = listing.UniqueSectionFileName(file.name);
    const QString text = QStringLiteral("%1 → %2/%3").arg(file.contentUrl, QFileInfo(path).path(), name);
    const qint64 row = BeginItem(text);
    ShowStatus(path);
    const bool uploaded = UploadASectionFileToOneDrive(file, parent.objId, name);
    if (uploaded) {
        ++m_SuccessCount;
        listing.AddFile(name, file.objId, QFileInfo(file.contentUrl).size());
    } else if (file.intValue != MDriveStatus::kNoToken) {
        // A refused or lost upload may still have taken the name.
        listing.AddFile(name, QString(), 0);
    }
    EndItem(row, text, uploaded ? MItemOutcome::Created : MItemOutcome::Failed, uploaded ? QString() : file.strValue);
    ShowOutline();
    ShowStatus(file.strValue);
    ShowProgress(++m_Done, m_Total);
    Wait(MPacer::Kind::Upload);
}

void MRestoreTask::RestoreFolder(MONObject& folder, MONObject& parent, MFolderListing& listing, const QString& path)
{
    const qint64 row = BeginItem(path);
    ShowStatus(path);
    qint64 size = 0;
    const QString existing = listing.FolderId(folder.name, size);
    std::optional<QByteArray> children;
    QString failure;
    MItemOutcome outcome = MItemOutcome::Failed;
    if (!existing.isEmpty()) {
        folder.objId = existing;
        folder.strValue = Localized("strExists");
        folder.intValue = MDriveStatus::kTwo;
        children = GetAOneDriveFolderChildrenJson(m_Session, existing, &failure);
        outcome = MItemOutcome::Reused;
        if (!children) {
            folder.strValue = failure;
            folder.intValue = MDriveStatus::kServiceError;
            outcome = MItemOutcome::Failed;
            Alert(QStringLiteral("Retrieve files of '%1'  error: %2").arg(path, failure));
        }
    } else if (MOLODUtils::CreateNewFolderInOneDrive(m_Session, folder, parent.objId)) {
        ++m_SuccessCount;
        listing.AddFolder(folder.name, folder.objId);
        children = QByteArray(R"({"value":[]})"); // a folder just made holds nothing
        outcome = MItemOutcome::Created;
    } else {
        failure = folder.strValue.isEmpty() ? QStringLiteral("%1: %2").arg(Localized("strFailure")).arg(folder.intValue)
                                            : folder.strValue;
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

void MRestoreTask::SkipBelow(const MONObject& folder, const QString& path, const QString& reason)
{
    for (const auto& child : folder.children()) {
        const QString p = path + QLatin1Char('/') + child->name;
        const QString text = child->objType == MONObject::Section ? child->contentUrl : p;
        EndItem(BeginItem(text), text, MItemOutcome::Skipped, reason);
        ShowProgress(++m_Done, m_Total);
        SkipBelow(*child, p, reason);
    }
}

bool MRestoreTask::UploadASectionFileToOneDrive(
    MONObject& node, const QString& parentOneDriveApiId, const QString& name)
{
    if (m_Context.account->OnlineOneNoteAccessToken().isEmpty()) {
        node.intValue = MDriveStatus::kNoToken;
        return false;
    }
    node.strValue = Localized("msgUploading");
    ShowOutline();
    const MUploadOutcome outcome = UploadSectionFile(
        m_Session, parentOneDriveApiId, name, node.contentUrl, m_Rules, [&](qint64 sent, qint64 total) {
            node.strValue = QStringLiteral("%1 / %2").arg(FormatByteSize(sent), FormatByteSize(total));
            ShowOutline();
        });
    node.intValue = outcome.code;
    if (!outcome.ok) {
        node.strValue = outcome.message;
        if (outcome.code == MDriveStatus::kServiceError)
            WriteLog(
                QStringLiteral("%1,%2,%3").arg(QStringLiteral("Create Section Group"), node.name, outcome.message));
        return false;
    }
    node.objId = outcome.id;
    // A name that had to be numbered is worth seeing.
    node.strValue = name.compare(node.name + QStringLiteral(".one"), Qt::CaseInsensitive) == 0
        ? Localized("strSuccess")
        : Localized("msgSavedAs").arg(name);
    return true;
}
