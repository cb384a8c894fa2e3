#include "DrivePanelSupport.h"

#include "panels/MViewFindLost.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QToolButton>

namespace {

using FindLostPanel = DrivePanelTest;

TEST_F(FindLostPanel, TheSearchListsEveryLostFileTickedAndSaveWritesTheTickedOnes)
{
    MViewFindLost panel;
    panel.show();
    ASSERT_TRUE(Run(panel, panel.StartButton()));
    EXPECT_EQ(panel.RunThreadName(), QStringLiteral("FeatureThread"));
    EXPECT_EQ(Rows(*panel.OutlineModel()),
        QStringList({QStringLiteral("Lost section.one |  | "), QStringLiteral("Meeting notes.one | /Backups/Phone | "),
            QStringLiteral("Planning.one | /Backups/Phone/Old | "),
            QStringLiteral("Quick notes.one | /Pictures/Camera roll | ")}));
    const MOutlineModel& model = *panel.OutlineModel();
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_EQ(model.index(row, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(panel.StatusText(), Localized("strFinish") + QLatin1Char(' ') + Localized("msgLostFound").arg(4));

    // Uncheck all, then reverse: all ticked again; uncheck all and tick the third by its box.
    panel.checkAllItems(MCheckAll::Uncheck);
    panel.checkAllItems(MCheckAll::Reverse);
    EXPECT_EQ(model.index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    panel.checkAllItems(MCheckAll::Uncheck);
    panel.OutlineModel()->setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole);

    MTempDir out;
    panel.ChooseSaveFolder = [&] { return out.Path(); };
    ASSERT_TRUE(Run(panel, panel.mBtnSave));
    EXPECT_EQ(panel.RunThreadName(), QStringLiteral("SaveThread"));
    const QStringList files = QDir(out.Path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].startsWith(QLatin1String("Planning_"))) << files[0].toStdString();
    EXPECT_EQ(QFileInfo(out.FilePath(files[0])).size(), 20480);
    EXPECT_EQ(model.index(2, 2).data().toString(), Localized("strSuccess"));
    EXPECT_EQ(model.index(0, 2).data().toString(), QString()) << "an unticked file is left alone";
    EXPECT_TRUE(panel.StatusText().endsWith(QLatin1String("1 created"))) << panel.StatusText().toStdString();
}

TEST_F(FindLostPanel, AnAccountWithoutNotebookFilesIsToldAndNothingStarts)
{
    MRecordingMessageBoxScope boxes;
    TheAccount().setMSAccountType(MAccount::OneNotePersonal);
    MViewFindLost panel;
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList {Localized("msgNotSupportAccountType")});
    EXPECT_FALSE(panel.IsBusy());
    // A cancelled folder chooser saves nothing either.
    TheAccount().setMSAccountType(MAccount::Personal);
    panel.ChooseSaveFolder = [] { return QString(); };
    panel.mBtnSave->click();
    EXPECT_FALSE(panel.IsBusy());
}

} // namespace
