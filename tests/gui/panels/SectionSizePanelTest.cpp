#include "DrivePanelSupport.h"

#include "panels/MViewSectionSize.h"
#include "util/Formats.h"

#include <QPushButton>

namespace {

using SectionSizePanel = DrivePanelTest;

TEST_F(SectionSizePanel, ShowsTheSizesOfTheCheckedPartAndMarksASharedNotebook)
{
    Check("Travel Journal/Archive");
    Check("Team Handbook");
    MViewSectionSize panel;
    panel.show();
    ASSERT_TRUE(Run(panel, panel.StartButton()));
    EXPECT_EQ(panel.RunThreadName(), QStringLiteral("TreeThreadSectionSize"));
    EXPECT_EQ(panel.OutlineModel()->headerData(1, Qt::Horizontal).toString(), Localized("guiColumnSize"));
    const QString four = FormatByteSize(4096);
    EXPECT_EQ(Rows(*panel.OutlineModel()),
        QStringList({QStringLiteral("Travel Journal | ") + FormatByteSize(7 * 4096),
            QStringLiteral("  Archive | ") + FormatByteSize(4 * 4096), QStringLiteral("    2019 | ") + four,
            QStringLiteral("    Field notes | ") + four, QStringLiteral("    Older | ") + FormatByteSize(2 * 4096),
            QStringLiteral("      2015 | ") + four, QStringLiteral("      Oldest | ") + four,
            QStringLiteral("        2009 | ") + four, QStringLiteral("Team Handbook | Non-creator")}));
    EXPECT_EQ(panel.StatusText(), Localized("strFinish"));
}

TEST_F(SectionSizePanel, NothingCheckedOrAnAccountWithoutNotebookFilesStartsNothing)
{
    MRecordingMessageBoxScope boxes;
    MViewSectionSize panel;
    panel.StartButton()->click();
    TheAccount().setMSAccountType(MAccount::OneNotePersonal);
    Check("Recipes");
    panel.StartButton()->click();
    TheAccount().setMSAccountType(MAccount::Personal);
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection"), Localized("msgNotSupportAccountType")}));
    EXPECT_FALSE(panel.IsBusy());
}

} // namespace
