#pragma once

#include "MImportPanel.h"

class QCheckBox;
class QLabel;
class QLineEdit;

// The ENEX import panel: a file with its entry count, a range of note numbers, the two options, and
// the running account of the import in the result area.
class MViewEvernote : public MImportPanel
{
    Q_OBJECT
public:
    explicit MViewEvernote(QWidget* parent = nullptr);

    void ClearAndReload() override;
    // Puts the path into the file field and shows the file's entry count (or the error box).
    void ShowEvernoteFileInfo(const QString& path);

    QLineEdit* mEvernoteEnexFile = nullptr;
    QLineEdit* mFrom = nullptr;
    QLineEdit* mTo = nullptr;
    QLabel* mTotal = nullptr;
    QCheckBox* mCheckCreateEvernoteTagSections = nullptr;
    QCheckBox* mCheckHandleIndents = nullptr;

protected:
    void StartRun() override;

private:
    void ButtonChooseEvernoteEnexFileClick();
    // The notes counted in the chosen file, for the progress of a run of that file.
    QString m_CountedFile;
    qint64 m_NoteCount = 0;
};
