#include "MSectionSizeTask.h"

#include "app/MStrings.h"
#include "net/AnswerJson.h"
#include "service/OneDriveReads.h"
#include "util/TextUtils.h"

#include <QJsonObject>

namespace {

qint64 CountChecked(const MNotebookNode& node)
{
    qint64 count = 0;
    for (const auto& child : node.children()) {
        if (child->checked)
            count += 1 + CountChecked(*child);
    }
    return count;
}

} // namespace

MSectionSizeTask::MSectionSizeTask(const MTaskContext& context, MOutlineSink* outline)
    : MDriveTask(context, outline)
{ }

std::optional<QString> MSectionSizeTask::StartProblem(const MNotebookNode* tree)
{
    return NothingChecked(tree, MNodeKind::Notebook);
}

void MSectionSizeTask::ThreadViewRun()
{
    m_Context.RefreshTokens();
    m_Total = CountChecked(*m_Context.tree);
    ShowProgress(0, m_Total);
    SizeChildren(*m_Context.tree, m_Tree, nullptr, QString());
    Finish();
}

void MSectionSizeTask::SizeChildren(
    const MNotebookNode& node, MResultNode& viewParent, const MFolderListing* listing, const QString& path)
{
    for (const auto& childPtr : node.children()) {
        if (!Running())
            return;
        m_Context.RefreshTokens();
        const MNotebookNode& child = *childPtr;
        if (!child.checked)
            continue;
        const QString childPath = path.isEmpty() ? child.name : path + QLatin1Char('/') + child.name;
        if (child.kind == MNodeKind::Notebook)
            SizeNotebook(child, viewParent, childPath);
        else if (child.kind == MNodeKind::SectionGroup || child.kind == MNodeKind::Section)
            SizeInListing(child, viewParent, listing, childPath);
    }
}

void MSectionSizeTask::SizeNotebook(const MNotebookNode& notebook, MResultNode& viewParent, const QString& path)
{
    MResultNode* row = viewParent.AddChild(MNodeKind::Notebook, notebook.name);
    row->shared = notebook.Shared();
    const qint64 index = BeginItem(path);
    if (!StringEqualsIgnoreCase(notebook.userRole, QStringLiteral("Owner"))) {
        // Shared with this account: its files lie in another account's OneDrive.
        row->reason = QStringLiteral("Non-creator");
        EndItem(index, path, MItemOutcome::Skipped, row->reason);
        ShowStatus(QString());
        ShowOutline();
        ShowProgress(++m_Done, m_Total);
        return;
    }
    // One read gives both the id OneDrive confirms and the size.
    const QString driveId = OneNoteIdDrivePart(notebook.id);
    QString failure;
    std::optional<QByteArray> info;
    if (!driveId.isEmpty())
        info = GetAOneDriveItemInfoJson(m_Session, driveId, &failure);
    const QJsonObject item = info ? AnswerObject(*info).value_or(QJsonObject()) : QJsonObject();
    const QString id = item.value(QLatin1String("id")).toString();
    if (id.isEmpty()) {
        if (info || driveId.isEmpty()) {
            row->reason = QStringLiteral("Not found");
            EndItem(index, path, MItemOutcome::Skipped, row->reason);
        } else {
            // Not left out: a notebook missing from the list would pass for one that takes no room.
            ReadFailed(*row, path, failure);
            EndItem(index, path, MItemOutcome::Failed, failure);
        }
        ShowOutline();
        ShowProgress(++m_Done, m_Total);
        return;
    }
    row->id = id;
    row->size = item.value(QLatin1String("size")).toInteger();
    EndItem(index, path, MItemOutcome::Created);
    ShowOutline();
    ShowProgress(++m_Done, m_Total);
    ShowStatus(QStringLiteral("%1 ...").arg(path));
    const std::optional<QByteArray> children = GetAOneDriveFolderChildrenJson(m_Session, id, &failure);
    if (children) {
        const MFolderListing listing = MFolderListing::FromJson(*children);
        SizeChildren(notebook, *row, &listing, path);
    } else {
        ReadFailed(*row, path, failure);
    }
    Wait(MPacer::Kind::Upload);
}

void MSectionSizeTask::SizeInListing(
    const MNotebookNode& child, MResultNode& viewParent, const MFolderListing* listing, const QString& path)
{
    const bool group = child.kind == MNodeKind::SectionGroup;
    const QString lookedFor = group ? child.name : child.name + QStringLiteral(".one");
    qint64 size = 0;
    // Files and folders alike: a section's file is found whatever the case of its name.
    const QString id = listing ? listing->FolderId(lookedFor, size, false) : QString();
    MResultNode* row = viewParent.AddChild(child.kind, child.name);
    row->id = id;
    const qint64 item = BeginItem(path);
    if (id.isEmpty()) {
        row->reason = QStringLiteral("Not found");
        EndItem(item, path, MItemOutcome::Skipped, row->reason);
    } else {
        row->size = size;
        EndItem(item, path, MItemOutcome::Created);
    }
    ShowOutline();
    ShowProgress(++m_Done, m_Total);
    ShowStatus(group ? QStringLiteral("%1 ...").arg(path) : path);
    if (!group || id.isEmpty())
        return;
    QString failure;
    const std::optional<QByteArray> children = GetAOneDriveFolderChildrenJson(m_Session, id, &failure);
    if (children) {
        const MFolderListing inner = MFolderListing::FromJson(*children);
        SizeChildren(child, *row, &inner, path);
    } else {
        ReadFailed(*row, path, failure);
    }
    Wait(MPacer::Kind::Upload);
}

void MSectionSizeTask::ReadFailed(MResultNode& row, const QString& path, const QString& reason)
{
    ++m_ReadsFailed;
    row.size.reset(); // what was measured of it is not the whole
    row.SetOutcome(MItemOutcome::Failed, reason, kDriveServiceError);
    Alert(QStringLiteral("Retrieve files of '%1'  error: %2").arg(path, reason));
}
