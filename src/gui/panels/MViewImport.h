#pragma once

#include "MImportPanel.h"
#include "import/FilePages.h"
#include "import/MFileObject.h"

#include <QList>

class QCheckBox;
class QPushButton;

// The import panel of five feature buttons (Notes exports, Google Keep, text, HTML and image files):
// a list of files, collected by choosing files or scanning folders, each imported as one page into
// the first ticked section. The list is the result table: a file's row gets its outcome and reason
// as the run reaches it. The kind of file comes from the feature button that opened the panel.
class MViewImport : public MImportPanel
{
    Q_OBJECT
public:
    explicit MViewImport(QWidget* parent = nullptr);

    void ClearAndReload() override;

    // What the buttons add, without their dialogs: the files not listed yet, and the files of the
    // folders (with their subfolders when `recurse`) whose extension the current feature takes.
    void AddFiles(const QStringList& paths);
    void AddFolders(const QStringList& folders, bool recurse);
    void RemoveSelectedRows();
    void ClearFiles();
    const QList<MFileObject>& Files() const { return m_Files; }

    QPushButton* mBtnAddFiles = nullptr;
    QPushButton* mBtnAddFolder = nullptr;
    QPushButton* mBtnAddFolderWithSubs = nullptr;
    QPushButton* mBtnClear = nullptr;
    QPushButton* mBtnRemoveSelections = nullptr;
    QCheckBox* mCheckUTF8Code = nullptr;
    QPushButton* mBtnExportMacNotes = nullptr;
    QPushButton* mBtnExportGoogleKeep = nullptr;

    // Where the two web buttons lead.
    static QString NotesExportPageUrl();
    static QString GoogleKeepTakeoutUrl();

protected:
    void StartRun() override;
    void OnReportItem(const MTaskItem& item) override;
    void OnRunEnded() override;

private:
    MFileImportKind Kind() const;
    void ShowFileList();
    void SetListEditable(bool editable);
    void ButtonAddFilesClick();
    void ButtonAddFolderClick(bool recurse);

    QList<MFileObject> m_Files;
};
