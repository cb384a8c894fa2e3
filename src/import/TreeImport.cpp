#include "TreeImport.h"

#include "FilePages.h"
#include "ImportProgress.h"
#include "LocalPageSend.h"
#include "NoteLinkPass.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "tasks/ContainerRequest.h"
#include "util/Formats.h"

#include <QDir>

namespace {

void SetUrls(MONObject& node, const MContainerUrls& urls)
{
    node.selfUrl = urls.selfUrl;
    node.sectionsUrl = urls.sectionsUrl;
    node.sectionGroupsUrl = urls.sectionGroupsUrl;
    node.pagesUrl = urls.pagesUrl;
}

} // namespace

MTreeImportTask::MTreeImportTask(
    const MTaskContext& context, std::unique_ptr<MONObject> planned, bool firstSubIsNotebook, bool utf8)
    : m_Context(context)
    , m_Planned(planned ? std::move(planned) : std::make_unique<MONObject>())
    , m_FirstSubIsNotebook(firstSubIsNotebook)
    , m_Utf8(utf8)
    , m_Session(SessionFor(context))
{
    const std::vector<MONObject*> nodes = PlannedNodes(*m_Planned);
    for (size_t i = 0; i < nodes.size(); ++i)
        m_Index.insert(nodes[i], qint64(i));
    m_Total = qint64(nodes.size());
}

MRunJournal::MIdentity MTreeImportTask::RunIdentity(
    const MONObject& planned, const MNotebookNode* tree, bool firstSubIsNotebook, bool utf8)
{
    QStringList folders;
    for (const auto& child : planned.children())
        folders.append(child->contentUrl);
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

void MTreeImportTask::Report(const MONObject& node, MItemOutcome outcome, const QString& reason, qint64 code)
{
    m_Counts.Add(outcome);
    if (!m_Context.reporter)
        return;
    MTaskItem item;
    item.index = m_Index.value(&node, -1);
    item.text = PlannedPath(node);
    item.outcome = outcome;
    item.reason = reason;
    item.target = node.contentUrl;
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

void MTreeImportTask::ImportChildren(const MContainerUrls* onlineParent, MONObject& localParent)
{
    for (const auto& child : localParent.children()) {
        if (!m_Context.IsRunning())
            return;
        MONObject& node = *child;
        if (node.objType != MONObject::Notebook && node.objType != MONObject::SectionGroup
            && node.objType != MONObject::Section)
            continue;
        m_Context.RefreshTokens();
        Status(node.name);
        if (ImportContainer(onlineParent, node)) {
            Status(QString());
            const MContainerUrls urls {node.selfUrl, node.sectionsUrl, node.sectionGroupsUrl, node.pagesUrl};
            if (node.objType == MONObject::Section)
                Import_Pages(node);
            else
                ImportChildren(&urls, node);
        } else if (node.intValue != kCreationStopped) {
            Status(QString());
            SkipBelow(node, Localized("reasonContainerNotMade").arg(node.name));
        }
        if (m_Context.pacer)
            m_Context.pacer->WaitUpload();
    }
}

bool MTreeImportTask::ImportContainer(const MContainerUrls* onlineParent, MONObject& node)
{
    Report(node, MItemOutcome::Sending);
    node.intValue = 0;
    node.strValue.clear();
    // The online tree as the run began: a container made in this run is not in it, and is not
    // looked for below either.
    const QString parentUrl = node.objType == MONObject::Notebook || !onlineParent ? QString() : onlineParent->selfUrl;
    const MNotebookNode* existing = nullptr;
    if (m_Context.tree && (node.objType == MONObject::Notebook || !parentUrl.isEmpty()))
        existing = m_Context.tree->GetObjectByName(node.name, parentUrl, MNodeKind(node.objType), true);
    static const MContainerUrls kNoParent;
    const MContainerUrls& parent = onlineParent ? *onlineParent : kNoParent;
    std::optional<QJsonObject> found;
    if (!existing && m_Journal && m_Journal->Mode() == MRunMode::Resume) {
        // The interrupted run may have made it after the tree was read: names are unique, so the
        // one of that name is it.
        const QString collection = node.objType == MONObject::Notebook
            ? m_Session.Account().BaseUrl() + QStringLiteral("/notebooks")
            : node.objType == MONObject::SectionGroup ? parent.sectionGroupsUrl
                                                      : parent.sectionsUrl;
        QString failure;
        found = FindContainerNamed(m_Session, collection, node.name, &failure);
        if (found && !found->isEmpty()) {
            MContainerUrls urls {node.selfUrl, node.sectionsUrl, node.sectionGroupsUrl, node.pagesUrl};
            ReadContainerUrls(*found, urls);
            SetUrls(node, urls);
        }
    }
    if (existing || (found && !found->isEmpty())) {
        if (existing) {
            node.selfUrl = existing->selfUrl;
            node.sectionGroupsUrl = existing->sectionGroupsUrl;
            node.sectionsUrl = existing->sectionsUrl;
            node.pagesUrl = existing->pagesUrl;
        }
        node.intValue = kCreationReused;
        Report(node, MItemOutcome::Reused, QString(), kCreationReused);
        Advance();
        return true;
    }
    MContainerUrls made {node.selfUrl, node.sectionsUrl, node.sectionGroupsUrl, node.pagesUrl};
    MCreationOutcome outcome = CreateContainerIn(m_Session, parent, MNodeKind(node.objType), node.name, made);
    SetUrls(node, made);
    node.intValue = outcome.code;
    node.strValue = outcome.Created() ? Localized("strSuccess") : outcome.reason;
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

void MTreeImportTask::SkipBelow(const MONObject& node, const QString& reason)
{
    for (const auto& child : node.children()) {
        Report(*child, MItemOutcome::Skipped, reason);
        Advance();
        SkipBelow(*child, reason);
    }
}

void MTreeImportTask::Import_Pages(MONObject& section)
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

bool MTreeImportTask::Import_APage(const MONObject& section, MONObject& page)
{
    Report(page, MItemOutcome::Sending);
    const MLocalPage local = BuildTreeImportPage(page.contentUrl, m_Utf8, CurrentDate());
    const MPageCreationPolicy policy = MPageCreationPolicy::FolderTree();
    std::optional<MLocalPageOutcome> sent;
    const MRunItemResult item = SendRunItem(
        m_Journal.get(), m_Index.value(&page, -1), QStringLiteral("tree:") + PlannedPath(page), page.name,
        section.pagesUrl,
        [&](QString* failure) {
            return FindPageMadeInThisRun(m_Session, policy.PagesUrl(m_Session.Account(), section.pagesUrl),
                PageTitleOfHtml(local.html), failure);
        },
        [&] {
            sent = SendLocalPage(m_Session, policy, section.pagesUrl, page.name, local);
            return sent->creation;
        });
    RememberMadePage(
        m_Journal.get(), m_Index.value(&page, -1), PageTitleOfHtml(local.html), page.contentUrl, item, local.html);
    const MCreationOutcome& creation = item.creation;
    page.intValue = item.outcome == MItemOutcome::Skipped ? 0 : creation.code;
    page.strValue = item.outcome == MItemOutcome::Created && item.reason.isEmpty() ? Localized("strSuccess")
        : creation.message.isEmpty()                                               ? item.reason
                                                                                   : creation.message;
    Report(page, item.outcome, sent ? ItemReasonOf(*sent) : item.reason, creation.code);
    Advance();
    return item.outcome == MItemOutcome::Created;
}
