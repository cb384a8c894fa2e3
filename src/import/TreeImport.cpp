#include "TreeImport.h"

#include "FilePages.h"
#include "ImportProgress.h"
#include "LocalPageSend.h"
#include "NoteLinkPass.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MResultNode.h"
#include "tasks/ContainerRequest.h"
#include "util/Formats.h"

#include <QDir>

namespace {

bool IsContainer(MNodeKind kind)
{
    return kind == MNodeKind::Notebook || kind == MNodeKind::SectionGroup || kind == MNodeKind::Section;
}

} // namespace

MTreeImportTask::MTreeImportTask(
    const MTaskContext& context, std::unique_ptr<MResultNode> planned, bool firstSubIsNotebook, bool utf8)
    : m_Context(context)
    , m_Planned(planned ? std::move(planned) : std::make_unique<MResultNode>())
    , m_FirstSubIsNotebook(firstSubIsNotebook)
    , m_Utf8(utf8)
    , m_Session(SessionFor(context))
{
    const std::vector<MResultNode*> nodes = PlannedNodes(*m_Planned);
    for (size_t i = 0; i < nodes.size(); ++i)
        m_Index.insert(nodes[i], qint64(i));
    m_Total = qint64(nodes.size());
}

MRunJournal::MIdentity MTreeImportTask::RunIdentity(
    const MResultNode& planned, const MNotebookNode* tree, bool firstSubIsNotebook, bool utf8)
{
    QStringList folders;
    for (const auto& child : planned.children())
        folders.append(child->path);
    const MNotebookNode* notebook
        = tree && !firstSubIsNotebook ? MNotebookNode::GetFirstCheckedNotebook(tree) : nullptr;
    MRunJournal::MIdentity identity;
    identity.task = QStringLiteral("import-tree");
    identity.source = SourceListName(folders);
    identity.target = notebook ? notebook->selfUrl : QStringLiteral("notebooks");
    identity.settings = QStringLiteral("utf8=%1").arg(utf8 ? 1 : 0);
    return identity;
}

std::optional<QString> MTreeImportTask::StartProblem(const MNotebookNode* tree, bool firstSubIsNotebook)
{
    if (firstSubIsNotebook)
        return std::nullopt;
    return NothingChecked(tree, MNodeKind::Notebook);
}

void MTreeImportTask::Status(const QString& text)
{
    if (m_Context.reporter)
        m_Context.reporter->ShowStatus(text);
}

void MTreeImportTask::Report(const MResultNode& node, MItemOutcome outcome, const QString& reason, qint64 code)
{
    m_Counts.Add(outcome);
    if (!m_Context.reporter)
        return;
    MTaskItem item;
    item.index = m_Index.value(&node, -1);
    item.text = PlannedPath(node);
    item.outcome = outcome;
    item.reason = reason;
    item.target = node.path;
    item.code = code;
    m_Context.reporter->ReportItem(item);
}

void MTreeImportTask::Advance()
{
    ++m_Done;
    ReportImportProgress(m_Context, m_Done, m_Total);
}

void MTreeImportTask::ThreadImportRun()
{
    m_Context.RefreshTokens();
    ReportImportProgress(m_Context, 0, m_Total);
    const MNotebookNode* target = nullptr;
    if (!m_FirstSubIsNotebook && m_Context.tree)
        target = MNotebookNode::GetFirstCheckedNotebook(m_Context.tree.get());
    m_Journal = OpenRunJournal(
        RunIdentity(*m_Planned, m_Context.tree.get(), m_FirstSubIsNotebook, m_Utf8), m_Recording, m_Context.reporter);
    if (m_Journal && m_Journal->Mode() == MRunMode::Resume)
        ContinueRunIn(m_Session, *m_Journal);
    if (m_FirstSubIsNotebook || target)
        ImportChildren(target, *m_Planned);
    if (m_Context.IsRunning()) {
        m_LinkPass = RunLinkPass(m_Context, m_Session, m_Journal.get());
        ShowLinkPass(m_Context, m_LinkPass);
    }
    if (m_Journal)
        m_Journal->End(!m_Context.IsRunning());
    if (m_Context.reporter)
        m_Context.reporter->Finish(Localized("strFinish"));
}

void MTreeImportTask::ImportChildren(const MContainerUrls* onlineParent, MResultNode& localParent)
{
    for (const auto& child : localParent.children()) {
        if (!m_Context.IsRunning())
            return;
        MResultNode& node = *child;
        if (!IsContainer(node.kind))
            continue;
        m_Context.RefreshTokens();
        Status(node.name);
        if (ImportContainer(onlineParent, node)) {
            Status(QString());
            if (node.kind == MNodeKind::Section)
                Import_Pages(node);
            else
                ImportChildren(&node.online, node);
        } else if (node.code != kCreationStopped) {
            Status(QString());
            SkipBelow(node, Localized("reasonContainerNotMade").arg(node.name));
        }
        if (m_Context.pacer)
            m_Context.pacer->WaitUpload();
    }
}

bool MTreeImportTask::ImportContainer(const MContainerUrls* onlineParent, MResultNode& node)
{
    Report(node, MItemOutcome::Sending);
    node.SetOutcome(MItemOutcome::NotAttempted);
    // The online tree as the run began: a container made in this run is not in it, and is not
    // looked for below either.
    const QString parentUrl = node.kind == MNodeKind::Notebook || !onlineParent ? QString() : onlineParent->selfUrl;
    const MNotebookNode* existing = nullptr;
    if (m_Context.tree && (node.kind == MNodeKind::Notebook || !parentUrl.isEmpty()))
        existing = m_Context.tree->GetObjectByName(node.name, parentUrl, node.kind, true);
    static const MContainerUrls kNoParent;
    const MContainerUrls& parent = onlineParent ? *onlineParent : kNoParent;
    std::optional<QJsonObject> found;
    if (!existing && m_Journal && m_Journal->Mode() == MRunMode::Resume) {
        // The interrupted run may have made it after the tree was read: names are unique, so the
        // one of that name is it.
        const QString collection = node.kind == MNodeKind::Notebook
            ? m_Session.Account().BaseUrl() + QStringLiteral("/notebooks")
            : node.kind == MNodeKind::SectionGroup ? parent.sectionGroupsUrl
                                                   : parent.sectionsUrl;
        QString failure;
        found = FindContainerNamed(m_Session, collection, node.name, &failure);
        if (found && !found->isEmpty())
            ReadContainerUrls(*found, node.online);
    }
    if (existing || (found && !found->isEmpty())) {
        if (existing)
            node.online = {existing->selfUrl, existing->sectionsUrl, existing->sectionGroupsUrl, existing->pagesUrl};
        node.SetOutcome(MItemOutcome::Reused, QString(), kCreationReused);
        Report(node, MItemOutcome::Reused, QString(), kCreationReused);
        Advance();
        return true;
    }
    MCreationOutcome outcome = CreateContainerIn(m_Session, parent, node.kind, node.name, node.online);
    const MItemOutcome result = outcome.Created() ? MItemOutcome::Created
        : outcome.code == kCreationStopped        ? MItemOutcome::Skipped
                                                  : MItemOutcome::Failed;
    node.SetOutcome(result, outcome.Created() ? QString() : outcome.reason, outcome.code);
    if (outcome.Created()) {
        ++m_NewSectionCount;
        Report(node, MItemOutcome::Created, QString(), kCreationCreated);
    } else if (outcome.code == kCreationStopped) {
        Report(node, MItemOutcome::Skipped, outcome.reason);
    } else {
        // The failure's words are its code and reason only, not the whole answer.
        MCreationOutcome failure;
        failure.code = outcome.code;
        failure.reason = outcome.reason;
        Report(node, MItemOutcome::Failed, CreationFailureText(failure), outcome.code);
    }
    Advance();
    return outcome.Created();
}

void MTreeImportTask::SkipBelow(const MResultNode& node, const QString& reason)
{
    for (const auto& child : node.children()) {
        Report(*child, MItemOutcome::Skipped, reason);
        Advance();
        SkipBelow(*child, reason);
    }
}

void MTreeImportTask::Import_Pages(MResultNode& section)
{
    for (const auto& child : section.children()) {
        if (!m_Context.IsRunning())
            return;
        m_Context.RefreshTokens();
        Status(child->name);
        if (Import_APage(section, *child))
            ++m_ImportPagesCount;
        Status(QString());
        if (m_Context.pacer)
            m_Context.pacer->WaitUpload();
    }
}

bool MTreeImportTask::Import_APage(const MResultNode& section, MResultNode& page)
{
    Report(page, MItemOutcome::Sending);
    const MLocalPage local = BuildTreeImportPage(page.path, m_Utf8, CurrentDate());
    const MPageCreationPolicy policy = MPageCreationPolicy::FolderTree();
    std::optional<MLocalPageOutcome> sent;
    const MRunItemResult item = SendRunItem(
        m_Journal.get(), m_Index.value(&page, -1), QStringLiteral("tree:") + PlannedPath(page), page.name,
        section.online.pagesUrl,
        [&](QString* failure) {
            return FindPageMadeInThisRun(m_Session, policy.PagesUrl(m_Session.Account(), section.online.pagesUrl),
                PageTitleOfHtml(local.html), failure);
        },
        [&] {
            sent = SendLocalPage(m_Session, policy, section.online.pagesUrl, page.name, local);
            return sent->creation;
        });
    RememberMadePage(
        m_Journal.get(), m_Index.value(&page, -1), PageTitleOfHtml(local.html), page.path, item, local.html);
    const MCreationOutcome& creation = item.creation;
    page.SetOutcome(item.outcome,
        item.outcome == MItemOutcome::Created && item.reason.isEmpty() ? QString()
            : creation.message.isEmpty()                               ? item.reason
                                                                       : creation.message,
        item.outcome == MItemOutcome::Skipped ? 0 : creation.code);
    Report(page, item.outcome, sent ? ItemReasonOf(*sent) : item.reason, creation.code);
    Advance();
    return item.outcome == MItemOutcome::Created;
}
