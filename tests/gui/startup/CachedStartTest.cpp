#include "../EmulatorSettings.h"
#include "../GuiTestSupport.h"

#include "AppDelegate.h"
#include "MMainWindow.h"
#include "MTreeModel.h"
#include "MessageBox.h"
#include "TempDir.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<AppDelegate> StartSignedIn(const QString& folder, int& loginWindows)
{
    auto app = std::make_unique<AppDelegate>(folder);
    app->m_UpdateCheckEnabled = false;
    app->RunLoginWindow = [&loginWindows] { ++loginWindows; };
    EXPECT_TRUE(app->applicationDidFinishLaunching());
    return app;
}

} // namespace

TEST(CachedStart, ASavedTokenAndACacheStartWithoutAnyRequest)
{
    GuiApp();
    MEmulator* emulator = DemoEmulator();
    ASSERT_NE(emulator, nullptr);
    const MEmulator::Tokens tokens = emulator->IssueTokens(QStringLiteral("personal"));
    MTempDir dir;
    const QString settings = dir.FilePath(QStringLiteral("zephapp.plist"));
    ASSERT_TRUE(WriteEmulatorHosts(settings, emulator->Origin()));
    {
        MConfig config(settings);
        config.WriteValue(QStringLiteral("MSAccountType"), 1);
        config.WriteValue(QStringLiteral("OnlineOneNoteAccessToken"), tokens.accessToken);
        config.WriteValue(QStringLiteral("OnlineOneNoteRefreshToken"), tokens.refreshToken);
        config.WriteValue(QStringLiteral("OnlineOneNoteUserId"), tokens.userId);
        config.WriteValue(QStringLiteral("TokenExpires_in"), 3599);
        config.WriteValue(QStringLiteral("RetrieveTokensTime"), QDateTime::currentDateTime());
        ASSERT_TRUE(config.Save());
    }
    const MModalWatcher watcher; // a failed request would show an alert
    int loginWindows = 0;

    // Without a cache the tree comes from the service and the cache is written.
    auto first = StartSignedIn(dir.Path(), loginWindows);
    ASSERT_TRUE(WaitUntil([&] { return !first->IsTreeLoading(); }));
    ASSERT_FALSE(emulator->Requests().empty());
    ASSERT_TRUE(QFile::exists(AppPaths().notebookCache));
    const size_t notebooks = first->Root().childCount();
    ASSERT_GT(notebooks, 0u);
    first.reset();

    emulator->ClearRequests();
    auto second = StartSignedIn(dir.Path(), loginWindows);
    EXPECT_TRUE(emulator->Requests().empty());
    EXPECT_EQ(second->Root().childCount(), notebooks);
    EXPECT_EQ(second->window()->TreeModel()->rowCount(), int(notebooks));
    EXPECT_EQ(loginWindows, 0);
    EXPECT_TRUE(watcher.Seen().isEmpty());
    SetMessageBoxHandler(nullptr);
}
