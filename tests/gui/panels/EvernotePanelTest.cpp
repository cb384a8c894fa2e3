#include "../GuiTestSupport.h"

#include "RecordingMessageBox.h"
#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "panels/MViewEvernote.h"

#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
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

TEST(EvernotePanel, FileInfoFillsTheRangeAndARunImportsIntoTheCheckedSection)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    GlobalSettings().UploadInterval = 0;
    MServiceFixture f;
    TheAccount().LoadConfig(f.SettingsFile()); // the panels run on the process-wide account
    auto tree = f.FetchTree();
    MONObject* section
        = const_cast<MONObject*>(MServiceFixture::FindPath(*tree, QStringLiteral("Travel Journal/Empty section")));
    ASSERT_NE(section, nullptr);
    section->intValue = 1;
    MPanelBase::SetSharedTree(tree.get());

    MViewEvernote panel;
    const QString file = f.Folder().WriteFile(QStringLiteral("notes.enex"), kEnex);
    panel.ShowEvernoteFileInfo(file);
    EXPECT_EQ(panel.mFrom->text(), QStringLiteral("1"));
    EXPECT_EQ(panel.mTo->text(), QStringLiteral("2")) << "the notes, counted as the run numbers them";
    EXPECT_TRUE(panel.mTotal->text().endsWith(QLatin1String(": 2")));

    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.StartButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 20000));
    EXPECT_TRUE(panel.ResultText().contains(QLatin1String("Total: 2, Success: 2, Failure: 0.")))
        << panel.ResultText().toStdString();
    int posted = 0;
    for (const MEmuLoggedRequest& r : f.Emulator().Requests())
        posted += r.method == QLatin1String("POST") && r.path.endsWith(QLatin1String("/pages")) ? 1 : 0;
    EXPECT_EQ(posted, 2);
    EXPECT_TRUE(f.Emulator().State().value(QLatin1String("items")).toArray().size() > 0);
    MPanelBase::SetSharedTree(nullptr);
    GlobalSettings().UploadInterval = 3;
}

TEST(EvernotePanel, MissingFileOrTargetStopsBeforeARun)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    MONObject empty;
    MPanelBase::SetSharedTree(&empty);
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
    MPanelBase::SetSharedTree(nullptr);
}

} // namespace
