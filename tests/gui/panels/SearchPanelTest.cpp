#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "app/MConfig.h"
#include "panels/MViewSearch.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTreeView>

namespace {

using SearchPanel = MPanelFixture;

TEST_F(SearchPanel, TheOutlineShowsPagesWithTheirHitsUnderThemAndOpensWhatIsChosen)
{
    Check("Travel Journal/Archive/Field notes");
    MViewSearch panel;
    panel.show();
    panel.mSearch->setText(QStringLiteral("taxi"));
    panel.mCheckSearchInPageTitle->setChecked(false);
    ASSERT_TRUE(Run(panel));

    const MOutlineModel* model = panel.OutlineModel();
    ASSERT_EQ(model->rowCount(), 1);
    const QModelIndex page = model->index(0, 0);
    EXPECT_EQ(page.data().toString(), QStringLiteral("Receipts"));
    EXPECT_FALSE(page.data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("Travel Journal/Archive/Field notes"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), Localized("guiColumnPath"));
    ASSERT_EQ(model->rowCount(page), 1);
    const QModelIndex image = model->index(0, 0, page);
    EXPECT_EQ(image.data().toString(), QStringLiteral("TAXI RECEIPT Lisboa 12.50 EUR"));
    EXPECT_EQ(model->NodeAt(image)->kind, MNodeKind::RecognisedText);
    EXPECT_FALSE(image.data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(panel.StatusText().startsWith(Localized("strFinish")));
    EXPECT_FALSE(panel.ResultTable()->isVisible()) << "every page was read";

    // Choosing a row opens the paragraph, or the page.
    auto opener = std::make_shared<MRecordingLinkOpener>();
    SetLinkOpener(opener);
    emit panel.OutlineTree()->activated(image);
    emit panel.OutlineTree()->activated(page);
    ASSERT_EQ(opener->links.size(), 2);
    EXPECT_TRUE(opener->links[0].contains(QLatin1String("&object-id=")));
    EXPECT_TRUE(opener->links[1].startsWith(QLatin1String("onenote:https://")));
    EXPECT_FALSE(opener->links[1].contains(QLatin1String("object-id")));

    // The boxes are remembered; a new run replaces the outline.
    EXPECT_FALSE(MConfig(AppPaths().settingsFile).ReadValue(QStringLiteral("Search_InPageTitle"), true));
    MViewSearch again;
    EXPECT_FALSE(again.mCheckSearchInPageTitle->isChecked());
    panel.mSearch->setText(QStringLiteral("checklist"));
    panel.mCheckSearchInPageTitle->setChecked(true);
    ASSERT_TRUE(Run(panel));
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("PACKING CHECKLIST"));
    EXPECT_EQ(model->rowCount(model->index(0, 0)), 0);
}

TEST_F(SearchPanel, NothingCheckedIsToldNothingToLookForDoesNothingAndAnUnreadPageIsListed)
{
    MRecordingMessageBoxScope boxes;
    MViewSearch panel;
    panel.show();
    panel.mSearch->setText(QStringLiteral("e")); // on every page
    panel.StartButton()->click();
    Check("Travel Journal/Archive/Field notes");
    panel.mSearch->setText(QStringLiteral("   "));
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList {Localized("strSelectASection")});
    EXPECT_FALSE(panel.IsBusy());
    EXPECT_EQ(f.RequestCount(QStringLiteral("/pages")), 0);

    ASSERT_FALSE(f.Emulator()
                     .AddFault(QStringLiteral("GET */content error status=404 code=20102 message=Page+not+found"))
                     .has_value());
    panel.mSearch->setText(QStringLiteral("e"));
    panel.mCheckSearchInPageTitle->setChecked(false);
    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(panel.OutlineModel()->rowCount(), 2);
    ASSERT_TRUE(panel.ResultTable()->isVisible());
    EXPECT_EQ(panel.ResultTable()->SummaryText(), QStringLiteral("1 failed"));
}

} // namespace
