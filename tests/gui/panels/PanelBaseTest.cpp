#include "../PanelFixture.h"

#include "MDesktopMessageBox.h"
#include "TempDir.h"
#include "model/MNotebookNode.h"
#include "tasks/MRunReport.h"
#include "tasks/TaskTexts.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyle>
#include <atomic>

namespace {

// A panel that runs whatever the test hands it, on a thread with the given name.
class MScriptedPanel : public MPanelBase
{
public:
    MScriptedPanel()
        : MPanelBase(QStringLiteral("Scripted"))
    { }
    std::function<void(MTaskContext&)> work;
    int reports = 0;
    QString threadName;
    std::shared_ptr<const MNotebookNode> tree;
    using MPanelBase::BeginRun;
    using MPanelBase::ResultArea;
    using MPanelBase::UseResultTable;

protected:
    void StartRun() override
    {
        BeginRun(QStringLiteral("TreeThreadRestore"), [this](MTaskContext& context) {
            threadName = QThread::currentThread()->objectName();
            tree = context.tree;
            work(context);
        });
    }
    void OnReportStatus(const QString& status) override
    {
        ++reports;
        MPanelBase::OnReportStatus(status);
    }
};

bool SameIcon(const QIcon& a, QStyle::StandardPixmap symbol, QWidget* widget)
{
    const QIcon b = widget->style()->standardIcon(symbol);
    return a.pixmap(16).toImage() == b.pixmap(16).toImage();
}

class PanelBaseTest : protected MGuiAppFirst, public ::testing::Test
{
protected:
    PanelBaseTest()
    {
        SetStringTableLanguage(QStringLiteral("en"));
        MNotebookNode* nb = root.AddChild(MNodeKind::Notebook, QStringLiteral("nb"), QStringLiteral("NB"));
        nb->checked = true;
        MPanelBase::SetSharedTree(&root);
        panel.show();
    }
    ~PanelBaseTest() override
    {
        MPanelBase::SetSharedTree(nullptr);
        SetMessageBoxHandler(nullptr);
    }

    MNotebookNode root;
    MScriptedPanel panel;
};

} // namespace

TEST_F(PanelBaseTest, TheButtonStartsAndStopsAndThePanelWaitsForTheWorkerToEnd)
{
    std::atomic<bool> sawStop {false};
    panel.work = [&](MTaskContext& context) {
        while (context.IsRunning())
            QThread::msleep(2);
        sawStop = true;
        QThread::msleep(50); // the worker is still finishing after the flag went down
    };
    EXPECT_TRUE(SameIcon(panel.StartButton()->icon(), QStyle::SP_MediaPlay, &panel));
    panel.StartButton()->click();
    EXPECT_TRUE(panel.IsRunning());
    EXPECT_EQ(panel.StatusText(), Localized("strStart"));
    EXPECT_TRUE(SameIcon(panel.StartButton()->icon(), QStyle::SP_MediaStop, &panel));
    // A second start while busy starts nothing.
    EXPECT_FALSE(panel.BeginRun(QStringLiteral("Other"), [](MTaskContext&) {}));

    panel.StartButton()->click();
    EXPECT_FALSE(panel.IsRunning());
    EXPECT_TRUE(panel.IsBusy());
    EXPECT_FALSE(panel.StartButton()->isEnabled()); // no second run while the first winds down
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_TRUE(sawStop);
    EXPECT_TRUE(panel.StartButton()->isEnabled());
    EXPECT_TRUE(SameIcon(panel.StartButton()->icon(), QStyle::SP_MediaPlay, &panel));
    EXPECT_EQ(panel.threadName, QStringLiteral("TreeThreadRestore"));
}

TEST_F(PanelBaseTest, TheWorkerWalksASnapshotAndPausesAsTheOptionsSaidAtTheStart)
{
    GlobalSettings().UploadInterval = 0;
    GlobalSettings().DownloadInterval = 5;
    std::atomic<qint64> upload {-1}, download {-1};
    panel.work = [&](MTaskContext& context) {
        upload = context.pacer->Seconds(MPacer::Kind::Upload);
        download = context.pacer->Seconds(MPacer::Kind::Download);
    };
    panel.StartButton()->click();
    GlobalSettings().UploadInterval = 3;
    GlobalSettings().DownloadInterval = 3;
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_EQ(upload, 0);
    EXPECT_EQ(download, 5);
    root.clear(); // a tree refresh after the start does not reach the run's copy
    ASSERT_NE(panel.tree, nullptr);
    ASSERT_EQ(panel.tree->childCount(), 1u);
    EXPECT_EQ(panel.tree->child(0)->name, QStringLiteral("NB"));
    EXPECT_TRUE(panel.tree->child(0)->checked);
}

TEST_F(PanelBaseTest, EachReportHasRunOnTheMainThreadWhenTheCallReturns)
{
    std::atomic<int> mismatches {0};
    panel.work = [&](MTaskContext& context) {
        for (int i = 1; i <= 20; ++i) {
            context.reporter->ShowStatus(QString::number(i));
            if (panel.reports != i) // read back only after the blocking post
                ++mismatches;
        }
        context.reporter->ShowMessage(QStringLiteral("all done"), QStringLiteral("status"));
        context.reporter->Finish(Localized("strFinish"));
    };
    panel.UseResultTable();
    panel.StartButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_EQ(mismatches, 0);
    // A task that reports only text has it shown, not an empty table.
    EXPECT_TRUE(panel.ResultArea()->isVisible());
    EXPECT_FALSE(panel.ResultTable()->isVisible());
    EXPECT_EQ(panel.ResultText(), QStringLiteral("all done"));
    EXPECT_EQ(panel.StatusText(), Localized("strFinish"));
}

TEST_F(PanelBaseTest, AQuestionFromAWorkerWaitsForTheAnswerOnTheMainThread)
{
    InstallDesktopHandlers();
    const MModalWatcher watcher([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box && box->button(QMessageBox::Yes))
            box->button(QMessageBox::Yes)->click();
        else if (box)
            box->button(QMessageBox::Ok)->click();
    });
    std::atomic<bool> answer {false};
    std::atomic<bool> alertReturned {false};
    panel.work = [&](MTaskContext& context) {
        context.reporter->Alert(QStringLiteral("Heads up"));
        alertReturned = true;
        answer = context.reporter->Ask(QStringLiteral("Go on?"));
    };
    panel.StartButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_TRUE(alertReturned);
    EXPECT_TRUE(answer);
    EXPECT_EQ(watcher.Seen(), (QStringList {QStringLiteral("QMessageBox"), QStringLiteral("QMessageBox")}));
}

TEST_F(PanelBaseTest, ClosingAQuestionWithoutChoosingAnswersNo)
{
    InstallDesktopHandlers();
    const MModalWatcher watcher([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    std::atomic<int> answer {0};
    std::thread worker([&] { answer = AskYesNo(QStringLiteral("Delete?")); });
    ASSERT_TRUE(WaitUntil([&] { return answer != 0; }));
    worker.join();
    EXPECT_EQ(answer, kAlertFirstButtonReturn);
}

TEST_F(PanelBaseTest, TheBarIsBusyUntilATotalIsKnownThenCountsAndTellsTheTimeLeft)
{
    std::atomic<int> step {0};
    std::atomic<int> seen {0};
    panel.work = [&](MTaskContext& context) {
        const auto waitFor = [&](int n) {
            seen = n;
            while (step < n && context.IsRunning())
                QThread::msleep(2);
        };
        waitFor(1);
        context.reporter->ShowProgress({3, 0, -1});
        waitFor(2);
        context.reporter->ShowProgress({12, 40, 150});
        waitFor(3);
    };
    panel.StartButton()->click();
    QProgressBar* bar = panel.ProgressBar();
    ASSERT_TRUE(WaitUntil([&] { return seen == 1; }));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 0) << "busy before the task says anything";
    EXPECT_EQ(panel.ProgressText(), QString());
    step = 1;
    ASSERT_TRUE(WaitUntil([&] { return seen == 2; }));
    EXPECT_EQ(bar->maximum(), 0) << "still busy: the total is not known";
    EXPECT_EQ(panel.ProgressText(), QStringLiteral("3"));
    step = 2;
    ASSERT_TRUE(WaitUntil([&] { return seen == 3; }));
    EXPECT_EQ(bar->maximum(), 40);
    EXPECT_EQ(bar->value(), 12);
    EXPECT_EQ(panel.ProgressText(), QStringLiteral("12 of 40 · about 3 min left"));
    step = 3;
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_FALSE(bar->isVisible()) << "the bar goes when the run is over";
}

TEST_F(PanelBaseTest, ItemsFillTheTableRowByRowAndTheSummaryComesAtTheEnd)
{
    std::atomic<bool> release {false};
    panel.UseResultTable();
    panel.work = [&](MTaskContext& context) {
        context.reporter->ShowMessage(QStringLiteral("1: First ..."), QStringLiteral("First"));
        context.reporter->ReportItem({0, QStringLiteral("1: First"), MItemOutcome::Sending, {}, {}});
        context.reporter->ReportItem({0, QStringLiteral("1: First"), MItemOutcome::Created, {}, {}});
        context.reporter->ReportItem(
            {1, QStringLiteral("2: Second"), MItemOutcome::Failed, QStringLiteral("413: the page is too large"), {}});
        context.reporter->ReportItem({2, QStringLiteral("3: Third"), MItemOutcome::Reused, {}, {}});
        while (!release)
            QThread::msleep(2);
    };
    panel.StartButton()->click();
    MResultTable* table = panel.ResultTable();
    MResultModel* model = table->Model();
    ASSERT_TRUE(WaitUntil([&] { return model->rowCount() == 3; }));
    EXPECT_TRUE(table->isVisible());
    EXPECT_FALSE(panel.ResultArea()->isVisible()) << "the table, not the text, once items arrive";
    // The second report of an item replaced its row.
    EXPECT_EQ(TableRows(*table),
        QStringList({QStringLiteral("Success | 1: First | "),
            QStringLiteral("Failure | 2: Second | 413: the page is too large"),
            Localized("strExists") + QStringLiteral(" | 3: Third | ")}));
    EXPECT_TRUE(table->SummaryText().isEmpty()) << "no summary while the run goes on";
    release = true;
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_EQ(table->SummaryText(), QStringLiteral("1 created, 1 already there, 1 failed"));

    // The next run starts with an empty table.
    release = false;
    panel.work = [&](MTaskContext&) {
        while (!release)
            QThread::msleep(2);
    };
    panel.StartButton()->click();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_TRUE(table->SummaryText().isEmpty());
    release = true;
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_EQ(table->SummaryText(), Localized("taskSummaryNothing"));
}

TEST_F(PanelBaseTest, EveryRunWritesItsReportAndOffersToOpenIt)
{
    MTempDir folder;
    InitAppPaths(folder.Path(), folder.FilePath(QStringLiteral("test.log")));
    EXPECT_FALSE(panel.OpenReportButton()->isVisible());
    panel.work = [&](MTaskContext& context) {
        context.reporter->ReportItem({0, QStringLiteral("1: First"), MItemOutcome::Created, {}, {}});
        context.reporter->ReportItem(
            {1, QStringLiteral("2: Second"), MItemOutcome::Failed, QStringLiteral("HTTP 500"), {}});
        context.reporter->ShowProgress({2, 3, -1});
        // Ends without its finish text, as a run that was stopped does: it still gets its report.
    };
    panel.StartButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    const QString csv = panel.LastReportPath();
    ASSERT_FALSE(csv.isEmpty());
    EXPECT_TRUE(csv.startsWith(folder.FilePath(QStringLiteral("reports/"))));
    EXPECT_TRUE(panel.OpenReportButton()->isVisible());
    const QString text = QString::fromUtf8(ReadAll(csv));
    EXPECT_TRUE(text.contains(QStringLiteral("2: Second,failed,,,HTTP 500")));
    EXPECT_TRUE(QString::fromUtf8(ReadAll(MRunReport::HtmlPathFor(csv))).contains(QStringLiteral("Not attempted: 1")));
}

TEST_F(PanelBaseTest, ADeepPathInTheStatusLineLeavesThePanelsWidthAlone)
{
    // A run first, so that what a finished run shows (its report button) is in the width already.
    panel.work = [](MTaskContext&) {};
    panel.StartButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    const int before = panel.minimumSizeHint().width();
    const QString path = QStringLiteral("/out/") + QString(2000, QLatin1Char('a')) + QStringLiteral("/page.txt");
    panel.work = [&](MTaskContext& context) { context.reporter->ShowStatus(path); };
    panel.StartButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_EQ(panel.StatusText(), path);
    EXPECT_LE(panel.minimumSizeHint().width(), before);
}
