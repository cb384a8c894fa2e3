#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "panels/MViewImportTree.h"
#include "widgets/MOutlineModel.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

class ImportTreePanel : public MPanelFixture
{
protected:
    ImportTreePanel()
    {
        files.WriteFile(QStringLiteral("Chosen/A/one.txt"), "1");
        files.WriteFile(QStringLiteral("Chosen/A/two.html"), "<html><head></head><body>2</body></html>");
        QDir().mkpath(files.FilePath(QStringLiteral("Chosen/B")));
    }

    static QStringList Outline(const MViewImportTree& panel) { return Rows(*panel.OutlineModel()); }

    MTempDir files;
};

TEST_F(ImportTreePanel, TheOptionsAreKeptAndThePlanFollowsThem)
{
    {
        MViewImportTree panel;
        EXPECT_TRUE(panel.mCheckTxtFiles->isChecked());
        EXPECT_TRUE(panel.mCheckHTMLFiles->isChecked());
        EXPECT_TRUE(panel.mCheckSkipHTMLFilesSubFolder->isChecked());
        EXPECT_FALSE(panel.mCheckFirstSubIsNotebook->isChecked());
        panel.PlanFolders({files.FilePath(QStringLiteral("Chosen"))});
        EXPECT_EQ(Outline(panel), QStringList({"A | ", "  A | ", "    one.txt | ", "    two.html | ", "B | "}));
        EXPECT_FALSE(panel.OutlineModel()->index(0, 0).data(Qt::DecorationRole).isNull());

        panel.mCheckTxtFiles->setChecked(false);
        EXPECT_EQ(Outline(panel), QStringList({"A | ", "  A | ", "    two.html | ", "B | "}));
        files.WriteFile(QStringLiteral("Chosen/A/two_files/shot.png"), "picture");
        panel.mCheckSkipHTMLFilesSubFolder->setChecked(false);
        EXPECT_EQ(Outline(panel), QStringList({"A | ", "  A | ", "    two.html | ", "  two_files | ", "B | "}));
        panel.mCheckSkipHTMLFilesSubFolder->setChecked(true);
        panel.mCheckFirstSubIsNotebook->setChecked(true);
        EXPECT_EQ(Outline(panel), QStringList({"A | ", "B | "}))
            << "notebooks A and B; files at a notebook's level stay out";
        panel.StartButton()->click(); // the run starts (no notebook is needed) and the options are written
        ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }, 30000));
    }
    MConfig config(AppPaths().settingsFile);
    EXPECT_FALSE(config.ReadValue(QStringLiteral("ImportTree_TxtFiles"), true));
    EXPECT_TRUE(config.ReadValue(QStringLiteral("ImportTree_FirstSubIsNotebook"), false));
    MViewImportTree again;
    EXPECT_FALSE(again.mCheckTxtFiles->isChecked());
    EXPECT_TRUE(again.mCheckFirstSubIsNotebook->isChecked());
}

TEST_F(ImportTreePanel, ARunShowsEachNodesOutcomeAndAsksForTheTreeWhenItMadeContainers)
{
    MRecordingMessageBoxScope boxes;
    MViewImportTree panel;
    panel.show();
    panel.PlanFolders({files.FilePath(QStringLiteral("Chosen"))});
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection")}));

    Check("Recipes");
    QSignalSpy made(&panel, &MViewImportTree::SectionsCreated);
    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(Outline(panel),
        QStringList(
            {"A | Success", "  A | Success", "    one.txt | Success", "    two.html | Success", "B | Success"}));
    EXPECT_EQ(made.count(), 1);
    EXPECT_EQ(panel.SummaryText(), QStringLiteral("5 created"));
    EXPECT_EQ(panel.StatusText(), Localized("strFinish"));
    EXPECT_TRUE(panel.mBtnAddFolders->isEnabled());

    Refetch();
    Check("Recipes");
    boxes->SetChoice(0); // the finished import again, everything, as the user answers
    ASSERT_TRUE(Run(panel));
    ASSERT_EQ(boxes->Questions().size(), 1);
    EXPECT_TRUE(boxes->Questions().first().contains(QLatin1String("(2 created)"))); // the pages
    EXPECT_EQ(Outline(panel),
        QStringList({"A | Already there", "  A | Already there", "    one.txt | Success", "    two.html | Success",
            "B | Already there"}));
    EXPECT_EQ(made.count(), 1) << "nothing new was made";
    EXPECT_EQ(panel.SummaryText(), QStringLiteral("2 created, 3 already there"));
}

} // namespace
