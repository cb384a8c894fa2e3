#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "panels/MTagTableModel.h"
#include "panels/MViewListTags.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

namespace {

using TagsPanel = MPanelFixture;

QStringList Shown(const MViewListTags& panel)
{
    QStringList shown;
    for (const MTagItem& item : panel.TableModel()->Items())
        shown.append(item.iconName + QLatin1Char(':') + item.text);
    return shown;
}

TEST_F(TagsPanel, TheFiltersNarrowTheListWithoutTheServiceAndTheSummaryMakesAPageOfWhatIsShown)
{
    MRecordingMessageBoxScope boxes;
    boxes->SetAnswer(true);
    auto opener = std::make_shared<MRecordingLinkOpener>();
    SetLinkOpener(opener);
    MViewListTags panel;
    panel.show();
    panel.mBtnTagSummary->click();
    EXPECT_EQ(boxes->Messages(), QStringList {Localized("strSelectASection")});
    Check("Travel Journal/Archive/Field notes");
    panel.mBtnTagSummary->click();
    EXPECT_FALSE(panel.IsBusy()) << "nothing is shown yet";
    EXPECT_EQ(f.RequestCount(QStringLiteral("/pages")), 0);

    ASSERT_TRUE(Run(panel));
    // Which tags a page holds is the listing's own tests' work; the filters below narrow these eight.
    ASSERT_EQ(Shown(panel).size(), 8);
    EXPECT_FALSE(panel.TableModel()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(panel.TableModel()->index(0, 1).data().toString(),
        QStringLiteral("Travel Journal/Archive/Field notes/PACKING CHECKLIST"));
    f.Emulator().ClearRequests();

    // "All" off turns on to-do and important; every toggle off turns "all" on again.
    panel.mBtnAllTags->click();
    EXPECT_FALSE(panel.mBtnAllTags->isChecked());
    EXPECT_EQ(Shown(panel).size(), 4);
    EXPECT_TRUE(Shown(panel).first().startsWith(QLatin1String("important:")));
    panel.FindButtonByIdentifier(QStringLiteral("important"))->click();
    EXPECT_EQ(Shown(panel).size(), 3);
    panel.FindButtonByIdentifier(QStringLiteral("to-do"))->click();
    EXPECT_TRUE(panel.mBtnAllTags->isChecked());
    EXPECT_EQ(Shown(panel).size(), 8);

    // To-do tags only: the open ones, then the done ones; other tags never.
    panel.mCheckToDoTagsOnly->setChecked(true);
    panel.mComboBoxToDoShow->setCurrentIndex(panel.mComboBoxToDoShow->findData(QStringLiteral("Unchecked")));
    EXPECT_EQ(Shown(panel), QStringList({"to-do:Charge the camera", "to-do:Buy sardines & bread"}));
    panel.mComboBoxToDoShow->setCurrentIndex(panel.mComboBoxToDoShow->findData(QStringLiteral("Checked")));
    EXPECT_EQ(Shown(panel),
        QStringList({"call-back-completed:Call the guesthouse about late arrival",
            "to-do-completed:Passport & visa copies <in the blue folder>"}));
    panel.mCheckToDoTagsOnly->setChecked(false);

    // Typing a text filters by it, in any case.
    panel.mFieldSearch->setText(QStringLiteral("PASSPORT"));
    EXPECT_TRUE(panel.mCheckSearch->isChecked());
    EXPECT_EQ(Shown(panel).size(), 2);
    panel.mCheckSearch->setChecked(false);
    EXPECT_EQ(Shown(panel).size(), 8);
    EXPECT_EQ(panel.StatusText(), Localized("guiTagsShown").arg(QStringLiteral("8"), QStringLiteral("8")));
    EXPECT_TRUE(f.Emulator().Requests().empty()) << "filtering works on what was collected";

    // The summary is made of what is shown, after a question, and opened.
    panel.mFieldSearch->setText(QStringLiteral("passport"));
    ASSERT_TRUE(Run(panel, panel.mBtnTagSummary));
    EXPECT_EQ(boxes->Questions(), QStringList {Localized("askCreateTagSummary")});
    ASSERT_EQ(opener->links.size(), 1);
    EXPECT_TRUE(opener->links[0].contains(QLatin1String("#Tag%20Summary")));
    const MResultModel* rows = panel.ResultTable()->Model();
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->Item(0).outcome, MItemOutcome::Created);
    EXPECT_EQ(rows->Item(0).target, opener->links[0]);
    EXPECT_EQ(Shown(panel).size(), 2) << "the list stays as it was";
}

} // namespace
