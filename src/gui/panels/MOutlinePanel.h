#pragma once

#include "MPanelBase.h"
#include "model/MResultNode.h"
#include "tasks/MOutlineSink.h"
#include "tasks/TaskTexts.h"
#include "widgets/MOutlineModel.h"

#include <memory>

class QTreeView;

// A panel whose results are a tree of its own (lost sections, copies, restored files, sizes): the
// outline below the start row, the panel's tree `m_ObjectTree` behind it, and a sink through which
// the run shows its tree as it grows. The run works on a tree of its own; each post copies it into
// the panel's on the main thread while the worker waits, so the outline never reads a tree that is
// changing. When the run ends, the status line adds the count of its rows' outcomes.
class MOutlinePanel : public MPanelBase
{
    Q_OBJECT
public:
    MOutlinePanel(const QString& title, MOutlineModel::Options options, QWidget* parent = nullptr);
    ~MOutlinePanel() override;

    const MResultNode& ObjectTree() const { return m_ObjectTree; }
    QTreeView* OutlineTree() const { return mOutlineTree; }
    MOutlineModel* OutlineModel() const { return m_Model; }

protected:
    MResultNode& Tree() { return m_ObjectTree; }
    // Where the run shows its tree (hand it to the task).
    MOutlineSink* Sink() const;
    // The panel changed its own tree on the main thread: the outline shows it afresh, expanded.
    void ReloadOutline();
    // Empties the tree and the outline.
    void ClearTree();
    // The account of the sign-in holds its notebooks as OneDrive files; says so when it does not.
    static bool CheckAccountType();

    void OnReportItem(const MTaskItem& item) override;
    void OnReportFinish(const QString& text) override;
    // What the status line adds to the finish text: by default the count of the rows' outcomes.
    virtual QString ClosingLine(const MOutcomeCounts& counts) const;

private:
    class MPoster;
    friend class MPoster;
    void ShowRunTree(const MResultNode& root);

    MResultNode m_ObjectTree;
    QTreeView* mOutlineTree = nullptr;
    MOutlineModel* m_Model = nullptr;
    std::unique_ptr<MPoster> m_Poster;
    MOutcomeCounts m_Counts;
};
