#include "MWinLogin.h"

#include "MIcons.h"
#include "WindowSize.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "util/TextUtils.h"
#include "widgets/MElidedLabel.h"

#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {

// The pages may call window.external.JsCall(...); it is there and does nothing.
constexpr const char* kBridgeScript
    = "try { window.external = window.external || {}; window.external.JsCall = function () {}; } catch (e) {}";

constexpr const char* kDisplayNameScript
    = "(function () { var e = document.getElementById('displayName'); return e ? e.innerText : ''; })()";

// The sign-out address carries the whole sign-in address, "?" included, as one query value. A "?"
// inside a query is legal but some servers refuse it; "%3F" means the same to every server that
// decodes its query, as the identity service does.
QUrl WebAddress(const QString& address)
{
    const qsizetype query = address.indexOf(QLatin1Char('?'));
    if (query < 0)
        return QUrl(address);
    QString rest = address.mid(query + 1);
    rest.replace(QLatin1Char('?'), QLatin1String("%3F"));
    return QUrl(address.left(query + 1) + rest);
}

QString FirstPreferredLanguage()
{
    const QStringList languages = QLocale::system().uiLanguages();
    return languages.isEmpty() ? QString() : languages.first();
}

} // namespace

MLoginPage::MLoginPage(QWebEngineProfile* profile, std::function<bool(const QUrl&)> onNavigation, QObject* parent)
    : QWebEnginePage(profile, parent)
    , m_OnNavigation(std::move(onNavigation))
{ }

bool MLoginPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && m_OnNavigation && m_OnNavigation(url))
        return false;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

MWinLogin::MWinLogin(bool logInOrOut, QWidget* parent)
    : QDialog(parent)
    , LogInOrOut(logInOrOut)
{
    setWindowTitle(Localized("guiLoginTitle"));
    setWindowIcon(ResourceIcon(QStringLiteral("Pagewright")));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The title line shows the page's address until the page's own title arrives; a sign-in
    // address is some two thousand characters long, and the window must keep its size.
    labelShowTitle = new MElidedLabel(this);
    labelShowTitle->setObjectName(QStringLiteral("labelShowTitle"));
    labelShowTitle->setContentsMargins(12, 6, 12, 6);
    labelShowTitle->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(labelShowTitle);
    m_Progress = new QProgressBar(this);
    m_Progress->setTextVisible(false);
    m_Progress->setFixedHeight(3);
    m_Progress->setRange(0, 100);
    layout->addWidget(m_Progress);

    // A private profile: no cookie or cache of one sign-in outlives the window.
    m_Profile = new QWebEngineProfile(this);
    QWebEngineScript bridge;
    bridge.setName(QStringLiteral("external"));
    bridge.setSourceCode(QLatin1String(kBridgeScript));
    bridge.setInjectionPoint(QWebEngineScript::DocumentCreation);
    bridge.setWorldId(QWebEngineScript::MainWorld);
    m_Profile->scripts()->insert(bridge);

    WebViewWin = new QWebEngineView(this);
    WebViewWin->setObjectName(QStringLiteral("WebViewWin"));
    auto* page = new MLoginPage(
        m_Profile, [this](const QUrl& url) { return HandleLoadStart(url.toString()); }, WebViewWin);
    WebViewWin->setPage(page);
    layout->addWidget(WebViewWin, 1);

    connect(WebViewWin, &QWebEngineView::titleChanged, labelShowTitle, &MElidedLabel::SetFullText);
    connect(WebViewWin, &QWebEngineView::loadProgress, m_Progress, &QProgressBar::setValue);
    connect(WebViewWin, &QWebEngineView::loadStarted, m_Progress, [this] { m_Progress->setVisible(true); });
    connect(WebViewWin, &QWebEngineView::loadFinished, this, [this](bool) {
        m_Progress->setVisible(false);
        PollDisplayName();
        HandleLoadFinished(WebViewWin->url().toString());
    });
    // The display name appears while the user types on the service's pages, not only on a load.
    m_DisplayNameTimer = new QTimer(this);
    m_DisplayNameTimer->setInterval(700);
    connect(m_DisplayNameTimer, &QTimer::timeout, this, &MWinLogin::PollDisplayName);
    m_DisplayNameTimer->start();

    ResizeToFit(this, QSize(760, 700));
    ModalResponse = 0;
    if (LogInOrOut)
        Logout();
    else
        Login();
}

MWinLogin::~MWinLogin()
{
    // The page must go before the profile it was made with.
    delete WebViewWin;
    WebViewWin = nullptr;
}

QString MWinLogin::StartPageName(const QString& firstPreferredLanguage)
{
    return firstPreferredLanguage.startsWith(QLatin1String("zh-Hans")) ? QStringLiteral("start-zh-Hans.html")
                                                                       : QStringLiteral("start.html");
}

QString MWinLogin::StartPageHtml(const QString& pageName)
{
    ResourceIcon(QStringLiteral("Pagewright")); // makes sure the resources are registered
    QFile file(QStringLiteral(":/web/%1").arg(pageName));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString MWinLogin::PageTitle() const
{
    return labelShowTitle->FullText();
}

void MWinLogin::Login()
{
    m_BrowserDisplayName.clear();
    const QString name = StartPageName(FirstPreferredLanguage());
    WebViewWin->setHtml(StartPageHtml(name), QUrl(QStringLiteral("qrc:/web/")));
}

void MWinLogin::Logout()
{
    m_BrowserDisplayName.clear();
    m_Logout = true;
    TheAccount().Reset();
    SaveGlobalSettings();
    LoadUrl(TheAccount().GetLogoutUrl());
}

void MWinLogin::StartMicrosoftLoginWebPage()
{
    // Choosing a kind of account signs the previous one out, on disk too.
    TheAccount().Reset();
    SaveGlobalSettings();
    LoadUrl(TheAccount().GetLoginUrl());
}

void MWinLogin::LoadUrl(const QString& url)
{
    WebViewWin->setUrl(WebAddress(url));
}

bool MWinLogin::HandleLoadStart(const QString& url)
{
    if (!TheAccount().SetAccountTypeByUrl(url))
        return false;
    const int type = TheAccount().MSAccountType();
    // Loading from inside the navigation callback would re-enter it: start the next page afterwards.
    if (type == MAccount::OneNotePersonal)
        QTimer::singleShot(0, this, &MWinLogin::Logout);
    else if (type != MAccount::NoAccount)
        QTimer::singleShot(0, this, &MWinLogin::StartMicrosoftLoginWebPage);
    return true;
}

void MWinLogin::HandleLoadFinished(const QString& url)
{
    if (url.contains(QLatin1String("?code="))) {
        const QString code = GetFieldValueFromURL(url, QStringLiteral("code"));
        if (code.isEmpty())
            return;
        MAccount& account = TheAccount();
        account.setOnlineOneNoteCode(code);
        account.GetTokens(true, m_BrowserDisplayName);
        if (!account.UserId().isEmpty()) {
            ModalResponse = 1;
            accept();
        }
        return;
    }
    const QString desktopPage = TheAccount().Endpoints().consumerLogin + QStringLiteral("/oauth20_desktop.srf?");
    if (url.startsWith(desktopPage) && !url.contains(QLatin1String("removed=true"))) {
        m_Logout = false;
        StartMicrosoftLoginWebPage();
    }
}

void MWinLogin::HandleDisplayNameText(const QString& text)
{
    if (text.contains(QLatin1Char('@')) && text.contains(QLatin1Char('.')))
        m_BrowserDisplayName = text;
}

void MWinLogin::PollDisplayName()
{
    WebViewWin->page()->runJavaScript(QLatin1String(kDisplayNameScript),
        [this](const QVariant& result) { HandleDisplayNameText(result.toString()); });
}
