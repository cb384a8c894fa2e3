#include "../GuiTestSupport.h"

#include "MDesktopMessageBox.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "panels/MPanelBase.h"

#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <atomic>
#include <gtest/gtest.h>

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
    std::shared_ptr<const MONObject> tree;
    using MPanelBase::BeginRun;

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
        GuiApp();
        SetStringTableLanguage(QStringLiteral("en"));
        MONObject* nb = root.addSubObject(
            MONObject::Notebook, QStringLiteral("nb"), QStringLiteral("NB"), {}, {}, {}, {}, {}, {}, {});
        nb->intValue = 1;
        MPanelBase::SetSharedTree(&root);
        panel.show();
    }
    ~PanelBaseTest() override
    {
        MPanelBase::SetSharedTree(nullptr);
        SetMessageBoxHandler(nullptr);
    }

    MONObject root;
    MScriptedPanel panel;
};

} // namespace

TEST_F(PanelBaseTest, TheButtonShowsPlayWhenIdleAndStopWhileRunning)
{
    std::atomic<bool> release {false};
    panel.work = [&](MTaskContext& context) {
        while (!release && context.IsRunning())
            QThread::msleep(2);
    };
    EXPECT_TRUE(SameIcon(panel.StartButton()->icon(), QStyle::SP_MediaPlay, &panel));
    EXPECT_FALSE(SameIcon(panel.StartButton()->icon(), QStyle::SP_MediaStop, &panel));
    panel.StartButton()->click();
    EXPECT_TRUE(panel.IsRunning());
    EXPECT_EQ(panel.StatusText(), Localized("strStart"));
    EXPECT_TRUE(SameIcon(panel.StartButton()->icon(), QStyle::SP_MediaStop, &panel));

    // A second start while busy starts nothing.
    EXPECT_FALSE(panel.BeginRun(QStringLiteral("Other"), [](MTaskContext&) {}));
    release = true;
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_FALSE(panel.IsRunning());
    EXPECT_TRUE(SameIcon(panel.StartButton()->icon(), QStyle::SP_MediaPlay, &panel));
    EXPECT_EQ(panel.threadName, QStringLiteral("TreeThreadRestore"));
}

TEST_F(PanelBaseTest, StopClearsTheFlagAndThePanelWaitsForTheWorkerToEnd)
{
    std::atomic<bool> sawStop {false};
    panel.work = [&](MTaskContext& context) {
        while (context.IsRunning())
            QThread::msleep(2);
        sawStop = true;
        QThread::msleep(50); // the worker is still finishing after the flag went down
    };
    panel.StartButton()->click();
    panel.StartButton()->click();
    EXPECT_FALSE(panel.IsRunning());
    EXPECT_TRUE(panel.IsBusy());
    EXPECT_FALSE(panel.StartButton()->isEnabled()); // no second run while the first winds down
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_TRUE(sawStop);
    EXPECT_TRUE(panel.StartButton()->isEnabled());
}

TEST_F(PanelBaseTest, TheRunPausesAsTheOptionsSayAtItsStart)
{
    GlobalSettings().UploadInterval = 0;
    GlobalSettings().DownloadInterval = 0;
    std::atomic<qint64> upload {-1}, download {-1};
    panel.work = [&](MTaskContext& context) {
        upload = context.pacer->Seconds(MPacer::Kind::Upload);
        download = context.pacer->Seconds(MPacer::Kind::Download);
    };
    panel.StartButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_EQ(upload, 0);
    EXPECT_EQ(download, 0);
    GlobalSettings().UploadInterval = 3;
    GlobalSettings().DownloadInterval = 3;
}

TEST_F(PanelBaseTest, TheWorkerWalksASnapshotTakenAtTheStart)
{
    panel.work = [](MTaskContext&) {};
    panel.StartButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    root.clear(); // a tree refresh after the start does not reach the run's copy
    ASSERT_NE(panel.tree, nullptr);
    ASSERT_EQ(panel.tree->childCount(), 1u);
    EXPECT_EQ(panel.tree->child(0)->name, QStringLiteral("NB"));
    EXPECT_EQ(panel.tree->child(0)->intValue, 1);
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
    panel.StartButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }));
    EXPECT_EQ(mismatches, 0);
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
