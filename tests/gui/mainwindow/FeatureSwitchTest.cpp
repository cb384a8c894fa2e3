#include "../GuiTestSupport.h"

#include "MFeatureButtons.h"
#include "MMainWindow.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "panels/MPanelBase.h"

#include <QAbstractButton>
#include <QPushButton>
#include <atomic>
#include <gtest/gtest.h>

namespace {

// A panel whose run counts until it is stopped, reporting each step to its status line.
class MCountingPanel : public MPanelBase
{
public:
    MCountingPanel()
        : MPanelBase(QStringLiteral("Counting"))
    { }
    std::atomic<int> steps {0};
    int resets = 0;
    std::optional<MFeature> feature;
    void ClearAndReload() override { ++resets; }

protected:
    void StartRun() override
    {
        BeginRun(QStringLiteral("FeatureThread"), [this](MTaskContext& context) {
            feature = context.feature;
            while (context.IsRunning()) {
                context.reporter->ShowStatus(QString::number(++steps));
                QThread::msleep(5);
            }
            context.reporter->Finish(Localized("strFinish"));
        });
    }
};

class FeatureSwitchTest : public ::testing::Test
{
protected:
    FeatureSwitchTest()
    {
        GuiApp();
        SetStringTableLanguage(QStringLiteral("en"));
        MPanelBase::SetSharedTree(&root);
        window = std::make_unique<MMainWindow>(&root);
        search = new MCountingPanel();
        exportPanel = new MCountingPanel();
        window->SetPanel(MPanelKind::Search, search);
        window->SetPanel(MPanelKind::Export, exportPanel);
        window->show();
    }
    ~FeatureSwitchTest() override { MPanelBase::SetSharedTree(nullptr); }

    MNotebookNode root;
    std::unique_ptr<MMainWindow> window;
    MCountingPanel* search;
    MCountingPanel* exportPanel;
};

} // namespace

TEST_F(FeatureSwitchTest, TheButtonsAreOneRadioGroupAndSharedPanelsTakeTheTooltipAsTitle)
{
    // A button without a panel is disabled and says why.
    QAbstractButton* tags = window->FeatureButton(QStringLiteral("btnListTags"));
    ASSERT_NE(tags, nullptr);
    EXPECT_FALSE(tags->isEnabled());
    EXPECT_EQ(tags->toolTip(), Localized("guiNotAvailableYet"));
    EXPECT_FALSE(window->ShowButtonAndPanel(QStringLiteral("btnListTags")));

    window->FeatureButton(QStringLiteral("btnExportToHtml"))->click();
    EXPECT_EQ(CurrentFeature(), MFeature::ExportHtml);
    EXPECT_EQ(window->CurrentPanel(), exportPanel);
    EXPECT_EQ(exportPanel->Title(), Localized("guiTipExportToHtml"));
    EXPECT_EQ(exportPanel->resets, 1);

    window->FeatureButton(QStringLiteral("btnBackup"))->click();
    EXPECT_EQ(exportPanel->Title(), Localized("guiTipBackup"));
    EXPECT_EQ(exportPanel->resets, 2);
    EXPECT_FALSE(window->FeatureButton(QStringLiteral("btnExportToHtml"))->isChecked());
    EXPECT_TRUE(window->FeatureButton(QStringLiteral("btnBackup"))->isChecked());

    window->FeatureButton(QStringLiteral("btnSearch"))->click();
    EXPECT_EQ(window->CurrentPanel(), search);
    EXPECT_EQ(search->Title(), QStringLiteral("Counting")); // the search panel keeps its own title
    EXPECT_EQ(search->resets, 0);
    EXPECT_FALSE(window->FeatureButton(QStringLiteral("btnBackup"))->isChecked());
}

TEST_F(FeatureSwitchTest, ARunGoesOnWhileAnotherPanelIsShown)
{
    window->FeatureButton(QStringLiteral("btnSearch"))->click();
    search->StartButton()->click();
    EXPECT_TRUE(search->IsRunning());
    ASSERT_TRUE(WaitUntil([&] { return search->steps > 3; }));

    window->FeatureButton(QStringLiteral("btnExportToTxt"))->click();
    EXPECT_EQ(window->CurrentPanel(), exportPanel);
    const int before = search->steps;
    ASSERT_TRUE(WaitUntil([&] { return search->steps > before + 5; }));
    EXPECT_TRUE(search->IsRunning());
    EXPECT_EQ(search->feature, MFeature::Search);
    // The hidden panel's status line follows the run.
    EXPECT_TRUE(WaitUntil([&] { return search->StatusText().toInt() > before; }));

    search->StartButton()->click(); // stop
    ASSERT_TRUE(WaitUntil([&] { return !search->IsBusy(); }));
    EXPECT_EQ(search->StatusText(), Localized("strFinish"));
    EXPECT_FALSE(exportPanel->IsBusy());
}
