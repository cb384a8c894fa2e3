#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "MFeatureButtons.h"
#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "model/MOLONUtils.h"
#include "panels/MViewExport.h"
#include "widgets/MResultModel.h"
#include "widgets/MResultTable.h"

#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

class ExportPanel : public MPanelFixture
{
protected:
    bool Run(MViewExport& panel)
    {
        QSignalSpy ended(&panel, &MPanelBase::RunEnded);
        panel.StartButton()->click();
        EXPECT_EQ(panel.StatusText(), Localized("strStartExport")) << "the panel's own start text";
        return WaitUntil([&] { return ended.count() == 1; }, 30000);
    }
};

TEST_F(ExportPanel, ExportsTheCheckedSectionsAsTheButtonSaysAndRemembersTheFolder)
{
    Check("Travel Journal/Lisbon 2024");
    MTempDir out;
    MViewExport panel;
    panel.mFolder->setText(out.Path());
    SetCurrentFeature(MFeature::ExportTxt);
    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(FilesBelow(out.Path()),
        QStringList({QStringLiteral("Travel Journal/Lisbon 2024/2.txt"),
            QStringLiteral("Travel Journal/Lisbon 2024/Café list — 咖啡馆.txt"),
            QStringLiteral("Travel Journal/Lisbon 2024/Costs so far.txt"),
            QStringLiteral("Travel Journal/Lisbon 2024/Day one: Alfama.txt")}))
        << FilesBelow(out.Path()).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(panel.StatusText(), Localized("strFinish"));
    EXPECT_EQ(MConfig(AppPaths().settingsFile).ReadValue(QStringLiteral("Export_Folder"), ""), out.Path());
    EXPECT_EQ(MViewExport().mFolder->text(), out.Path()) << "a new panel shows the last folder";

    MTempDir html;
    panel.mFolder->setText(html.Path());
    SetCurrentFeature(MFeature::ExportHtml);
    ASSERT_TRUE(Run(panel));
    EXPECT_TRUE(FilesBelow(html.Path()).contains(QStringLiteral("Travel Journal/Lisbon 2024/Costs so far.html")));
    SetCurrentFeature(std::nullopt);
}

TEST_F(ExportPanel, NoCheckedSectionOrNoFolderIsToldAndNothingStarts)
{
    MRecordingMessageBoxScope boxes;
    MViewExport panel;
    panel.mFolder->clear();
    panel.StartButton()->click();
    Check("Recipes/Baking");
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection"), Localized("strSpecifyStoreFolder")}));
    EXPECT_FALSE(panel.IsBusy());
}

TEST_F(ExportPanel, TheRunShowsItsProgressAndAFileTableWithTheFailureAndItsReason)
{
    Check("Travel Journal/Lisbon 2024");
    // The first page's content is refused; the other three are written.
    ASSERT_FALSE(
        f.Emulator()
            .AddFault(QStringLiteral("GET */content error status=404 code=20102 message=Page+not+found count=1"))
            .has_value());
    MTempDir out;
    MWatchedPanel<MViewExport> panel;
    panel.show();
    panel.mFolder->setText(out.Path());
    SetCurrentFeature(MFeature::ExportTxt);
    ASSERT_TRUE(Run(panel));
    SetCurrentFeature(std::nullopt);
    EXPECT_FALSE(panel.ProgressBar()->isVisible());
    // The walk counts its sections.
    EXPECT_EQ(panel.seen, QStringList({QStringLiteral("0 of 1"), QStringLiteral("1 of 1")}))
        << panel.seen.join(QLatin1String(" | ")).toStdString();

    MResultTable* table = panel.ResultTable();
    const MResultModel* model = table->Model();
    ASSERT_TRUE(table->isVisible());
    ASSERT_EQ(model->rowCount(), 4);
    int failedRow = -1;
    for (int row = 0; row < 4; ++row) {
        if (model->Item(row).outcome == MItemOutcome::Failed)
            failedRow = row;
    }
    ASSERT_NE(failedRow, -1);
    EXPECT_EQ(model->index(failedRow, MResultModel::StatusColumn).data().toString(), Localized("strFailure"));
    EXPECT_TRUE(model->index(failedRow, MResultModel::ReasonColumn).data().toString().contains(QLatin1String("404")));
    EXPECT_TRUE(model->Item(failedRow).target.isEmpty()) << "no file to open for a page not written";
    EXPECT_EQ(table->SummaryText(), QStringLiteral("3 created, 1 failed"));

    // A written page's row names its file, which the table opens on a double-click.
    const QString file = model->Item(failedRow == 0 ? 1 : 0).target;
    EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
}

} // namespace
