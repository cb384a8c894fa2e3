#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "panels/MViewReplace.h"
#include "widgets/MResultModel.h"
#include "widgets/MResultTable.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QLineEdit>

namespace {

using ReplacePanel = MPanelFixture;

QStringList StateTitles(MEmulator& emulator)
{
    QStringList titles;
    for (const QJsonValue& item : emulator.State().value(QLatin1String("items")).toArray())
        for (const QJsonValue& page : item.toObject().value(QLatin1String("pages")).toArray())
            titles.append(page.toObject().value(QLatin1String("title")).toString());
    return titles;
}

TEST_F(ReplacePanel, EachRetitledPageIsARowWithItsOldAndNewTitle)
{
    Check("Travel Journal/Archive/Field notes");
    MViewReplace panel;
    panel.show();
    panel.mSearch->setText(QStringLiteral("check(list)"));
    panel.mReplace->setText(QStringLiteral("$1"));
    ASSERT_TRUE(Run(panel));
    EXPECT_TRUE(StateTitles(f.Emulator()).contains(QStringLiteral("PACKING LIST")));

    MResultTable* table = panel.ResultTable();
    ASSERT_TRUE(table->isVisible());
    ASSERT_EQ(table->Model()->rowCount(), 1);
    EXPECT_EQ(table->Model()->Item(0).text, QStringLiteral("PACKING CHECKLIST → PACKING LIST"));
    EXPECT_EQ(table->Model()->index(0, MResultModel::StatusColumn).data().toString(), Localized("strSuccess"));
    EXPECT_EQ(table->SummaryText(), QStringLiteral("1 retitled"));
    EXPECT_EQ(panel.StatusText(), Localized("strFinish"));

    // With match case the text is literal: "LIST" is not "list".
    panel.mCheckMatchCase->setChecked(true);
    panel.mSearch->setText(QStringLiteral("list"));
    panel.mReplace->setText(QStringLiteral("items"));
    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(table->Model()->rowCount(), 0);
    EXPECT_TRUE(StateTitles(f.Emulator()).contains(QStringLiteral("PACKING LIST")));
}

TEST_F(ReplacePanel, NothingCheckedIsToldAndNoSearchTextDoesNothing)
{
    MRecordingMessageBoxScope boxes;
    MViewReplace panel;
    panel.mSearch->setText(QStringLiteral("x"));
    panel.StartButton()->click();
    Check("Travel Journal/Archive/Field notes");
    panel.mSearch->clear();
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList {Localized("strSelectASection")});
    EXPECT_FALSE(panel.IsBusy());
    EXPECT_EQ(f.RequestCount(QStringLiteral("/pages")), 0);
}

} // namespace
