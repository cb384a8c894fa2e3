#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "panels/MViewEvernote.h"
#include "widgets/MResultModel.h"
#include "widgets/MResultTable.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QByteArray kEnex
    = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<en-export>\n"
      "<note><title>First &amp; best</title><content><![CDATA[<en-note><div>One</div></en-note>]]></content>"
      "<created>20240101T090000Z</created></note>\n"
      "<note><title>Second</title><content><![CDATA[<en-note><div>Two</div></en-note>]]></content>"
      "<created>20240102T090000Z</created></note>\n</en-export>\n";

using EvernotePanel = MPanelFixture;

TEST_F(EvernotePanel, FileInfoFillsTheRangeAndTheRunCountsItsNotesAndListsThemWithReasonsAndASummary)
{
    Check("Travel Journal/Empty section");
    // The first page is answered with an error page.
    ASSERT_FALSE(f.Emulator().AddFault(QStringLiteral("POST */pages html count=1")).has_value());

    MWatchedPanel<MViewEvernote> panel;
    panel.show();
    panel.ShowEvernoteFileInfo(f.Folder().WriteFile(QStringLiteral("notes.enex"), kEnex));
    EXPECT_EQ(panel.mFrom->text(), QStringLiteral("1"));
    EXPECT_EQ(panel.mTo->text(), QStringLiteral("2")) << "the notes, counted as the run numbers them";
    EXPECT_TRUE(panel.mTotal->text().endsWith(QLatin1String(": 2")));
    QProgressBar* bar = panel.ProgressBar();
    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.StartButton()->click();
    EXPECT_EQ(panel.StatusText(), Localized("strStartImport")) << "the panel's own start text";
    EXPECT_TRUE(bar->isVisible());
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 20000));
    // The bar counted the notes of the chosen range, one by one.
    EXPECT_EQ(panel.seen, QStringList({QStringLiteral("1 of 2"), QStringLiteral("2 of 2")}))
        << panel.seen.join(QLatin1String(" | ")).toStdString();
    EXPECT_EQ(bar->maximum(), 2);
    EXPECT_EQ(bar->value(), 2);
    EXPECT_FALSE(bar->isVisible()) << "the bar goes when the run is over";

    ASSERT_TRUE(panel.ResultTable()->isVisible());
    const QStringList rows = TableRows(*panel.ResultTable());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith(QLatin1String("Failure | 1: First & best | HTTP 500"))) << rows[0].toStdString();
    EXPECT_EQ(rows[1], QStringLiteral("Success | 2: Second | "));
    EXPECT_EQ(panel.ResultTable()->SummaryText(), QStringLiteral("1 created, 1 failed"));
    // The running text is still kept, with the totals as the runs have always written them.
    EXPECT_TRUE(panel.ResultText().contains(QLatin1String("Total: 2, Success: 1, Failure: 1.")));
    EXPECT_EQ(PageTitles(QStringLiteral("Empty section")), QStringList {"Second"}) << "into the checked section";
}

TEST_F(EvernotePanel, MissingFileOrTargetStopsBeforeARun)
{
    MRecordingMessageBoxScope boxes;
    MViewEvernote panel;
    panel.StartButton()->click();
    panel.mEvernoteEnexFile->setText(QStringLiteral("/nonexistent/notes.enex"));
    panel.StartButton()->click();
    MTempDir dir;
    panel.mEvernoteEnexFile->setText(dir.WriteFile(QStringLiteral("a.enex"), kEnex));
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(),
        QStringList({Localized("strChooseEnexFile"), Localized("strFileNotExists"), Localized("strSelectASection")}));
    EXPECT_FALSE(panel.IsBusy());
    panel.ShowEvernoteFileInfo(dir.WriteFile(QStringLiteral("bad.enex"), "no export at all"));
    EXPECT_EQ(boxes->Messages().last(), Localized("strOpenEnexFileError"));
    // A cut export still has its notes counted, the cut one included: the run names it.
    panel.ShowEvernoteFileInfo(dir.WriteFile(QStringLiteral("cut.enex"), "<en-export><note></note><note>"));
    EXPECT_EQ(panel.mTo->text(), QStringLiteral("2"));
}

} // namespace
