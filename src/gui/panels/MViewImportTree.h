#pragma once

#include "MImportPanel.h"
#include "import/FolderTreeScan.h"
#include "model/MResultNode.h"

#include <QStringList>
#include <vector>

class MOutlineModel;
class MOutlineView;
class QCheckBox;
class QLabel;
class QPushButton;

// The folder-tree import panel: the chosen folders planned as notebooks, section groups, sections
// and pages in an outline with an icon per kind and a status column, the options of the plan (kept
// in the settings), and the run that finds or makes the containers and makes the pages. The outline
// is the result view: each node's status is filled in as the run reaches it.
class MViewImportTree : public MImportPanel
{
    Q_OBJECT
public:
    explicit MViewImportTree(QWidget* parent = nullptr);

    // Plans the folders with the options as they are ticked (the dialog's work, without the dialog).
    void PlanFolders(const QStringList& folders);
    MOutlineModel* OutlineModel() const;
    // "5 created, 3 already there" under the outline once a run is over; "" before.
    QString SummaryText() const;

    QCheckBox* mCheckTxtFiles = nullptr;
    QCheckBox* mCheckHTMLFiles = nullptr;
    QCheckBox* mCheckSkipHTMLFilesSubFolder = nullptr;
    QCheckBox* mCheckUTF8Code = nullptr;
    QCheckBox* mCheckFirstSubIsNotebook = nullptr;
    QPushButton* mBtnAddFolders = nullptr;
    QLabel* mSummary = nullptr;

protected:
    void StartRun() override;
    void OnReportItem(const MTaskItem& item) override;
    void OnRunEnded() override;

private:
    void LoadConfig();
    void SaveConfig();
    MImportTreeOptions Options() const;
    void Replan();
    void SetInputsEnabled(bool enabled);
    void ButtonAddAFolderWithSubsClick();

    MOutlineView* m_Outline = nullptr; // the plan, and the outcome of each of its nodes in a run
    QStringList m_Folders;
    std::vector<MResultNode*> m_RunNodes; // the planned nodes in the run's order (its rows' indexes)
};
