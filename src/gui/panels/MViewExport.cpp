#include "MViewExport.h"

#include "MessageBox.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "export/MExportTask.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QUrl>

namespace {

const QString kExportFolderKey = QStringLiteral("Export_Folder");

} // namespace

MViewExport::MViewExport(QWidget* parent)
    : MPanelBase(Localized("guiTipExportToTxt"), parent)
{
    SetStartText(Localized("strStartExport"));
    auto* row = new QHBoxLayout();
    row->addWidget(new QLabel(Localized("guiExportFolder"), this));
    mFolder = new QLineEdit(this);
    mFolder->setObjectName(QStringLiteral("mFolder"));
    mFolder->setPlaceholderText(Localized("strSpecifyStoreFolder"));
    row->addWidget(mFolder, 1);
    auto* choose = new QPushButton(Localized("guiChooseFolder"), this);
    choose->setObjectName(QStringLiteral("mBtnSelectFolder"));
    connect(choose, &QPushButton::clicked, this, &MViewExport::ButtonSelectFolderClick);
    row->addWidget(choose);
    auto* open = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), Localized("guiOpenFolder"), this);
    open->setObjectName(QStringLiteral("mBtnGoToFolder"));
    connect(open, &QPushButton::clicked, this, &MViewExport::ButtonGoToFolderClick);
    row->addWidget(open);
    ContentLayout()->addLayout(row);
    UseResultTable();
    LoadConfig();
}

void MViewExport::LoadConfig()
{
    mFolder->setText(MConfig(AppPaths().settingsFile).ReadValue(kExportFolderKey, ""));
}

void MViewExport::SaveConfig()
{
    MConfig config(AppPaths().settingsFile);
    config.WriteValue(kExportFolderKey, mFolder->text());
    config.Save();
}

void MViewExport::ButtonSelectFolderClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, Localized("guiChooseFolder"), mFolder->text());
    if (!folder.isEmpty())
        mFolder->setText(folder);
}

void MViewExport::ButtonGoToFolderClick()
{
    if (!mFolder->text().isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(mFolder->text()));
}

void MViewExport::StartRun()
{
    SaveConfig();
    const QString folder = mFolder->text();
    if (const std::optional<QString> problem = MExportTask::StartProblem(SharedTree(), folder)) {
        ShowMessageBox(Localized(*problem));
        return;
    }
    BeginRun(QStringLiteral("FeatureThread"), [folder](MTaskContext& context) {
        const std::optional<MExportKind> kind = ExportKindForFeature(context.feature);
        MExportTask task(context, kind.value_or(MExportKind::Text), folder);
        task.ThreadRun();
    });
}
