#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "panels/MViewEvernote.h"

#include <QLabel>
#include <QLineEdit>

namespace {

const QByteArray kEnex
    = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<en-export>\n"
      "<note><title>First &amp; best</title><content><![CDATA[<en-note><div>One</div></en-note>]]></content>"
      "<created>20240101T090000Z</created></note>\n"
      "<note><title>Second</title><content><![CDATA[<en-note><div>Two</div></en-note>]]></content>"
      "<created>20240102T090000Z</created></note>\n</en-export>\n";

using EvernotePanel = MPanelFixture;

TEST_F(EvernotePanel, RefusesWhatItCannotImportThenCountsTheNotesAndListsThemWithReasonsAndASummary)
{
    MRecordingMessageBoxScope boxes;
    MWatchedPanel<MViewEvernote> panel;
    panel.show();
    panel.StartButton()->click();
    panel.mEvernoteEnexFile->setText(QStringLiteral("/nonexistent/notes.enex"));
    panel.StartButton()->click();
    panel.ShowEvernoteFileInfo(f.Folder().WriteFile(QStringLiteral("bad.enex"), "no export at all"));
    panel.ShowEvernoteFileInfo(f.Folder().WriteFile(QStringLiteral("notes.enex"), kEnex));
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(),
        QStringList({Localized("strChooseEnexFile"), Localized("strFileNotExists"), Localized("strOpenEnexFileError"),
            Localized("strSelectASection")}));
    EXPECT_FALSE(panel.IsBusy());
    EXPECT_EQ(panel.mFrom->text(), QStringLiteral("1"));
    EXPECT_EQ(panel.mTo->text(), QStringLiteral("2")) << "the notes, counted as the run numbers them";
    EXPECT_TRUE(panel.mTotal->text().endsWith(QLatin1String(": 2")));

    Check("Travel Journal/Empty section");
    // The first page is answered with an error page.
    ASSERT_FALSE(f.Emulator().AddFault(QStringLiteral("POST */pages html count=1")).has_value());
    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.StartButton()->click();
    EXPECT_EQ(panel.StatusText(), Localized("strStartImport")) << "the panel's own start text";
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 20000));
    // The bar counted the notes of the chosen range, one by one.
    EXPECT_EQ(panel.seen, QStringList({QStringLiteral("1 of 2"), QStringLiteral("2 of 2")}))
        << panel.seen.join(QLatin1String(" | ")).toStdString();

    ASSERT_TRUE(panel.ResultTable()->isVisible());
    const QStringList rows = TableRows(*panel.ResultTable());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith(QLatin1String("Failure | 1: First & best | HTTP 500"))) << rows[0].toStdString();
    EXPECT_EQ(rows[1], QStringLiteral("Success | 2: Second | "));
    EXPECT_EQ(panel.ResultTable()->SummaryText(), QStringLiteral("1 created, 1 failed"));
    EXPECT_EQ(PageTitles(QStringLiteral("Empty section")), QStringList {"Second"}) << "into the checked section";
}

} // namespace
