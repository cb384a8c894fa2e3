#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "panels/MViewFindLost.h"

#include <QDir>
#include <QToolButton>

namespace {

using FindLostPanel = MPanelFixture;

TEST_F(FindLostPanel, TheSearchListsEveryLostFileTickedAndSaveWritesTheTickedOnes)
{
    MRecordingMessageBoxScope boxes;
    TheAccount().setMSAccountType(MAccount::OneNotePersonal);
    MViewFindLost panel;
    panel.show();
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList {Localized("msgNotSupportAccountType")});
    EXPECT_FALSE(panel.IsBusy());
    TheAccount().setMSAccountType(MAccount::Personal);

    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(panel.RunThreadName(), QStringLiteral("FeatureThread"));
    // Which files count as lost is the search's own tests' work; the outline lists each with its folder.
    const MOutlineModel& model = *panel.OutlineModel();
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(Rows(model)[2], QStringLiteral("Planning.one | /Backups/Phone/Old | "));
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_EQ(model.index(row, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(panel.StatusText(), Localized("strFinish") + QLatin1Char(' ') + Localized("msgLostFound").arg(4));

    // Uncheck all, then reverse: all ticked again; uncheck all and tick the third by its box.
    panel.checkAllItems(MCheckAll::Uncheck);
    panel.checkAllItems(MCheckAll::Reverse);
    EXPECT_EQ(model.index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    panel.checkAllItems(MCheckAll::Uncheck);
    panel.OutlineModel()->setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole);

    panel.ChooseSaveFolder = [] { return QString(); };
    panel.mBtnSave->click();
    EXPECT_FALSE(panel.IsBusy()) << "a cancelled folder chooser saves nothing";
    MTempDir out;
    panel.ChooseSaveFolder = [&] { return out.Path(); };
    ASSERT_TRUE(Run(panel, panel.mBtnSave));
    EXPECT_EQ(panel.RunThreadName(), QStringLiteral("SaveThread"));
    const QStringList files = QDir(out.Path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].startsWith(QLatin1String("Planning_"))) << files[0].toStdString();
    EXPECT_EQ(model.index(2, 2).data().toString(), Localized("strSuccess"));
    EXPECT_EQ(model.index(0, 2).data().toString(), QString()) << "an unticked file is left alone";
    EXPECT_TRUE(panel.StatusText().endsWith(QLatin1String("1 created"))) << panel.StatusText().toStdString();
}

} // namespace
