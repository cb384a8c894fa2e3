// The sign-in window's real web view against the emulator, on an X server of the test's own.
#include "../EmulatorSettings.h"
#include "../GuiTestSupport.h"

#include "../RecordingMessageBox.h"
#include "AppDelegate.h"
#include "MMainWindow.h"
#include "MTreeModel.h"
#include "MWinLogin.h"
#include "MessageBox.h"
#include "TempDir.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "app/MStrings.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QUrlQuery>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Xvfb on a display it picks itself; the QApplication is made on it once and kept.
class MXServer
{
public:
    MXServer()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            return;
        m_Process.start(QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!m_Process.waitForStarted(5000) || !m_Process.waitForReadyRead(10000))
            return;
        m_Display = QString::fromLatin1(m_Process.readLine()).trimmed();
    }
    ~MXServer()
    {
        m_Process.terminate();
        m_Process.waitForFinished(3000);
    }
    bool Ok() const { return !m_Display.isEmpty(); }
    QString Display() const { return QLatin1Char(':') + m_Display; }

private:
    QProcess m_Process;
    QString m_Display;
};

// The X server and the application made on it, once for the process, ended in order when the tests
// are done: the application first, whose destruction shuts the web engine's browser threads down,
// then the server. A QApplication left alive at exit leaves those threads running while the process
// tears its statics down and the display goes away under them, which crashed a run now and then.
struct MGuiProcess
{
    std::unique_ptr<MXServer> server;
    std::unique_ptr<QApplication> app;
};

MGuiProcess& GuiProcess()
{
    static MGuiProcess process;
    return process;
}

class MGuiProcessEnd : public ::testing::Environment
{
public:
    void TearDown() override
    {
        MGuiProcess& process = GuiProcess();
        if (process.app) {
            QApplication::closeAllWindows();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            process.app.reset();
        }
        process.server.reset();
    }
};
[[maybe_unused]] ::testing::Environment* const kGuiProcessEnd = ::testing::AddGlobalTestEnvironment(new MGuiProcessEnd);

QApplication* App()
{
    MGuiProcess& process = GuiProcess();
    if (!process.server) {
        process.server = std::make_unique<MXServer>();
        if (!process.server->Ok())
            return nullptr;
        qputenv("DISPLAY", process.server->Display().toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        static int argc = 1;
        static char name[] = "gui-signin";
        static char* argv[] = {name, nullptr};
        process.app = std::make_unique<QApplication>(argc, argv);
        process.app->setQuitOnLastWindowClosed(false);
    }
    return process.app.get();
}

QString RunScript(QWebEngineView* view, const QString& script)
{
    // The answer may come after this has given up waiting (a loaded machine): it must then land in
    // something that still exists, not in this function's returned frame.
    struct MAnswer
    {
        QString result;
        bool done = false;
    };
    auto answer = std::make_shared<MAnswer>();
    view->page()->runJavaScript(script, [answer](const QVariant& value) {
        answer->result = value.toString();
        answer->done = true;
    });
    WaitUntil([&] { return answer->done; }, 15000);
    return answer->result;
}

// Waits until the page shows the element of `id`; answers whether it came.
bool Shows(QWebEngineView* view, const char* id)
{
    const QString script = QStringLiteral("document.getElementById('%1') ? 'y' : ''").arg(QLatin1String(id));
    return WaitUntil([&] { return !RunScript(view, script).isEmpty(); });
}

void Click(QWebEngineView* view, const char* id)
{
    RunScript(view, QStringLiteral("document.getElementById('%1').click(); 'ok'").arg(QLatin1String(id)));
}

class SigninEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!App())
            GTEST_SKIP() << "no Xvfb";
        emulator = DemoEmulator();
        ASSERT_NE(emulator, nullptr);
        origin = emulator->Origin();
        settings = dir.FilePath(QStringLiteral("zephapp.plist"));
        ASSERT_TRUE(WriteEmulatorHosts(settings, origin));
        InitAppPaths(dir.Path()); // the account of windows made without the controller
    }
    void TearDown() override { SetMessageBoxHandler(nullptr); }

    bool SawRequest(const QString& method, const QString& pathStart) const
    {
        for (const MEmuLoggedRequest& r : emulator->Requests()) {
            if (r.method == method && r.path.startsWith(pathStart))
                return true;
        }
        return false;
    }

    MTempDir dir;
    MEmulator* emulator = nullptr;
    QString origin;
    QString settings;
};

} // namespace

TEST_F(SigninEndToEnd, APersonalAccountSignsInThroughTheWebViewAndTheTreeIsShown)
{
    AppDelegate app(dir.Path());
    app.m_UpdateCheckEnabled = false;
    QStringList addresses;
    bool drove = false;
    app.RunLoginWindow = [&] {
        MWinLogin login;
        QObject::connect(
            login.WebView(), &QWebEngineView::urlChanged, [&](const QUrl& url) { addresses.append(url.toString()); });
        login.show();
        // The choice page, from the resources.
        ASSERT_TRUE(Shows(login.WebView(), "kind-personal"));
        emulator->ClearRequests();
        Click(login.WebView(), "kind-personal");

        // The signal address chose the kind and led to the service's sign-in page.
        ASSERT_TRUE(WaitUntil(
            [&] { return SawRequest(QStringLiteral("GET"), QStringLiteral("/common/oauth2/v2.0/authorize")); }));
        EXPECT_EQ(TheAccount().MSAccountType(), MAccount::Personal);
        ASSERT_TRUE(Shows(login.WebView(), "idSIButton9"));
        // The display name on the page is caught while it is shown.
        EXPECT_TRUE(WaitUntil(
            [&] { return login.m_BrowserDisplayName == QLatin1String("alex.morgan@outlook.example"); }, 5000));

        Click(login.WebView(), "idSIButton9");
        ASSERT_TRUE(WaitUntil([&] { return login.ModalResponse == 1; }));
        EXPECT_EQ(login.result(), QDialog::Accepted);
        drove = true;
    };
    ASSERT_TRUE(app.applicationDidFinishLaunching());
    ASSERT_TRUE(drove);

    for (const QString& address : addresses)
        EXPECT_FALSE(address.startsWith(QLatin1String("http://msalogin."))) << qPrintable(address);
    EXPECT_TRUE(SawRequest(QStringLiteral("POST"), QStringLiteral("/common/oauth2/v2.0/token")));

    const MConfig saved(settings);
    EXPECT_FALSE(saved.ReadValue(QStringLiteral("OnlineOneNoteAccessToken"), "").isEmpty());
    EXPECT_FALSE(saved.ReadValue(QStringLiteral("OnlineOneNoteRefreshToken"), "").isEmpty());
    EXPECT_FALSE(saved.ReadValue(QStringLiteral("OnlineOneNoteUserId"), "").isEmpty());
    EXPECT_EQ(saved.ReadValue(QStringLiteral("MSAccountType"), 0), 1);

    EXPECT_TRUE(app.window()->isVisible());
    ASSERT_TRUE(WaitUntil([&] { return !app.IsTreeLoading(); })); // fetched on a worker
    ASSERT_GT(app.Root().childCount(), 0u);
    EXPECT_EQ(app.window()->TreeModel()->rowCount(), int(app.Root().childCount()));
    EXPECT_TRUE(QFile::exists(AppPaths().notebookCache));
    app.window()->close();
}

TEST_F(SigninEndToEnd, TheOneNotePersonalKindSignsOutOfTheConsumerServiceFirst)
{
    AppDelegate app(dir.Path());
    app.m_UpdateCheckEnabled = false;
    app.RunLoginWindow = [&] {
        MWinLogin login;
        login.show();
        ASSERT_TRUE(Shows(login.WebView(), "kind-onenote"));
        Click(login.WebView(), "kind-onenote");
        // Sign-out page, then the desktop page without "removed=true", then the sign-in page.
        ASSERT_TRUE(
            WaitUntil([&] { return SawRequest(QStringLiteral("GET"), QStringLiteral("/oauth20_authorize.srf")); }));
        EXPECT_TRUE(SawRequest(QStringLiteral("GET"), QStringLiteral("/oauth20_logout.srf")));
        EXPECT_FALSE(login.m_Logout);
        ASSERT_TRUE(Shows(login.WebView(), "idSIButton9"));
        Click(login.WebView(), "idSIButton9");
        ASSERT_TRUE(WaitUntil([&] { return login.ModalResponse == 1; }));
    };
    ASSERT_TRUE(app.applicationDidFinishLaunching());
    EXPECT_EQ(TheAccount().MSAccountType(), MAccount::OneNotePersonal);
    EXPECT_TRUE(SawRequest(QStringLiteral("POST"), QStringLiteral("/oauth20_token.srf")));
    EXPECT_FALSE(TheAccount().UserId().isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return !app.IsTreeLoading(); }));
    EXPECT_GT(app.Root().childCount(), 0u);
    app.window()->close();
}

TEST_F(SigninEndToEnd, APageWithAVeryLongTitleDoesNotWidenTheWindow)
{
    MWinLogin login;
    login.show();
    ASSERT_TRUE(WaitUntil([&] { return !login.PageTitle().isEmpty(); }));
    QTest::qWait(100);
    const int before = login.frameGeometry().width();
    // What the title line shows before the service's page has its own title: the whole address.
    const QString title = QStringLiteral("https://login.example/authorize?") + QString(2000, QLatin1Char('a'));
    login.WebView()->setHtml(QStringLiteral("<html><head><title>%1</title></head><body>x</body></html>").arg(title));
    ASSERT_TRUE(WaitUntil([&] { return login.PageTitle() == title; }));
    QTest::qWait(200);
    EXPECT_LE(login.frameGeometry().width(), before);
    EXPECT_LE(login.frameGeometry().right(), login.screen()->availableGeometry().right() + 1);
}

TEST_F(SigninEndToEnd, ARedirectWithAnEmptyCodeOrAnotherStateIsNotExchanged)
{
    TheAccount().Reset();
    TheAccount().setMSAccountType(MAccount::GlobalWork);
    const QString state = QUrlQuery(QUrl(TheAccount().BeginAuthorization())).queryItemValue(QStringLiteral("state"));
    MWinLogin login;
    login.show();
    MRecordingMessageBoxScope boxes;
    const QString redirect = emulator->Origin() + QStringLiteral("/common/oauth2/nativeclient");
    login.HandleLoadFinished(redirect + QStringLiteral("?code=&state=") + state);
    EXPECT_TRUE(boxes->Messages().isEmpty());
    login.HandleLoadFinished(redirect + QStringLiteral("?code=C1&state=") + state + QStringLiteral("x"));
    EXPECT_EQ(boxes->Messages(), QStringList {Localized("guiLoginWrongState")});
    EXPECT_EQ(login.ModalResponse, 0);
    EXPECT_TRUE(login.isVisible());
    EXPECT_FALSE(SawRequest(QStringLiteral("POST"), QStringLiteral("/common/oauth2/v2.0/token")));
}

TEST_F(SigninEndToEnd, TheFirstStepTakesOnlyAnApplicationIdAndAnUnknownOneComesBackToIt)
{
    MConfig config(settings);
    config.RemoveValue(QStringLiteral("ClientId_Graph"));
    ASSERT_TRUE(config.Save());
    InitAppPaths(dir.Path());
    MWinLogin login;
    login.show();
    ASSERT_TRUE(login.IsClientIdStepShown());
    for (const char* wrong : {"", "my-app", "6731de76-14a6-49ae-97bc-6eba6914391"}) {
        login.tfClientId->setText(QLatin1String(wrong));
        QTest::mouseClick(login.mButtonContinue, Qt::LeftButton);
        EXPECT_TRUE(login.IsClientIdStepShown()) << wrong;
        EXPECT_FALSE(login.ClientIdProblem().isEmpty()) << wrong;
    }
    EXPECT_FALSE(MConfig(settings).Contains(QStringLiteral("ClientId_Graph")));

    // A GUID is kept; Microsoft (here the emulator) does not know this one, and the step comes back
    // saying so.
    const QString stranger = QStringLiteral("11111111-2222-3333-4444-555555555555");
    login.tfClientId->setText(stranger);
    QTest::keyClick(login.tfClientId, Qt::Key_Return);
    EXPECT_FALSE(login.IsClientIdStepShown());
    EXPECT_EQ(MConfig(settings).ReadValue(QStringLiteral("ClientId_Graph"), ""), stranger);
    ASSERT_TRUE(Shows(login.WebView(), "kind-work"));
    Click(login.WebView(), "kind-work");
    ASSERT_TRUE(WaitUntil([&] { return login.IsClientIdStepShown(); }));
    EXPECT_TRUE(login.ClientIdProblem().contains(stranger)) << login.ClientIdProblem().toStdString();
    EXPECT_EQ(login.tfClientId->text(), stranger);

    login.tfClientId->setText(QLatin1String(MEmulator::kApplicationId));
    ASSERT_TRUE(login.SubmitClientId());
    EXPECT_TRUE(Shows(login.WebView(), "idSIButton9"));
}

TEST(SigninPages, TheChinesePageOnlyForSimplifiedChinese)
{
    EXPECT_EQ(MWinLogin::StartPageName(QStringLiteral("zh-Hans-CN")), QStringLiteral("start-zh-Hans.html"));
    EXPECT_EQ(MWinLogin::StartPageName(QStringLiteral("zh-Hant-TW")), QStringLiteral("start.html"));
}

TEST(SigninPages, BothPagesOfferTheFourKindsOfAccount)
{
    for (const char* page : {"start.html", "start-zh-Hans.html"}) {
        const QString html = MWinLogin::StartPageHtml(QLatin1String(page));
        ASSERT_FALSE(html.isEmpty()) << page;
        for (const char* address :
            {"http://msalogin.mspa/", "http://msalogin.msgswa/", "http://msalogin.mscswa/", "http://msalogin.opa/"})
            EXPECT_TRUE(html.contains(QStringLiteral("href=\"%1\"").arg(QLatin1String(address))))
                << page << " lacks " << address;
    }
}
