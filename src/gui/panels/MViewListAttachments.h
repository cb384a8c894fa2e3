#pragma once

#include "MPanelBase.h"
#include "pagetasks/MAttachment.h"

#include <QList>

class MAttachmentTableModel;
class QAction;
class QPushButton;
class QTableView;

// Attachments: the files attached to the pages of the checked sections, each with a check box, its
// type, its page and what the last save made of it. The tick menu checks all, none, the reverse, or
// every file of a type already ticked; "Save ticked…" asks for a folder and saves the ticked files
// there without overwriting any (pressed again while it saves, it stops after the current file). A
// new listing replaces the last one.
class MViewListAttachments : public MPanelBase
{
    Q_OBJECT
public:
    explicit MViewListAttachments(QWidget* parent = nullptr);

    QTableView* mTableView = nullptr;
    QPushButton* mBtnTick = nullptr;
    QPushButton* mBtnSave = nullptr;
    QAction* mMenuItemCheckAll = nullptr;
    QAction* mMenuItemUncheckAll = nullptr;
    QAction* mMenuItemReverse = nullptr;
    QAction* mMenuItemCheckByFileType = nullptr;

    const QList<MAttachment>& List() const { return m_List; }
    MAttachmentTableModel* TableModel() const { return m_Model; }
    // The save into `folder` as the folder chooser would start it (tests give the folder).
    void RunThreadSave(const QString& folder);

protected:
    void StartRun() override;
    void OnReportItem(const MTaskItem& item) override;
    void OnRunEnded() override;

private:
    friend class MAttachmentPanelSink;
    void AddAttachments(const QList<MAttachment>& items);
    void CheckAll(MCheckAll mode);
    void MenuItemCheckByFileTypeClick();
    void ButtonSaveClick();
    void RowActivated(const QModelIndex& index);
    void ShowSaving(bool saving);
    void ShowCounts();

    QList<MAttachment> m_List;
    MAttachmentTableModel* m_Model = nullptr;
    bool m_Saving = false;
    qint64 m_FilesCount = 0;
};
