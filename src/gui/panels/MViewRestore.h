#pragma once

#include "MOutlinePanel.h"

#include <QStringList>
#include <functional>

class QPushButton;

// Uploads local section files (".one") and folders of them into the notebook or section group
// checked in the notebook tree. The user builds the list first (files, folders with everything
// below them, rows removed or all cleared), then starts; each row shows what became of it. Nothing
// in OneDrive is replaced: a taken name gets a number, a folder that is there is filled.
class MViewRestore : public MOutlinePanel
{
    Q_OBJECT
public:
    explicit MViewRestore(QWidget* parent = nullptr);

    QPushButton* mBtnAddFiles = nullptr;
    QPushButton* mBtnAddFolder = nullptr;
    QPushButton* mBtnRemove = nullptr;
    QPushButton* mBtnClear = nullptr;
    // Ask for files and for folders (several at once, as the import panels do); empty when the user
    // cancels. Tests replace them.
    std::function<QStringList()> ChooseFiles;
    std::function<QStringList()> ChooseFolders;

    void buttonAddFilesClick();
    void buttonAddAFolderWithSubsClick();
    void buttonRemoveSelectionsClick();
    void buttonClearClick();
    void ClearAndReload() override { ReloadOutline(); }

protected:
    void StartRun() override;
    void OnRunEnded() override;

private:
    // The node added items go into; null (and the user told) without a checked target.
    MResultNode* ReceivingNode();
    void EnableEditing(bool enabled);
};
