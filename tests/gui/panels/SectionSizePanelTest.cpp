#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "panels/MViewSectionSize.h"
#include "util/Formats.h"

namespace {

using SectionSizePanel = MPanelFixture;

TEST_F(SectionSizePanel, RefusesWhatItCannotSizeThenShowsTheSizesOfTheCheckedPart)
{
    MRecordingMessageBoxScope boxes;
    MViewSectionSize panel;
    panel.show();
    panel.StartButton()->click();
    TheAccount().setMSAccountType(MAccount::OneNotePersonal);
    Check("Travel Journal/Archive");
    panel.StartButton()->click();
    TheAccount().setMSAccountType(MAccount::Personal);
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection"), Localized("msgNotSupportAccountType")}));
    EXPECT_FALSE(panel.IsBusy());

    Check("Team Handbook");
    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(panel.RunThreadName(), QStringLiteral("TreeThreadSectionSize"));
    EXPECT_EQ(panel.OutlineModel()->headerData(1, Qt::Horizontal).toString(), Localized("guiColumnSize"));
    // Which sizes are summed how is the task's own tests' work; the outline shows them in a column.
    const QStringList rows = Rows(*panel.OutlineModel());
    ASSERT_EQ(rows.size(), 9) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows[0], QStringLiteral("Travel Journal | ") + FormatByteSize(7 * 4096));
    EXPECT_EQ(rows[8], QStringLiteral("Team Handbook | Non-creator"));
    EXPECT_EQ(panel.StatusText(), Localized("strFinish"));
}

} // namespace
