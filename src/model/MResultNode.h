#pragma once

#include "MItemOutcome.h"
#include "MNotebookNode.h"
#include "MTreeNode.h"

#include <QString>
#include <optional>

// One row of a tree a run builds of its own and shows in an outline: a folder planned for import,
// a lost section found, a section copied, restored or measured, a search hit. What became of it is
// an outcome with its reason; a row that was measured holds its size.
class MResultNode : public MTreeNode<MResultNode>
{
public:
    MNodeKind kind = MNodeKind::Root;
    QString name;
    QString shownName; // what the row shows when it is not the name (a lost file as it will be saved)
    QString path; // the local file or folder it comes from, or the place it was found at
    QString id; // what the service calls it: a drive item, a page, the section it became
    QString address; // where it opens or downloads from
    MItemOutcome outcome = MItemOutcome::NotAttempted;
    QString reason; // shown in place of the outcome's word: a message, "Not found", "Downloading"
    qint64 code = 0; // the failure's code (-1 no token, -3 no answer, -4 an error answer, ...)
    std::optional<qint64> size; // bytes, for a row that was measured
    bool checked = false; // a row the user ticked (lost sections to save)
    MContainerUrls online; // a planned container as it was found or made on the service
    bool shared = false; // a notebook someone else owns: its row has the shared notebook's icon

    // Appends a child of the kind and name.
    MResultNode* AddChild(MNodeKind kind, const QString& name);
    using MTreeNode::AddChild;

    // Sets the outcome with its reason (and code, for a failure).
    void SetOutcome(MItemOutcome outcome, const QString& reason = QString(), qint64 code = 0);
    // Forgets what a run made of this node and every node below it.
    void ClearOutcomes();
};

// What an outline's status column shows for a node: the reason when there is one, else by outcome
// ("", "strSuccess", "strExists", "strFailure: code") or the size; the mark beside it (created,
// reused and failed rows have one).
struct MOutlineStatus
{
    std::optional<MItemOutcome> mark;
    QString text;
};
MOutlineStatus NodeStatus(const MResultNode& node);
