#pragma once

#include "MOutlineModel.h"
#include "model/MResultNode.h"
#include "tasks/MOutlineSink.h"
#include "tasks/TaskTexts.h"

#include <QTreeView>
#include <memory>

// The outline of a run that builds a tree of its own (lost sections, copies, restored files, sizes,
// search hits, the folder-tree import plan): the tree `Tree()` behind it, its model, the sink through
// which a worker shows its tree as it grows, and the count of the run's rows that the finish text
// ends with. A worker's post copies its tree into this one on the main thread while the worker
// waits, so the outline never reads a tree that is changing.
class MOutlineView : public QTreeView
{
    Q_OBJECT
public:
    MOutlineView(MOutlineModel::Options options, QWidget* parent);
    ~MOutlineView() override;

    MResultNode& Tree() { return m_Tree; }
    const MResultNode& Tree() const { return m_Tree; }
    MOutlineModel* Model() const { return m_Model; }
    // Where a worker shows its tree (hand it to the task).
    MOutlineSink* Sink() const;

    // The tree was changed on the main thread: the outline shows it afresh, expanded.
    void Reload();
    // Shows `fresh`'s children instead of the tree's, expanded (`fresh` is left with the old ones).
    void ShowTree(MResultNode& fresh);
    void Clear();

    // A row of the run reached its outcome (Sending is none).
    void Count(MItemOutcome outcome);
    // The count of the run's rows so far; the count starts again.
    MOutcomeCounts TakeCounts();
    // What a run's finish text ends with by default: the count of its rows' outcomes ("5 created"),
    // or "" when it had none.
    static QString CountsLine(const MOutcomeCounts& counts);
    // The finish text with `closing` after it, if there is one.
    static QString FinishText(const QString& text, const QString& closing);

private:
    class MPoster;

    MResultNode m_Tree;
    MOutlineModel* m_Model = nullptr;
    std::unique_ptr<MPoster> m_Poster;
    MOutcomeCounts m_Counts;
};
