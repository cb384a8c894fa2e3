#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "panels/MViewReplace.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

using ReplacePanel = MPanelFixture;

// Which titles change how is the retitling's own tests' work; here the panel hands the task its two
// texts and the match-case box, shows each retitled page as a row, and refuses what it cannot start.
TEST_F(ReplacePanel, EachRetitledPageIsARowWithItsOldAndNewTitle)
{
    MRecordingMessageBoxScope boxes;
    MViewReplace panel;
    panel.show();
    panel.mSearch->setText(QStringLiteral("check(list)"));
    panel.StartButton()->click();
    Check("Travel Journal/Archive/Field notes");
    panel.mSearch->clear();
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList {Localized("strSelectASection")}) << "an empty search says nothing";
    EXPECT_FALSE(panel.IsBusy());
    EXPECT_EQ(f.RequestCount(QStringLiteral("/pages")), 0);

    panel.mSearch->setText(QStringLiteral("check(list)"));
    panel.mReplace->setText(QStringLiteral("$1"));
    ASSERT_TRUE(Run(panel));
    MResultTable* table = panel.ResultTable();
    ASSERT_TRUE(table->isVisible());
    ASSERT_EQ(table->Model()->rowCount(), 1);
    EXPECT_EQ(table->Model()->Item(0).text, QStringLiteral("PACKING CHECKLIST → PACKING LIST"));
    EXPECT_EQ(table->SummaryText(), QStringLiteral("1 retitled"));
    EXPECT_EQ(panel.StatusText(), Localized("strFinish"));

    // With match case the text is literal: "LIST" is not "list".
    panel.mCheckMatchCase->setChecked(true);
    panel.mSearch->setText(QStringLiteral("list"));
    panel.mReplace->setText(QStringLiteral("items"));
    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(table->Model()->rowCount(), 0);
}

} // namespace
