#include "MViewImport.h"

#include "MDesktopMessageBox.h"
#include "MFeatureButtons.h"
#include "MFolderChooser.h"
#include "MessageBox.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "import/FileImport.h"
#include "model/MNotebookNode.h"
#include "widgets/MResultTable.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>

MViewImport::MViewImport(QWidget* parent)
    : MImportPanel(Localized("guiTipImportTxt"), parent)
{
    SetStartText(Localized("strStartImport"));
    auto* row = new QHBoxLayout();
    const auto button = [this, row](const char* key, const char* objectName) {
        auto* b = new QPushButton(Localized(key), this);
        b->setObjectName(QLatin1String(objectName));
        row->addWidget(b);
        return b;
    };
    mBtnAddFiles = button("guiAddFiles", "mBtnAddFiles");
    mBtnAddFolder = button("guiAddFolder", "mBtnAddFolder");
    mBtnAddFolderWithSubs = button("guiAddFolderWithSubs", "mBtnAddFolderWithSubs");
    row->addStretch(1);
    mBtnRemoveSelections = button("guiRemoveSelected", "mBtnRemoveSelections");
    mBtnClear = button("guiClearList", "mBtnClear");
    ContentLayout()->addLayout(row);
    connect(mBtnAddFiles, &QPushButton::clicked, this, &MViewImport::ButtonAddFilesClick);
    connect(mBtnAddFolder, &QPushButton::clicked, this, [this] { ButtonAddFolderClick(false); });
    connect(mBtnAddFolderWithSubs, &QPushButton::clicked, this, [this] { ButtonAddFolderClick(true); });
    connect(mBtnRemoveSelections, &QPushButton::clicked, this, &MViewImport::RemoveSelectedRows);
    connect(mBtnClear, &QPushButton::clicked, this, &MViewImport::ClearFiles);

    auto* options = new QHBoxLayout();
    mCheckUTF8Code = new QCheckBox(Localized("guiReadAsUtf8"), this);
    mCheckUTF8Code->setObjectName(QStringLiteral("mCheckUTF8Code"));
    options->addWidget(mCheckUTF8Code);
    mCheckSkipImported
        = MakeSkipImportedBox(QStringLiteral("Import_SkipImported"), "guiSkipFilesImported", "guiSkipFilesImportedTip");
    options->addWidget(mCheckSkipImported);
    options->addStretch(1);
    const QIcon web = style()->standardIcon(QStyle::SP_DialogHelpButton);
    mBtnExportMacNotes = new QPushButton(web, Localized("guiHowToExportNotes"), this);
    mBtnExportMacNotes->setObjectName(QStringLiteral("mBtnExportMacNotes"));
    mBtnExportGoogleKeep = new QPushButton(web, Localized("guiGoogleKeepTakeout"), this);
    mBtnExportGoogleKeep->setObjectName(QStringLiteral("mBtnExportGoogleKeep"));
    options->addWidget(mBtnExportMacNotes);
    options->addWidget(mBtnExportGoogleKeep);
    ContentLayout()->addLayout(options);
    connect(mBtnExportMacNotes, &QPushButton::clicked, this, [] { OpenInBrowser(NotesExportPageUrl()); });
    connect(mBtnExportGoogleKeep, &QPushButton::clicked, this, [] { OpenInBrowser(GoogleKeepTakeoutUrl()); });

    UseResultTable();
    ResultTable()->SetMultiSelection(true);
    ClearAndReload();
}

QString MViewImport::NotesExportPageUrl()
{
    return TheAccount().Endpoints().makerWeb + QStringLiteral("/a/addins/pagewright-export-notes.html");
}

QString MViewImport::GoogleKeepTakeoutUrl()
{
    return QStringLiteral("https://takeout.google.com/settings/takeout/custom/keep");
}

MFileImportKind MViewImport::Kind() const
{
    return FileImportKindForFeature(CurrentFeature()).value_or(MFileImportKind::Text);
}

void MViewImport::ClearAndReload()
{
    const std::optional<MFeature> feature = CurrentFeature();
    mBtnExportMacNotes->setVisible(feature == MFeature::ImportNotes);
    mBtnExportGoogleKeep->setVisible(feature == MFeature::ImportGoogleKeep);
    if (!IsBusy())
        ClearFiles();
}

void MViewImport::ShowFileList()
{
    ClearResults();
    for (qsizetype i = 0; i < m_Files.size(); ++i)
        ResultTable()->List(i, QDir::toNativeSeparators(m_Files.at(i).name), m_Files.at(i).name);
}

void MViewImport::AddFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (AddToFileList(m_Files, path))
            ResultTable()->List(m_Files.size() - 1, QDir::toNativeSeparators(path), path);
    }
}

void MViewImport::AddFolders(const QStringList& folders, bool recurse)
{
    const qsizetype before = m_Files.size();
    for (const QString& folder : folders)
        LoopGetAFolderFiles(m_Files, Kind(), folder, recurse);
    for (qsizetype i = before; i < m_Files.size(); ++i)
        ResultTable()->List(i, QDir::toNativeSeparators(m_Files.at(i).name), m_Files.at(i).name);
}

void MViewImport::RemoveSelectedRows()
{
    if (IsBusy())
        return;
    const QList<int> rows = ResultTable()->SelectedRows();
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        if (*it >= 0 && *it < m_Files.size())
            m_Files.removeAt(*it);
    }
    ShowFileList();
}

void MViewImport::ClearFiles()
{
    if (IsBusy())
        return;
    m_Files.clear();
    ShowFileList();
}

void MViewImport::ButtonAddFilesClick()
{
    QStringList patterns;
    for (const QString& extension : FileImportExtensions(Kind()))
        patterns.append(QStringLiteral("*.") + extension);
    const QString filter
        = QStringLiteral("%1 (%2)").arg(Localized("guiImportableFiles"), patterns.join(QLatin1Char(' ')));
    AddFiles(QFileDialog::getOpenFileNames(this, Localized("strChooseFiles"), QString(), filter));
}

void MViewImport::ButtonAddFolderClick(bool recurse)
{
    AddFolders(ChooseFolders(this, Localized("strChooseAFolder")), recurse);
}

void MViewImport::SetListEditable(bool editable)
{
    for (QWidget* w : {static_cast<QWidget*>(mBtnAddFiles), static_cast<QWidget*>(mBtnAddFolder),
             static_cast<QWidget*>(mBtnAddFolderWithSubs), static_cast<QWidget*>(mBtnClear),
             static_cast<QWidget*>(mBtnRemoveSelections), static_cast<QWidget*>(mCheckUTF8Code),
             static_cast<QWidget*>(mCheckSkipImported)})
        w->setEnabled(editable);
}

void MViewImport::StartRun()
{
    MFileImportSettings settings;
    settings.kind = Kind();
    // Pictures are not read as text; the box shows what the run does.
    if (settings.kind == MFileImportKind::Images)
        mCheckUTF8Code->setChecked(true);
    settings.utf8 = mCheckUTF8Code->isChecked();
    settings.sectionId = MFileImportTask::TargetSectionId(SharedTree());
    if (settings.sectionId.isEmpty()) {
        ShowMessageBox(Localized("strSelectASection"));
        return;
    }
    if (m_Files.isEmpty()) {
        ShowMessageBox(Localized("strAddFilesFirst"));
        return;
    }
    const std::optional<MRunRecording> recording = ChooseRecording(FileImportRunIdentity(settings, m_Files));
    if (!recording)
        return;
    settings.run = *recording;
    for (MFileObject& file : m_Files) {
        file.state = 0;
        file.message.clear();
        file.reason.clear();
    }
    const QList<MFileObject> files = m_Files;
    if (!BeginRun(QStringLiteral("FeatureThreadImport"), [settings, files](MTaskContext& context) {
            MFileImportTask task(context, settings, files);
            task.ThreadImportRun();
        }))
        return;
    // The run starts with the results emptied: the list is shown again, every file waiting.
    ShowFileList();
    SetListEditable(false);
}

void MViewImport::OnReportItem(const MTaskItem& item)
{
    MPanelBase::OnReportItem(item);
    if (item.outcome == MItemOutcome::Sending || item.index < 0 || item.index >= m_Files.size())
        return;
    MFileObject& file = m_Files[item.index];
    file.state = item.outcome == MItemOutcome::Skipped ? 0 : item.code;
    file.reason = item.reason;
}

void MViewImport::OnRunEnded()
{
    SetListEditable(true);
}
