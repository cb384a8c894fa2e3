#pragma once

#include "MOutlinePanel.h"
#include "util/CheckAll.h"

#include <functional>

class QPushButton;
class QToolButton;

// Finds the section files OneDrive kept as ".onetmp" files anywhere in the drive and lists them,
// ticked, with their folder; Save downloads the ticked ones as ".one" files into a chosen folder.
// The start button searches; while the search or the save runs, both buttons stop it.
class MViewFindLost : public MOutlinePanel
{
    Q_OBJECT
public:
    explicit MViewFindLost(QWidget* parent = nullptr);

    QPushButton* mBtnSave = nullptr;
    QToolButton* mBtnCheck = nullptr;
    // Asks for the folder to save in; "" when the user cancels. Tests replace it.
    std::function<QString()> ChooseSaveFolder;

    // The tick of every found file: 1 on, 0 off, 2 reversed.
    void checkAllItems(MCheckAll mode);
    void buttonSaveClick();

protected:
    void StartRun() override;
    QString ClosingLine(const MOutcomeCounts& counts) const override;

private:
    bool m_Searching = false; // the run is a search (else a save)
};
