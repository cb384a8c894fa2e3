#include "../EmulatorSettings.h"
#include "../GuiTestSupport.h"

#include "../RecordingMessageBox.h"
#include "AppDelegate.h"
#include "MMainWindow.h"
#include "MTreeModel.h"
#include "TempDir.h"
#include "account/MAccount.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "panels/MPanelBase.h"

#include <QAbstractButton>
#include <QAction>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

const char* kCache = R"({"value":[{
  "id":"1-NB","displayName":"Personal","self":"http://127.0.0.1:9/notebooks/1-NB","userRole":"Owner",
  "links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/A/Personal"},"oneNoteWebUrl":{"href":"https://web/Personal"}},
  "sections":[{"id":"1-S1","displayName":"Quick Notes","self":"http://127.0.0.1:9/sections/1-S1"}],
  "sectionGroups":[]
},{
  "id":"1-SH","displayName":"Team","self":"http://127.0.0.1:9/notebooks/1-SH","userRole":"Contributor",
  "createdBy":{"user":{"id":"U2","displayName":"Bob"}}
}]})";

// An application folder with a notebook cache and settings that hold a signed-in account (or part of
// one) and whose hosts all point at a closed port, so that any request would fail visibly.
class StartupTest : public ::testing::Test
{
protected:
    StartupTest()
    {
        GuiApp();
        SetStringTableLanguage(QStringLiteral("en"));
        WriteSettings(QStringLiteral("token"), QStringLiteral("user-1"));
        dir.WriteFile(QStringLiteral("notebooks.json"), kCache);
    }
    ~StartupTest() override
    {
        SetLinkOpener(nullptr);
        SetMessageBoxHandler(nullptr);
    }

    void WriteSettings(const QString& token, const QString& userId)
    {
        const QString settings = dir.FilePath(QStringLiteral("zephapp.plist"));
        ASSERT_TRUE(WriteEmulatorHosts(settings, QStringLiteral("http://127.0.0.1:9")));
        MConfig config(settings);
        config.WriteValue(QStringLiteral("MSAccountType"), 1);
        config.WriteValue(QStringLiteral("OnlineOneNoteAccessToken"), token);
        config.WriteValue(QStringLiteral("OnlineOneNoteRefreshToken"), QStringLiteral("refresh"));
        config.WriteValue(QStringLiteral("TokenExpires_in"), 3600);
        config.WriteValue(QStringLiteral("RetrieveTokensTime"), QDateTime::currentDateTime());
        config.WriteValue(QStringLiteral("OnlineOneNoteUserId"), userId);
        config.WriteValue(QStringLiteral("OnlineOneNoteUserPrincipalName"), QStringLiteral("ann@example.com"));
        ASSERT_TRUE(config.Save());
    }

    std::unique_ptr<AppDelegate> Start(bool expectStarted = true)
    {
        auto app = std::make_unique<AppDelegate>(dir.Path());
        app->m_UpdateCheckEnabled = false;
        app->RunLoginWindow = [this] { ++loginWindows; };
        EXPECT_EQ(app->applicationDidFinishLaunching(), expectStarted);
        SetMessageBoxHandler(box);
        SetLinkOpener(opener);
        return app;
    }

    MNotebookNode* Row(AppDelegate& app, const char* name)
    {
        for (const auto& nb : app.Root().children()) {
            if (nb->name == QLatin1String(name))
                return nb.get();
            for (const auto& child : nb->children()) {
                if (child->name == QLatin1String(name))
                    return child.get();
            }
        }
        return nullptr;
    }

    void Select(AppDelegate& app, const MNotebookNode* node)
    {
        QTreeView* view = app.window()->OutlineTree();
        view->setCurrentIndex(app.window()->TreeModel()->IndexOf(node));
    }

    MTempDir dir;
    int loginWindows = 0;
    std::shared_ptr<MRecordingMessageBox> box = std::make_shared<MRecordingMessageBox>();
    std::shared_ptr<MRecordingLinkOpener> opener = std::make_shared<MRecordingLinkOpener>();
};

} // namespace

TEST_F(StartupTest, ASavedAccountStartsFromTheCacheWithoutTheSignInWindowAndTheMenuActsOnTheOutline)
{
    GlobalSettings().EnableLog = false;
    const MModalWatcher watcher;
    auto app = Start();
    EXPECT_EQ(loginWindows, 0);
    EXPECT_TRUE(app->window()->isVisible());
    ASSERT_EQ(app->Root().childCount(), 2u);
    EXPECT_EQ(app->window()->TreeModel()->rowCount(), 2);
    EXPECT_EQ(app->window()->mMenuItemLogin->text(), Localized("strReLogin"));
    // The tag list is what the window opens with.
    EXPECT_EQ(app->window()->CurrentPanel(), app->window()->Panel(MPanelKind::ListTags));
    EXPECT_EQ(CurrentFeature(), MFeature::ListTags);
    for (int kind = 0; kind <= int(MPanelKind::Account); ++kind) // every feature has its panel
        EXPECT_NE(app->window()->Panel(MPanelKind(kind)), nullptr) << kind;
    EXPECT_TRUE(app->window()->MainStatusText().isEmpty());

    // Open notebook and information do nothing without a row or on a section row.
    app->window()->mMenuItemOpenNotebook->trigger();
    app->window()->mMenuItemNotebookInfo->trigger();
    Select(*app, Row(*app, "Quick Notes"));
    app->window()->mMenuItemOpenNotebook->trigger();
    app->window()->mMenuItemNotebookInfo->trigger();
    QTest::qWait(100);
    EXPECT_TRUE(opener->links.isEmpty());
    EXPECT_TRUE(watcher.Seen().isEmpty()); // nor did any request fail
    Select(*app, Row(*app, "Personal"));
    app->window()->mMenuItemOpenNotebook->trigger();
    EXPECT_EQ(opener->links, QStringList {QStringLiteral("onenote:https://d.docs.live.net/A/Personal")});
    app->window()->mMenuItemNotebookInfo->trigger();
    EXPECT_EQ(watcher.Seen(), QStringList {QStringLiteral("MWinNotebookInfo")});

    app->window()->mMenuItemCheckAllTree->trigger();
    EXPECT_TRUE(Row(*app, "Quick Notes")->checked);
    EXPECT_TRUE(Row(*app, "Team")->checked);
    app->window()->mMenuItemUncheckAllTree->trigger();
    EXPECT_FALSE(Row(*app, "Quick Notes")->checked);
    EXPECT_FALSE(Row(*app, "Personal")->checked);

    // The log item toggles the setting and saves it.
    app->window()->mMenuItemEnableLog->trigger();
    EXPECT_TRUE(GlobalSettings().EnableLog.load());
    EXPECT_TRUE(app->window()->mMenuItemEnableLog->isChecked());
    EXPECT_TRUE(MConfig(dir.FilePath(QStringLiteral("zephapp.plist"))).ReadValue(QStringLiteral("EnableLog"), false));
    app->window()->mMenuItemEnableLog->trigger();
    EXPECT_FALSE(GlobalSettings().EnableLog.load());
}

TEST_F(StartupTest, ATokenWithoutAUserIdShowsTheSignInWindowAndClosingItEndsTheProgram)
{
    WriteSettings(QStringLiteral("token"), QString());
    auto app = Start(false);
    EXPECT_EQ(loginWindows, 1);
    EXPECT_FALSE(app->window()->isVisible());
    EXPECT_EQ(app->Root().childCount(), 0u);
}

TEST_F(StartupTest, SigningInAgainWithTheSameTokenLeavesTheTreeAndSigningOutEmptiesIt)
{
    auto app = Start();
    const MNotebookNode* before = Row(*app, "Quick Notes");
    app->window()->mMenuItemLogin->trigger();
    EXPECT_EQ(loginWindows, 1);
    EXPECT_EQ(Row(*app, "Quick Notes"), before);
    EXPECT_TRUE(box->Messages().isEmpty());

    // The window signed the account out but a user id remained (the sign-out path of LoginAccount).
    app->RunLoginWindow = [] { TheAccount().setOnlineOneNoteAccessToken(QString()); };
    app->LoginAccount();
    EXPECT_EQ(app->Root().childCount(), 0u);
    EXPECT_EQ(app->window()->TreeModel()->rowCount(), 0);
    EXPECT_EQ(app->window()->mMenuItemLogin->text(), Localized("strLogin"));
}
