#include "MCopySectionsTask.h"

#include "DriveItems.h"
#include "MOLODUtils.h"
#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "net/ServiceRequest.h"
#include "service/OneDriveReads.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCopy, "pagewright.copy", QtWarningMsg)

namespace {

constexpr int kCopyTimeout = 120;

qint64 CountChecked(const MNotebookNode& node)
{
    qint64 count = 0;
    for (const auto& child : node.children()) {
        if (!child->checked)
            continue;
        if (child->kind == MNodeKind::SectionGroup || child->kind == MNodeKind::Section)
            ++count;
        count += CountChecked(*child);
    }
    return count;
}

QString NotFound()
{
    return QStringLiteral("Not found");
}

} // namespace

MCopySectionsTask::MCopySectionsTask(
    const MTaskContext& context, QString targetId, MOutlineSink* outline, MCopyRules rules)
    : MDriveTask(context, outline)
    , m_TargetId(std::move(targetId))
    , m_Rules(rules)
{ }

std::optional<QString> MCopySectionsTask::StartProblem(const MNotebookNode* tree)
{
    return NothingChecked(tree, MNodeKind::Notebook);
}

void MCopySectionsTask::ThreadViewRun()
{
    m_Context.RefreshTokens();
    const MNotebookNode* target = MNotebookNode::GetObjectById(m_TargetId, m_Context.tree.get());
    QString failure;
    const QString t = DriveItemIdFromOneNoteId(m_Session, m_TargetId, &failure);
    MResultNode* result
        = m_Tree.AddChild(target ? target->kind : MNodeKind::Notebook, target ? target->name : m_TargetId);
    result->id = t;
    ShowOutline(true);
    ShowStatus(QString());

    std::optional<QByteArray> children;
    if (!t.isEmpty())
        children = GetAOneDriveFolderChildrenJson(m_Session, t, &failure);
    if (!children) {
        // Without the target's folder nothing can be copied: said on its row, not passed over.
        result->SetOutcome(MItemOutcome::Failed, failure.isEmpty() ? NotFound() : failure, kDriveServiceError);
        const QString text = result->name;
        EndItem(BeginItem(text), text, MItemOutcome::Failed, result->reason);
        if (!failure.isEmpty())
            Alert(QStringLiteral("Retrieve files of '%1'  error: %2").arg(result->name, failure));
        Finish();
        return;
    }
    m_Total = CountChecked(*m_Context.tree);
    ShowProgress(0, m_Total);
    MFolderListing listing = MFolderListing::FromJson(*children);
    CopyChildren(*m_Context.tree, *result, listing, result->name);
    Finish();
}

void MCopySectionsTask::CopyChildren(
    const MNotebookNode& source, MResultNode& resultParent, MFolderListing& listing, const QString& path)
{
    for (const auto& childPtr : source.children()) {
        if (!Running())
            return;
        m_Context.RefreshTokens();
        const MNotebookNode& child = *childPtr;
        if (!child.checked)
            continue;
        const QString p = path + QLatin1Char('/') + child.name;
        ShowStatus(p);
        switch (child.kind) {
        case MNodeKind::Notebook:
            CopyChildren(child, resultParent, listing, path);
            break;
        case MNodeKind::SectionGroup:
            CopyGroup(child, resultParent, listing, p);
            break;
        case MNodeKind::Section:
            CopySection(child, resultParent, listing, p);
            break;
        default:
            break;
        }
    }
}

void MCopySectionsTask::CopyGroup(
    const MNotebookNode& group, MResultNode& resultParent, MFolderListing& listing, const QString& path)
{
    qint64 size = 0;
    const QString existing = listing.FolderId(group.name, size);
    MResultNode* node = resultParent.AddChild(MNodeKind::SectionGroup, group.name);
    node->id = existing;
    const qint64 row = BeginItem(path);
    ShowOutline();

    std::optional<QByteArray> children;
    QString failure;
    MItemOutcome outcome = MItemOutcome::Failed;
    if (existing.isEmpty()) {
        if (MOLODUtils::CreateNewFolderInOneDrive(m_Session, *node, resultParent.id)) {
            ++m_CopySuccessCount;
            listing.AddFolder(group.name, node->id);
            children = QByteArray(R"({"value":[]})"); // a folder just made holds nothing
            outcome = MItemOutcome::Created;
        } else {
            failure
                = node->reason.isEmpty() ? Localized("reasonNoAnswer").arg(Localized("reasonNoDetail")) : node->reason;
        }
    } else {
        // A folder of that name is there (perhaps in another case): the group's sections join it.
        node->SetOutcome(MItemOutcome::Reused);
        children = GetAOneDriveFolderChildrenJson(m_Session, existing, &failure);
        if (children) {
            outcome = MItemOutcome::Reused;
        } else {
            node->SetOutcome(MItemOutcome::Failed, failure, kDriveServiceError);
            Alert(QStringLiteral("Retrieve files of '%1'  error: %2").arg(path, failure));
        }
    }
    EndItem(row, path, outcome, outcome == MItemOutcome::Failed ? failure : QString());
    ShowOutline();
    Progress();
    if (children) {
        MFolderListing inner = MFolderListing::FromJson(*children);
        CopyChildren(group, *node, inner, path);
    } else {
        SkipBelow(group, path, Localized("reasonFolderFailed").arg(group.name));
    }
    Wait(MPacer::Kind::Upload);
}

void MCopySectionsTask::SkipBelow(const MNotebookNode& group, const QString& path, const QString& reason)
{
    for (const auto& child : group.children()) {
        if (!child->checked)
            continue;
        const QString p = path + QLatin1Char('/') + child->name;
        EndItem(BeginItem(p), p, MItemOutcome::Skipped, reason);
        Progress();
        SkipBelow(*child, p, reason);
    }
}

void MCopySectionsTask::CopySection(
    const MNotebookNode& section, MResultNode& resultParent, MFolderListing& listing, const QString& path)
{
    QString failure;
    const QString s = DriveItemIdFromOneNoteId(m_Session, section.id, &failure);
    const QString n = listing.UniqueSectionFileName(section.name);
    MResultNode* node = resultParent.AddChild(MNodeKind::Section, section.name);
    const qint64 row = BeginItem(path);
    ShowOutline();
    if (s.isEmpty()) {
        node->SetOutcome(MItemOutcome::Failed, failure.isEmpty() ? NotFound() : failure, kDriveServiceError);
        EndItem(row, path, MItemOutcome::Failed, node->reason);
    } else {
        const bool copied = CopyASection(*node, s, resultParent.id, n, path);
        // Taken from now on, whatever became of it: a copy the service is still making will need it.
        listing.AddFile(n, node->id, 0);
        if (copied)
            ++m_CopySuccessCount;
        EndItem(row, path, copied ? MItemOutcome::Created : MItemOutcome::Failed, copied ? QString() : node->reason);
        Wait(MPacer::Kind::Upload);
    }
    ShowOutline();
    Progress();
}

bool MCopySectionsTask::CopyASection(MResultNode& node, const QString& sourceSectionId,
    const QString& parentOneDriveApiId, const QString& sectionNewFileName, const QString& path)
{
    const MAccount& account = *m_Context.account;
    if (account.OnlineOneNoteAccessToken().isEmpty()) {
        node.SetOutcome(MItemOutcome::Failed, QString(), kDriveNoToken);
        return false;
    }
    // A real JSON body: a name with a quote in it reaches the service as written.
    QJsonObject body {{QStringLiteral("name"), sectionNewFileName}};
    if (account.MSAccountType() != MAccount::OneNotePersonal)
        body.insert(QStringLiteral("parentReference"), QJsonObject {{QStringLiteral("id"), parentOneDriveApiId}});
    MHttpRequest request
        = ServiceRequest("POST", DriveItemAddress(account, sourceSectionId, QStringLiteral("/copy")), kCopyTimeout);
    SetRequestBody(request, "application/json", QJsonDocument(body).toJson(QJsonDocument::Compact));

    // A lost answer: the copy may be under way. The name is free no more once it is, and the service
    // refuses a second item of one name, so after a look the request may go once more.
    MServiceSession::Options once;
    once.resendWhenLost = false;
    MServiceAnswer answer;
    bool lostBefore = false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        answer = m_Session.Send(request, MExpect::Success, once);
        if (answer.failure != MAnswerFailure::Transport)
            break;
        lostBefore = true;
        if (!m_Session.Pause(m_Session.Rules().lostCreationSettleMs, {}))
            break;
        if (ConfirmInFolder(node, parentOneDriveApiId, sectionNewFileName))
            return true;
    }
    if (!answer.Ok()) {
        node.SetOutcome(MItemOutcome::Failed, answer.errorMessage.isEmpty() ? answer.reason : answer.errorMessage,
            FailureCode(answer));
        if (answer.failure == MAnswerFailure::Service) {
            qCWarning(lcCopy).noquote() << QStringLiteral("CopyASection error: %1").arg(node.reason);
            WriteLog(QStringLiteral("%1,%2,%3").arg(QStringLiteral("Copy Section"), node.name, node.reason));
        }
        return false;
    }
    const QJsonObject item = answer.Object();
    if (answer.Status() != 202 && !item.value(QLatin1String("id")).toString().isEmpty()) {
        node.id = item.value(QLatin1String("id")).toString(); // copied at once
    } else {
        const QString monitor = QString::fromUtf8(answer.response.Header("Location"));
        if (monitor.isEmpty())
            return ConfirmInFolder(node, parentOneDriveApiId, sectionNewFileName);
        const MCopyOutcome copy = FollowCopy(m_Session, monitor, m_Rules,
            [&](int percent) { ShowStatus(QStringLiteral("%1 ... %2%").arg(path).arg(percent)); });
        if (!copy.done) {
            // After a lost answer the first request may have made the copy this one then failed on.
            if (lostBefore && ConfirmInFolder(node, parentOneDriveApiId, sectionNewFileName))
                return true;
            node.SetOutcome(MItemOutcome::Failed, copy.reason, kDriveServiceError);
            return false;
        }
        node.id = copy.resourceId;
    }
    // A name that had to be numbered is worth seeing.
    node.SetOutcome(MItemOutcome::Created,
        sectionNewFileName.compare(node.name + QStringLiteral(".one"), Qt::CaseInsensitive) == 0
            ? QString()
            : Localized("msgSavedAs").arg(sectionNewFileName));
    return true;
}

bool MCopySectionsTask::ConfirmInFolder(MResultNode& node, const QString& parentId, const QString& name)
{
    QString failure;
    const std::optional<QJsonObject> found = FindItemInFolder(m_Session, parentId, name, &failure);
    if (found && !found->isEmpty()) {
        node.id = found->value(QLatin1String("id")).toString();
        node.SetOutcome(MItemOutcome::Created);
        return true;
    }
    node.SetOutcome(MItemOutcome::Failed, found ? Localized("reasonCopyNotSeen").arg(name) : failure,
        found ? kDriveServiceError : kDriveNoAnswer);
    return false;
}

void MCopySectionsTask::Progress()
{
    ShowProgress(++m_Done, m_Total);
}
