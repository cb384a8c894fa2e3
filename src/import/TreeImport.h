#pragma once

#include "FolderTreeScan.h"
#include "NoteLinkPass.h"
#include "service/MServiceSession.h"
#include "tasks/MRunJournal.h"
#include "tasks/MTaskContext.h"
#include "tasks/TaskTexts.h"

#include <QHash>
#include <memory>
#include <optional>

class MResultNode;
class MNotebookNode;
struct MContainerUrls;

// The folder-tree import: the planned tree's folders as notebooks, section groups and sections —
// the ones that are there already (same name, ignoring case) used as they are, the others made —
// and its files as new pages.
class MTreeImportTask
{
public:
    // `planned` is the run's own copy of the planned tree. Without `firstSubIsNotebook` the tree's
    // top folders go into the first ticked notebook of the context's tree.
    MTreeImportTask(
        const MTaskContext& context, std::unique_ptr<MResultNode> planned, bool firstSubIsNotebook, bool utf8);

    // What names a run of this planned tree into the target (the first ticked notebook of `tree`, or
    // new notebooks), for the ledger.
    static MRunJournal::MIdentity RunIdentity(
        const MResultNode& planned, const MNotebookNode* tree, bool firstSubIsNotebook, bool utf8);
    // The run records its pages in the run ledger as `run` asks (by default it does not).
    void SetRecording(const MRunRecording& run) { m_Recording = run; }

    // The localized key of the reason a run cannot start ("strSelectASection"), or nothing.
    static std::optional<QString> StartProblem(const MNotebookNode* tree, bool firstSubIsNotebook);

    // The worker's body: the token refresh, the containers and pages in outline order, then the
    // finish text. Every planned node is a row, numbered in outline order.
    void ThreadImportRun();

    // Read after the run.
    const MResultNode& Planned() const { return *m_Planned; }
    qint64 NewSectionCount() const { return m_NewSectionCount; }
    qint64 ImportPagesCount() const { return m_ImportPagesCount; }
    const MOutcomeCounts& Counts() const { return m_Counts; }
    const MLinkPassResult& LinkPass() const { return m_LinkPass; }

private:
    void ImportChildren(const MContainerUrls* onlineParent, MResultNode& localParent);
    void Import_Pages(MResultNode& section);
    // One container: its Sending row, the one of that name found online or made, its outcome row.
    // True when the container can take its children.
    bool ImportContainer(const MContainerUrls* onlineParent, MResultNode& node);
    // One page: its Sending row, its page built and sent, its outcome row. True when created.
    bool Import_APage(const MResultNode& section, MResultNode& page);
    // The nodes below a container that could not be made, each a skipped row.
    void SkipBelow(const MResultNode& node, const QString& reason);

    void Report(const MResultNode& node, MItemOutcome outcome, const QString& reason = QString(), qint64 code = 0);
    void Advance();
    void Status(const QString& text);

    MTaskContext m_Context;
    std::unique_ptr<MResultNode> m_Planned;
    bool m_FirstSubIsNotebook;
    bool m_Utf8;
    MServiceSession m_Session;
    MRunRecording m_Recording;
    std::unique_ptr<MRunJournal> m_Journal;
    MLinkPassResult m_LinkPass;
    QHash<const MResultNode*, qint64> m_Index; // a node's place in outline order: its row's index
    qint64 m_Total = 0;
    qint64 m_Done = 0;
    qint64 m_NewSectionCount = 0;
    qint64 m_ImportPagesCount = 0;
    MOutcomeCounts m_Counts;
};
