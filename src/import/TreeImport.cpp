#include "TreeImport.h"

#include "FilePages.h"
#include "ImportProgress.h"
#include "LocalPageSend.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "tasks/ContainerRequest.h"
#include "util/Formats.h"

#include <QDir>

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

std::optional<QString> MTreeImportTask::StartProblem(const MONObject* tree, bool firstSubIsNotebook)
{
    if (!firstSubIsNotebook && (!tree || !MONObject::GetFirstCheckedNotebook(tree)))
        return QStringLiteral("strSelectASection");
    return std::nullopt;
}

void MTreeImportTask::RefreshTokens()
{
    if (m_Context.account)
        m_Context.account->RefreshTokens(false);
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
    RefreshTokens();
    ReportImportProgress(m_Context, 0, m_Total);
    const MONObject* target = nullptr;
    if (!m_FirstSubIsNotebook && m_Context.tree)
        target = MONObject::GetFirstCheckedNotebook(m_Context.tree.get());
    if (m_FirstSubIsNotebook || target)
        Import_NB_SG_S(target, *m_Planned);
    if (m_Context.reporter)
        m_Context.reporter->Finish(Localized("strFinish"));
}

void MTreeImportTask::Import_NB_SG_S(const MONObject* onlineParent, MONObject& localParent)
{
    for (const auto& child : localParent.children()) {
        if (!m_Context.IsRunning())
            return;
        MONObject& node = *child;
        if (node.objType != MONObject::Notebook && node.objType != MONObject::SectionGroup
            && node.objType != MONObject::Section)
            continue;
        RefreshTokens();
        Status(node.name);
        if (ImportContainer(onlineParent, node)) {
            Status(QString());
            if (node.objType == MONObject::Section)
                Import_Pages(node);
            else
                Import_NB_SG_S(&node, node);
        } else if (node.intValue != kCreationStopped) {
            Status(QString());
            SkipBelow(node, Localized("reasonContainerNotMade").arg(node.name));
        }
        if (m_Context.pacer)
            m_Context.pacer->WaitUpload();
    }
}

bool MTreeImportTask::ImportContainer(const MONObject* onlineParent, MONObject& node)
{
    Report(node, MItemOutcome::Sending);
    node.intValue = 0;
    node.strValue.clear();
    // The online tree as the run began: a container made in this run is not in it, and is not
    // looked for below either.
    const QString parentUrl = node.objType == MONObject::Notebook || !onlineParent ? QString() : onlineParent->selfUrl;
    const MONObject* existing = nullptr;
    if (m_Context.tree && (node.objType == MONObject::Notebook || !parentUrl.isEmpty()))
        existing = m_Context.tree->GetObjectByName(node.name, parentUrl, node.objType, true);
    if (existing) {
        node.selfUrl = existing->selfUrl;
        node.sectionGroupsUrl = existing->sectionGroupsUrl;
        node.sectionsUrl = existing->sectionsUrl;
        node.pagesUrl = existing->pagesUrl;
        node.intValue = kCreationReused;
        Report(node, MItemOutcome::Reused, QString(), kCreationReused);
        Advance();
        return true;
    }
    static const MONObject kNoParent;
    const MONObject& parent = onlineParent ? *onlineParent : kNoParent;
    bool created = false;
    if (node.objType == MONObject::Notebook)
        created = CreateNewNotebookInOnlineOneNote(m_Session, node);
    else if (node.objType == MONObject::SectionGroup)
        created = CreateNewSectionGroupInOnlineOneNote(m_Session, parent, node);
    else
        created = CreateNewSectionInOnlineOneNote(m_Session, parent, node);
    if (created) {
        ++m_NewSectionCount;
        Report(node, MItemOutcome::Created, QString(), kCreationCreated);
    } else if (node.intValue == kCreationStopped) {
        Report(node, MItemOutcome::Skipped, node.strValue);
    } else {
        MCreationOutcome outcome;
        outcome.code = node.intValue;
        outcome.reason = node.strValue;
        Report(node, MItemOutcome::Failed, CreationFailureText(outcome), node.intValue);
    }
    Advance();
    return created;
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
        RefreshTokens();
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
    const MLocalPageOutcome outcome
        = SendLocalPage(m_Session, MPageCreationPolicy::FolderTree(), section.pagesUrl, page.name, local);
    const MCreationOutcome& creation = outcome.creation;
    const MItemOutcome item = ItemOutcomeOf(creation);
    page.intValue = item == MItemOutcome::Skipped ? 0 : creation.code;
    page.strValue = creation.Created() ? Localized("strSuccess")
        : creation.message.isEmpty()   ? creation.reason
                                       : creation.message;
    Report(page, item, ItemReasonOf(outcome), creation.code);
    Advance();
    return creation.Created();
}
