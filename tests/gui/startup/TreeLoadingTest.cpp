#include "../GuiTestSupport.h"

#include "AppDelegate.h"
#include "MMainWindow.h"
#include "MTreeModel.h"
#include "MessageBox.h"
#include "ServiceFixture.h"
#include "panels/MPanelBase.h"

#include <QAbstractButton>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// A signed-in application folder on the demo fixture, without a notebook cache at first, so that the
// first start fetches the tree.
class TreeLoading : public ::testing::Test
{
protected:
    TreeLoading() { GuiApp(); }
    ~TreeLoading() override { SetMessageBoxHandler(nullptr); }

    std::unique_ptr<AppDelegate> Start()
    {
        auto app = std::make_unique<AppDelegate>(f.AppFolder());
        app->m_UpdateCheckEnabled = false;
        app->RunLoginWindow = [] { ADD_FAILURE() << "the sign-in window was shown"; };
        EXPECT_TRUE(app->applicationDidFinishLaunching());
        return app;
    }

    MServiceFixture f;
};

} // namespace

TEST_F(TreeLoading, TheWindowAnswersWhileASlowServiceSendsTheTree)
{
    ASSERT_FALSE(f.Emulator().AddFault(QStringLiteral("GET */notebooks delay ms=5000")).has_value());
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
    ASSERT_FALSE(f.Emulator().AddFault(QStringLiteral("GET */notebooks delay ms=600")).has_value());
    app->window()->mMenuItemRefreshTree->trigger();
    app->window()->mMenuItemRefreshTree->trigger();
    EXPECT_TRUE(app->IsTreeLoading());
    ASSERT_TRUE(WaitUntil([&] { return !app->IsTreeLoading(); }, 20000));
    EXPECT_NE(app->Root().child(0), before) << "the outline shows the new tree";
    EXPECT_EQ(app->Root().child(0)->name, name);
    EXPECT_EQ(app->Root().child(0)->parent(), &app->Root());
    EXPECT_EQ(snapshot->child(0)->name, name);
    int fetches = 0;
    for (const MEmuLoggedRequest& r : f.Emulator().Requests())
        fetches += r.path.contains(QLatin1String("/notebooks?expand=")) ? 1 : 0;
    EXPECT_EQ(fetches, 3) << "start, then each refresh once";

    f.Emulator().ClearFaults();
    ASSERT_FALSE(
        f.Emulator().AddFault(QStringLiteral("GET */notebooks* error status=500 code=20001 count=-1")).has_value());
    const MModalWatcher watcher; // the two alerts of the failed attempts
    app->window()->mMenuItemRefreshTree->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !app->IsTreeLoading(); }, 20000));
    EXPECT_EQ(watcher.Seen().size(), 2);
    EXPECT_EQ(app->Root().childCount(), notebooks);
    EXPECT_EQ(app->window()->TreeModel()->rowCount(), int(notebooks));
}
