#pragma once

#include "MPanelBase.h"

class QCheckBox;
class QLabel;
class QLineEdit;

// The export panel of the three export buttons (text files, HTML files, section-file backups): the
// export folder with a chooser and a button that opens it, and the files written in the result area.
// The kind comes from the feature button that opened the panel, taken when a run starts. "Keep a
// mirror up to date" makes the run the mirror's (MBackupTask); the panel shows when the
// folder's mirror was last brought up to date.
class MViewExport : public MPanelBase
{
    Q_OBJECT
public:
    explicit MViewExport(QWidget* parent = nullptr);

    QLineEdit* mFolder = nullptr;
    QCheckBox* cbMirror = nullptr;
    QLabel* mMirrorState = nullptr;

    void ClearAndReload() override { ClearResults(); }

protected:
    void StartRun() override;
    void OnRunEnded() override { ShowMirrorState(); }

private:
    void LoadConfig();
    void SaveConfig();
    void ButtonSelectFolderClick();
    void ButtonGoToFolderClick();
    void ShowMirrorState();
};
