#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "MFeatureButtons.h"
#include "app/MConfig.h"
#include "panels/MViewExport.h"

#include <QFile>
#include <QLineEdit>
#include <QProgressBar>

namespace {

using ExportPanel = MPanelFixture;

// What the files are called and hold is the export's own tests' work; here the panel hands the task
// the checked part, the folder and the button's kind, and shows each file as a row.
TEST_F(ExportPanel, RefusesWhatItCannotExportThenExportsAsTheButtonSaysAndRemembersTheFolder)
{
    MRecordingMessageBoxScope boxes;
    MWatchedPanel<MViewExport> panel;
    panel.show();
    panel.mFolder->clear();
    panel.StartButton()->click();
    Check("Travel Journal/Lisbon 2024");
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection"), Localized("strSpecifyStoreFolder")}));
    EXPECT_FALSE(panel.IsBusy());

    // The first page's content is refused; the other three are written.
    ASSERT_FALSE(
        f.Emulator()
            .AddFault(QStringLiteral("GET */content error status=404 code=20102 message=Page+not+found count=1"))
            .has_value());
    MTempDir out;
    panel.mFolder->setText(out.Path());
    SetCurrentFeature(MFeature::ExportTxt);
    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.StartButton()->click();
    EXPECT_EQ(panel.StatusText(), Localized("strStartExport")) << "the panel's own start text";
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 30000));
    EXPECT_FALSE(panel.ProgressBar()->isVisible());
    // The walk counts its sections.
    EXPECT_EQ(panel.seen, QStringList({QStringLiteral("0 of 1"), QStringLiteral("1 of 1")}))
        << panel.seen.join(QLatin1String(" | ")).toStdString();
    EXPECT_EQ(panel.StatusText(), Localized("strFinish"));

    MResultTable* table = panel.ResultTable();
    const MResultModel* model = table->Model();
    ASSERT_TRUE(table->isVisible());
    ASSERT_EQ(model->rowCount(), 4);
    EXPECT_EQ(table->SummaryText(), QStringLiteral("3 created, 1 failed"));
    for (int row = 0; row < 4; ++row) {
        // A written page's row names its file, which the table opens on a double-click.
        const MTaskItem& item = model->Item(row);
        if (item.outcome == MItemOutcome::Failed)
            EXPECT_TRUE(item.target.isEmpty() && item.reason.contains(QLatin1String("404")));
        else
            EXPECT_TRUE(item.target.endsWith(QLatin1String(".txt")) && QFile::exists(item.target))
                << qPrintable(item.target);
    }
    EXPECT_EQ(MConfig(AppPaths().settingsFile).ReadValue(QStringLiteral("Export_Folder"), ""), out.Path());
    EXPECT_EQ(MViewExport().mFolder->text(), out.Path()) << "a new panel shows the last folder";

    MTempDir html;
    panel.mFolder->setText(html.Path());
    SetCurrentFeature(MFeature::ExportHtml);
    ASSERT_TRUE(Run(panel));
    EXPECT_TRUE(QFile::exists(html.FilePath(QStringLiteral("Travel Journal/Lisbon 2024/Costs so far.html"))));
    SetCurrentFeature(std::nullopt);
}

} // namespace
