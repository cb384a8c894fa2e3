#pragma once

#include "MPanelBase.h"
#include "widgets/MOutlineView.h"

// A panel whose results are a tree of its own (lost sections, copies, restored files, sizes, search
// hits): the outline below the start row, its tree `ObjectTree()` behind it, and a sink through
// which the run shows its tree as it grows. When the run ends, the status line adds the count of
// its rows' outcomes.
class MOutlinePanel : public MPanelBase
{
    Q_OBJECT
public:
    MOutlinePanel(const QString& title, MOutlineModel::Options options, QWidget* parent = nullptr);

    const MResultNode& ObjectTree() const { return m_Outline->Tree(); }
    QTreeView* OutlineTree() const { return m_Outline; }
    MOutlineModel* OutlineModel() const { return m_Outline->Model(); }

protected:
    MResultNode& Tree() { return m_Outline->Tree(); }
    // Where the run shows its tree (hand it to the task).
    MOutlineSink* Sink() const { return m_Outline->Sink(); }
    // The panel changed its own tree on the main thread: the outline shows it afresh, expanded.
    void ReloadOutline() { m_Outline->Reload(); }
    // Empties the tree and the outline.
    void ClearTree() { m_Outline->Clear(); }
    // The account of the sign-in holds its notebooks as OneDrive files; says so when it does not.
    static bool CheckAccountType();

    void OnReportItem(const MTaskItem& item) override;
    void OnReportFinish(const QString& text) override;
    // What the status line adds to the finish text: by default the count of the rows' outcomes.
    virtual QString ClosingLine(const MOutcomeCounts& counts) const { return MOutlineView::CountsLine(counts); }

private:
    MOutlineView* m_Outline = nullptr;
};
