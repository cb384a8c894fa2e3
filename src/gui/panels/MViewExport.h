#pragma once

#include "MPanelBase.h"

class QLineEdit;

// The export panel of the three export buttons (text files, HTML files, section-file backups): the
// export folder with a chooser and a button that opens it, and the files written in the result area.
// The kind comes from the feature button that opened the panel, taken when a run starts.
class MViewExport : public MPanelBase
{
    Q_OBJECT
public:
    explicit MViewExport(QWidget* parent = nullptr);

    QLineEdit* mFolder = nullptr;

    void ClearAndReload() override { ClearResults(); }

protected:
    void StartRun() override;

private:
    void LoadConfig();
    void SaveConfig();
    void ButtonSelectFolderClick();
    void ButtonGoToFolderClick();
};
