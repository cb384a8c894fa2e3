#include "../EmulatorSettings.h"
#include "../GuiTestSupport.h"

#include "AppDelegate.h"
#include "MMainWindow.h"
#include "MTreeModel.h"
#include "MessageBox.h"
#include "TempDir.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "panels/MPanelBase.h"

#include <QAbstractButton>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// A signed-in application folder on the demo emulator, without a notebook cache at first, so that
// the first start fetches the tree.
class TreeLoading : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GuiApp();
        emulator = DemoEmulator();
        ASSERT_NE(emulator, nullptr);
        const QString settings = dir.FilePath(QStringLiteral("zephapp.plist"));
        ASSERT_TRUE(WriteEmulatorHosts(settings, emulator->Origin()));
        const MEmulator::Tokens tokens = emulator->IssueTokens(QStringLiteral("personal"));
        MConfig config(settings);
        config.WriteValue(QStringLiteral("MSAccountType"), 1);
        config.WriteValue(QStringLiteral("OnlineOneNoteAccessToken"), tokens.accessToken);
        config.WriteValue(QStringLiteral("OnlineOneNoteRefreshToken"), tokens.refreshToken);
        config.WriteValue(QStringLiteral("OnlineOneNoteUserId"), tokens.userId);
        config.WriteValue(QStringLiteral("TokenExpires_in"), 3599);
        config.WriteValue(QStringLiteral("RetrieveTokensTime"), QDateTime::currentDateTime());
        ASSERT_TRUE(config.Save());
    }
    void TearDown() override
    {
        if (emulator)
            emulator->ClearFaults();
        SetMessageBoxHandler(nullptr);
    }

    std::unique_ptr<AppDelegate> Start()
    {
        auto app = std::make_unique<AppDelegate>(dir.Path());
        app->m_UpdateCheckEnabled = false;
        app->RunLoginWindow = [this] { ++loginWindows; };
        EXPECT_TRUE(app->applicationDidFinishLaunching());
        return app;
    }

    MTempDir dir;
    MEmulator* emulator = nullptr;
    int loginWindows = 0;
};

} // namespace

TEST_F(TreeLoading, TheWindowAnswersWhileASlowServiceSendsTheTree)
{
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("GET */notebooks delay ms=5000")).has_value());
    const MModalWatcher watcher; // an alert would mean the slow answer was taken for a failure
    QElapsedTimer clock;
    clock.start();
    const auto app = Start();
    EXPECT_LT(clock.elapsed(), 2500) << "the start waited for the service";
    MMainWindow* window = app->window();
    ASSERT_TRUE(app->IsTreeLoading());
    EXPECT_TRUE(window->IsTreeLoading());
    EXPECT_FALSE(window->OutlineTree()->isEnabled());

    // A menu opens and another feature can be chosen while the request is out.
    QMenu* file = window->menuBar()->actions().first()->menu();
    ASSERT_NE(file, nullptr);
    file->popup(window->mapToGlobal(QPoint(10, 10)));
    EXPECT_TRUE(WaitUntil([&] { return file->isVisible(); }, 1000));
    file->close();
    QAbstractButton* exportButton = window->FeatureButton(QStringLiteral("btnExportToTxt"));
    ASSERT_TRUE(exportButton->isEnabled());
    exportButton->click();
    EXPECT_EQ(window->CurrentPanel(), window->Panel(MPanelKind::Export));
    EXPECT_TRUE(app->IsTreeLoading()) << "all of that happened before the answer came";
    EXPECT_LT(clock.elapsed(), 4500);

    ASSERT_TRUE(WaitUntil([&] { return !app->IsTreeLoading(); }, 20000));
    EXPECT_GE(clock.elapsed(), 4500);
    EXPECT_GT(app->Root().childCount(), 0u);
    EXPECT_EQ(window->TreeModel()->rowCount(), int(app->Root().childCount()));
    EXPECT_FALSE(window->IsTreeLoading());
    EXPECT_TRUE(window->OutlineTree()->isEnabled());
    EXPECT_TRUE(watcher.Seen().isEmpty());
}

TEST_F(TreeLoading, ARefreshReplacesTheTreeButARunKeepsItsSnapshotAndAFailedOneKeepsTheOutline)
{
    const auto app = Start();
    ASSERT_TRUE(WaitUntil([&] { return !app->IsTreeLoading(); }, 20000));
    const size_t notebooks = app->Root().childCount();
    ASSERT_GT(notebooks, 0u);
    const MNotebookNode* before = app->Root().child(0);
    const QString name = before->name;
    std::shared_ptr<const MNotebookNode> snapshot(app->Root().CloneTree()); // what a run starts with

    // Two refreshes in a row: the second waits for the first, and one tree comes out.
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("GET */notebooks delay ms=600")).has_value());
    app->window()->mMenuItemRefreshTree->trigger();
    app->window()->mMenuItemRefreshTree->trigger();
    EXPECT_TRUE(app->IsTreeLoading());
    ASSERT_TRUE(WaitUntil([&] { return !app->IsTreeLoading(); }, 20000));
    EXPECT_NE(app->Root().child(0), before) << "the outline shows the new tree";
    EXPECT_EQ(app->Root().child(0)->name, name);
    EXPECT_EQ(app->Root().child(0)->parent(), &app->Root());
    EXPECT_EQ(snapshot->child(0)->name, name);
    int fetches = 0;
    for (const MEmuLoggedRequest& r : emulator->Requests())
        fetches += r.path.contains(QLatin1String("/notebooks?expand=")) ? 1 : 0;
    EXPECT_EQ(fetches, 3) << "start, then each refresh once";

    emulator->ClearFaults();
    ASSERT_FALSE(
        emulator->AddFault(QStringLiteral("GET */notebooks* error status=500 code=20001 count=-1")).has_value());
    const MModalWatcher watcher; // the two alerts of the failed attempts
    app->window()->mMenuItemRefreshTree->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !app->IsTreeLoading(); }, 20000));
    EXPECT_EQ(watcher.Seen().size(), 2);
    EXPECT_EQ(app->Root().childCount(), notebooks);
    EXPECT_EQ(app->window()->TreeModel()->rowCount(), int(notebooks));
}

TEST_F(TreeLoading, TheCacheTheFirstStartWroteStartsTheNextWithoutAnyRequest)
{
    const MModalWatcher watcher; // a failed request would show an alert
    auto first = Start();
    ASSERT_TRUE(WaitUntil([&] { return !first->IsTreeLoading(); }, 20000));
    ASSERT_TRUE(QFile::exists(AppPaths().notebookCache));
    const size_t notebooks = first->Root().childCount();
    ASSERT_GT(notebooks, 0u);
    first.reset();

    emulator->ClearRequests();
    const auto second = Start();
    EXPECT_TRUE(emulator->Requests().empty());
    EXPECT_EQ(second->Root().childCount(), notebooks);
    EXPECT_EQ(second->window()->TreeModel()->rowCount(), int(notebooks));
    EXPECT_EQ(loginWindows, 0);
    EXPECT_TRUE(watcher.Seen().isEmpty());
}
