#include "MViewImportTree.h"

#include "MFolderChooser.h"
#include "MessageBox.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "import/TreeImport.h"
#include "tasks/PageRequest.h"
#include "widgets/MOutlineView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTxtFilesKey = QStringLiteral("ImportTree_TxtFiles");
const QString kHtmlFilesKey = QStringLiteral("ImportTree_HtmlFiles");
const QString kSkipHtmlFilesSubFoldersKey = QStringLiteral("ImportTree_SkipHtmlFilesSubFolders");
const QString kFirstSubIsNotebookKey = QStringLiteral("ImportTree_FirstSubIsNotebook");

} // namespace

MViewImportTree::MViewImportTree(QWidget* parent)
    : MImportPanel(Localized("guiTipImportTree"), parent)
{
    SetStartText(Localized("strStartImport"));
    auto* top = new QHBoxLayout();
    mBtnAddFolders = new QPushButton(Localized("guiAddFolders"), this);
    mBtnAddFolders->setObjectName(QStringLiteral("mBtnAddFolders"));
    connect(mBtnAddFolders, &QPushButton::clicked, this, &MViewImportTree::ButtonAddAFolderWithSubsClick);
    top->addWidget(mBtnAddFolders);
    top->addStretch(1);
    ContentLayout()->addLayout(top);

    auto* options = new QGridLayout();
    const auto box = [this](const char* key, const char* objectName) {
        auto* b = new QCheckBox(Localized(key), this);
        b->setObjectName(QLatin1String(objectName));
        return b;
    };
    mCheckTxtFiles = box("guiImportTxtFiles", "mCheckTxtFiles");
    mCheckHTMLFiles = box("guiImportHtmlFiles", "mCheckHTMLFiles");
    mCheckSkipHTMLFilesSubFolder = box("guiSkipHtmlFilesFolders", "mCheckSkipHTMLFilesSubFolder");
    mCheckFirstSubIsNotebook = box("guiFirstLevelNotebooks", "mCheckFirstSubIsNotebook");
    mCheckUTF8Code = box("guiReadAsUtf8", "mCheckUTF8Code");
    options->addWidget(mCheckTxtFiles, 0, 0);
    options->addWidget(mCheckHTMLFiles, 0, 1);
    options->addWidget(mCheckSkipHTMLFilesSubFolder, 1, 0, 1, 2);
    options->addWidget(mCheckFirstSubIsNotebook, 2, 0, 1, 2);
    options->addWidget(mCheckUTF8Code, 3, 0, 1, 2);
    mCheckSkipImported = MakeSkipImportedBox(
        QStringLiteral("ImportTree_SkipImported"), "guiSkipFilesImported", "guiSkipFilesImportedTip");
    options->addWidget(mCheckSkipImported, 4, 0, 1, 2);
    options->setColumnStretch(2, 1);
    ContentLayout()->addLayout(options);

    MOutlineModel::Options columns;
    columns.nameTitle = Localized("guiColumnObject");
    auto* results = new QWidget(this);
    auto* resultLayout = new QVBoxLayout(results);
    resultLayout->setContentsMargins(0, 0, 0, 0);
    resultLayout->setSpacing(4);
    m_Outline = new MOutlineView(columns, results);
    m_Outline->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    resultLayout->addWidget(m_Outline, 1);
    // The run's summary under the outline, as the result table has it.
    mSummary = new QLabel(results);
    mSummary->setObjectName(QStringLiteral("mResultSummary"));
    QFont bold = mSummary->font();
    bold.setBold(true);
    mSummary->setFont(bold);
    mSummary->hide();
    resultLayout->addWidget(mSummary);
    SetOwnResultView(results);
    SetResultAreaVisible(false); // every row is in the outline

    LoadConfig();
    // The plan follows what the boxes take; the encoding is only read when the run goes.
    for (QCheckBox* b : {mCheckTxtFiles, mCheckHTMLFiles, mCheckSkipHTMLFilesSubFolder, mCheckFirstSubIsNotebook})
        connect(b, &QCheckBox::toggled, this, &MViewImportTree::Replan);
}

void MViewImportTree::LoadConfig()
{
    const MConfig config(AppPaths().settingsFile);
    const auto read = [&config](const QString& key, bool fallback) { return config.ReadValue(key, fallback); };
    mCheckTxtFiles->setChecked(read(kTxtFilesKey, true));
    mCheckHTMLFiles->setChecked(read(kHtmlFilesKey, true));
    mCheckSkipHTMLFilesSubFolder->setChecked(read(kSkipHtmlFilesSubFoldersKey, true));
    mCheckFirstSubIsNotebook->setChecked(read(kFirstSubIsNotebookKey, false));
}

void MViewImportTree::SaveConfig()
{
    MConfig config(AppPaths().settingsFile);
    config.WriteValue(kTxtFilesKey, mCheckTxtFiles->isChecked());
    config.WriteValue(kHtmlFilesKey, mCheckHTMLFiles->isChecked());
    config.WriteValue(kSkipHtmlFilesSubFoldersKey, mCheckSkipHTMLFilesSubFolder->isChecked());
    config.WriteValue(kFirstSubIsNotebookKey, mCheckFirstSubIsNotebook->isChecked());
    config.Save();
}

MImportTreeOptions MViewImportTree::Options() const
{
    MImportTreeOptions options;
    options.txtFiles = mCheckTxtFiles->isChecked();
    options.htmlFiles = mCheckHTMLFiles->isChecked();
    options.skipHtmlFilesSubFolders = mCheckSkipHTMLFilesSubFolder->isChecked();
    options.firstSubIsNotebook = mCheckFirstSubIsNotebook->isChecked();
    return options;
}

void MViewImportTree::PlanFolders(const QStringList& folders)
{
    m_Folders = folders;
    Replan();
}

void MViewImportTree::Replan()
{
    if (IsBusy())
        return;
    MResultNode fresh;
    ScanImportTree(m_Folders, fresh, Options());
    m_Outline->ShowTree(fresh);
    m_Outline->resizeColumnToContents(0);
    mSummary->hide();
}

void MViewImportTree::ButtonAddAFolderWithSubsClick()
{
    const QStringList folders = ChooseFolders(this, Localized("strChooseAFolder"));
    if (!folders.isEmpty())
        PlanFolders(folders);
}

void MViewImportTree::SetInputsEnabled(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(mBtnAddFolders), static_cast<QWidget*>(mCheckTxtFiles),
             static_cast<QWidget*>(mCheckHTMLFiles), static_cast<QWidget*>(mCheckSkipHTMLFilesSubFolder),
             static_cast<QWidget*>(mCheckFirstSubIsNotebook), static_cast<QWidget*>(mCheckUTF8Code),
             static_cast<QWidget*>(mCheckSkipImported)})
        w->setEnabled(enabled);
}

void MViewImportTree::StartRun()
{
    SaveConfig();
    const bool firstSubIsNotebook = mCheckFirstSubIsNotebook->isChecked();
    if (const std::optional<QString> problem = MTreeImportTask::StartProblem(SharedTree(), firstSubIsNotebook)) {
        ShowMessageBox(Localized(*problem));
        return;
    }
    MResultNode& plan = m_Outline->Tree();
    if (plan.childCount() == 0) {
        ShowMessageBox(Localized("strAddFoldersFirst"));
        return;
    }
    const bool utf8 = mCheckUTF8Code->isChecked();
    const std::optional<MRunRecording> chosen
        = ChooseRecording(MTreeImportTask::RunIdentity(plan, SharedTree(), firstSubIsNotebook, utf8));
    if (!chosen)
        return;
    const MRunRecording recording = *chosen;
    plan.ClearOutcomes();
    m_Outline->Model()->AllChanged();
    mSummary->hide();
    m_RunNodes = PlannedNodes(plan);
    m_Outline->TakeCounts();
    ResetNewSections();
    // The run works on its own copy; the outline is changed only here, from the rows it reports.
    std::shared_ptr<MResultNode> planned(plan.CloneTree());
    if (!BeginRun(
            QStringLiteral("TreeThreadImport"), [planned, firstSubIsNotebook, utf8, recording](MTaskContext& context) {
                MTreeImportTask task(context, planned->CloneTree(), firstSubIsNotebook, utf8);
                task.SetRecording(recording);
                task.ThreadImportRun();
            }))
        return;
    SetInputsEnabled(false);
}

void MViewImportTree::OnReportItem(const MTaskItem& item)
{
    if (item.index < 0 || size_t(item.index) >= m_RunNodes.size())
        return;
    MResultNode* node = m_RunNodes[size_t(item.index)];
    switch (item.outcome) {
    case MItemOutcome::NotAttempted:
    case MItemOutcome::Sending:
        node->SetOutcome(MItemOutcome::Sending);
        break;
    case MItemOutcome::Created:
        node->SetOutcome(MItemOutcome::Created, item.reason); // what was missing beside the success, if anything
        if (node->kind != MNodeKind::Page)
            AddNewSections(1);
        break;
    case MItemOutcome::Reused:
        node->SetOutcome(MItemOutcome::Reused);
        break;
    case MItemOutcome::Skipped:
        node->SetOutcome(MItemOutcome::Skipped, item.reason);
        break;
    case MItemOutcome::Failed:
        node->SetOutcome(MItemOutcome::Failed, item.reason, item.code != 0 ? item.code : qint64(kCreationNotSent));
        break;
    }
    m_Outline->Count(item.outcome);
    m_Outline->Model()->NodeChanged(node);
    if (item.outcome == MItemOutcome::Sending)
        m_Outline->scrollTo(m_Outline->Model()->IndexOf(node));
}

MOutlineModel* MViewImportTree::OutlineModel() const
{
    return m_Outline->Model();
}

QString MViewImportTree::SummaryText() const
{
    return mSummary->isHidden() ? QString() : mSummary->text();
}

void MViewImportTree::OnRunEnded()
{
    mSummary->setText(::SummaryText(m_Outline->TakeCounts()));
    mSummary->show();
    SetInputsEnabled(true);
    m_RunNodes.clear();
    MImportPanel::OnRunEnded();
}
