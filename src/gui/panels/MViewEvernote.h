#pragma once

#include "MPanelBase.h"

class QCheckBox;
class QLabel;
class QLineEdit;

// The ENEX import panel: a file with its entry count, a range of note numbers, the two options, and
// the running account of the import in the result area.
class MViewEvernote : public MPanelBase
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
    QCheckBox* mCheckSkipImported = nullptr;

signals:
    // Sections were made for tags: the outline must be rebuilt from the service.
    void SectionsCreated();

protected:
    void StartRun() override;
    void OnRunEnded() override;

private:
    void ButtonChooseEvernoteEnexFileClick();
    std::atomic<qint64> m_NewSectionCount {0};
    // The notes counted in the chosen file, for the progress of a run of that file.
    QString m_CountedFile;
    qint64 m_NoteCount = 0;
};
