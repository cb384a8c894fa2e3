#include "MViewExport.h"

#include "MessageBox.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "export/MBackupTask.h"
#include "export/MExportTask.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QUrl>

namespace {

const QString kExportFolderKey = QStringLiteral("Export_Folder");
const QString kExportMirrorKey = QStringLiteral("Export_Mirror");

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
    auto* mirrorRow = new QHBoxLayout();
    cbMirror = new QCheckBox(Localized("guiExportMirror"), this);
    cbMirror->setObjectName(QStringLiteral("cbMirror"));
    cbMirror->setToolTip(Localized("guiExportMirrorTip"));
    mirrorRow->addWidget(cbMirror);
    mMirrorState = new QLabel(this);
    mMirrorState->setObjectName(QStringLiteral("mMirrorState"));
    mirrorRow->addWidget(mMirrorState, 1);
    ContentLayout()->addLayout(mirrorRow);
    connect(mFolder, &QLineEdit::textChanged, this, &MViewExport::ShowMirrorState);
    UseResultTable();
    LoadConfig();
}

void MViewExport::LoadConfig()
{
    const MConfig config(AppPaths().settingsFile);
    mFolder->setText(config.ReadValue(kExportFolderKey, ""));
    cbMirror->setChecked(config.ReadValue(kExportMirrorKey, "") == QLatin1String("1"));
    ShowMirrorState();
}

void MViewExport::SaveConfig()
{
    MConfig config(AppPaths().settingsFile);
    config.WriteValue(kExportFolderKey, mFolder->text());
    config.WriteValue(kExportMirrorKey, cbMirror->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
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
    const bool mirror = cbMirror->isChecked();
    BeginRun(QStringLiteral("FeatureThread"), [folder, mirror](MTaskContext& context) {
        const std::optional<MExportKind> kind = ExportKindForFeature(context.feature);
        // The section-file kind's mirror keeps the section files alone.
        if (mirror && kind) {
            MBackupTask task(context, *kind, folder);
            if (task.Run() == MBackupTask::Start::Busy && context.reporter)
                context.reporter->Finish(Localized("taskBackupBusy").arg(QDir::toNativeSeparators(folder)));
            return;
        }
        MExportTask task(context, kind.value_or(MExportKind::Text), folder);
        task.ThreadRun();
    });
}

void MViewExport::ShowMirrorState()
{
    const QDateTime last = MirrorLastComplete(mFolder->text());
    mMirrorState->setText(last.isValid()
            ? Localized("guiExportMirrorLast").arg(QLocale().toString(last.toLocalTime(), QLocale::ShortFormat))
            : Localized("guiExportMirrorNever"));
}
