#include "../GuiTestSupport.h"

#include "../RecordingMessageBox.h"
#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "panels/MViewEvernote.h"
#include "widgets/MResultModel.h"
#include "widgets/MResultTable.h"

#include <QJsonArray>
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

TEST(EvernotePanel, FileInfoFillsTheRangeAndARunImportsIntoTheCheckedSection)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    GlobalSettings().UploadInterval = 0;
    MServiceFixture f;
    TheAccount().LoadConfig(f.SettingsFile()); // the panels run on the process-wide account
    auto tree = f.FetchTree();
    MNotebookNode* section
        = const_cast<MNotebookNode*>(MServiceFixture::FindPath(*tree, QStringLiteral("Travel Journal/Empty section")));
    ASSERT_NE(section, nullptr);
    section->checked = true;
    MPanelBase::SetSharedTree(tree.get());

    MViewEvernote panel;
    const QString file = f.Folder().WriteFile(QStringLiteral("notes.enex"), kEnex);
    panel.ShowEvernoteFileInfo(file);
    EXPECT_EQ(panel.mFrom->text(), QStringLiteral("1"));
    EXPECT_EQ(panel.mTo->text(), QStringLiteral("2")) << "the notes, counted as the run numbers them";
    EXPECT_TRUE(panel.mTotal->text().endsWith(QLatin1String(": 2")));

    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.StartButton()->click();
    EXPECT_EQ(panel.StatusText(), Localized("strStartImport")) << "the panel's own start text";
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
    MNotebookNode empty;
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

// The panel, with every progress count it showed.
class MWatchedEvernotePanel : public MViewEvernote
{
public:
    QStringList seen;

protected:
    void OnReportProgress(const MTaskProgress& progress) override
    {
        MViewEvernote::OnReportProgress(progress);
        // The count alone: the time left depends on what the request budget has seen so far.
        const QString count = ProgressText().section(QStringLiteral(" · "), 0, 0);
        if (!count.isEmpty() && (seen.isEmpty() || seen.last() != count))
            seen.append(count);
    }
};

TEST(EvernotePanel, TheRunCountsItsNotesOnTheBarAndListsThemWithReasonsAndASummary)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    GlobalSettings().UploadInterval = 0;
    MServiceFixture f;
    TheAccount().LoadConfig(f.SettingsFile());
    auto tree = f.FetchTree();
    MNotebookNode* section
        = const_cast<MNotebookNode*>(MServiceFixture::FindPath(*tree, QStringLiteral("Travel Journal/Empty section")));
    ASSERT_NE(section, nullptr);
    section->checked = true;
    MPanelBase::SetSharedTree(tree.get());
    // The first page is answered with an error page.
    ASSERT_FALSE(f.Emulator().AddFault(QStringLiteral("POST */pages html count=1")).has_value());

    MWatchedEvernotePanel panel;
    panel.show();
    panel.ShowEvernoteFileInfo(f.Folder().WriteFile(QStringLiteral("notes.enex"), kEnex));
    QProgressBar* bar = panel.ProgressBar();
    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.StartButton()->click();
    EXPECT_TRUE(bar->isVisible());
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 20000));
    // The bar counted the notes of the chosen range, one by one.
    EXPECT_EQ(panel.seen, QStringList({QStringLiteral("1 of 2"), QStringLiteral("2 of 2")}))
        << panel.seen.join(QLatin1String(" | ")).toStdString();
    EXPECT_EQ(bar->maximum(), 2);
    EXPECT_EQ(bar->value(), 2);
    EXPECT_FALSE(bar->isVisible()) << "the bar goes when the run is over";

    MResultTable* table = panel.ResultTable();
    const MResultModel* model = table->Model();
    ASSERT_TRUE(table->isVisible());
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, MResultModel::TextColumn).data().toString(), QStringLiteral("1: First & best"));
    EXPECT_EQ(model->index(0, MResultModel::StatusColumn).data().toString(), Localized("strFailure"));
    EXPECT_TRUE(model->index(0, MResultModel::ReasonColumn).data().toString().startsWith(QLatin1String("HTTP 500")))
        << model->index(0, MResultModel::ReasonColumn).data().toString().toStdString();
    EXPECT_EQ(model->index(1, MResultModel::TextColumn).data().toString(), QStringLiteral("2: Second"));
    EXPECT_EQ(model->index(1, MResultModel::StatusColumn).data().toString(), Localized("strSuccess"));
    EXPECT_TRUE(model->index(1, MResultModel::ReasonColumn).data().toString().isEmpty());
    const QIcon failed = model->index(0, MResultModel::StatusColumn).data(Qt::DecorationRole).value<QIcon>();
    const QIcon created = model->index(1, MResultModel::StatusColumn).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_FALSE(failed.isNull());
    EXPECT_NE(failed.pixmap(16).toImage(), created.pixmap(16).toImage());
    EXPECT_EQ(table->SummaryText(), QStringLiteral("1 created, 1 failed"));
    // The running text is still kept, with the totals as the runs have always written them.
    EXPECT_TRUE(panel.ResultText().contains(QLatin1String("Total: 2, Success: 1, Failure: 1.")));
    MPanelBase::SetSharedTree(nullptr);
    GlobalSettings().UploadInterval = 3;
}

} // namespace
