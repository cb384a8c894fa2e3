#include "MWinLogin.h"

#include "MIcons.h"
#include "MWinGuide.h"
#include "MessageBox.h"
#include "WindowSize.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "tasks/MPageCache.h"
#include "util/TextUtils.h"
#include "widgets/MElidedLabel.h"

#include <QFile>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
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

constexpr const char* kPageTextScript = "document.body ? document.body.innerText : ''";

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
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_Pages = new QStackedWidget(this);
    outer->addWidget(m_Pages);
    m_ClientIdStep = CreateClientIdStep();
    m_Pages->addWidget(m_ClientIdStep);
    m_WebPage = new QWidget(this);
    m_Pages->addWidget(m_WebPage);
    m_Pages->setCurrentWidget(m_WebPage);
    auto* layout = new QVBoxLayout(m_WebPage);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The title line shows the page's address until the page's own title arrives; a sign-in
    // address is some two thousand characters long, and the window must keep its size.
    labelShowTitle = new MElidedLabel(m_WebPage);
    labelShowTitle->setObjectName(QStringLiteral("labelShowTitle"));
    labelShowTitle->setContentsMargins(12, 6, 12, 6);
    labelShowTitle->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(labelShowTitle);
    m_Progress = new QProgressBar(m_WebPage);
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

    WebViewWin = new QWebEngineView(m_WebPage);
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
        CheckPageText();
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
    else if (TheAccount().GetAPIClientID(MAccount::Personal).isEmpty())
        ShowClientIdStep(MAccount::Personal, QString(), [this] { Login(); });
    else
        Login();
}

QWidget* MWinLogin::CreateClientIdStep()
{
    auto* step = new QWidget(this);
    step->setObjectName(QStringLiteral("clientIdStep"));
    auto* outer = new QGridLayout(step);
    outer->setRowStretch(0, 2);
    outer->setRowStretch(2, 3);
    outer->setColumnStretch(0, 1);
    outer->setColumnStretch(2, 1);
    // A card in the window's own palette (light or dark), with the accent of the choice page.
    auto* card = new QFrame(step);
    card->setObjectName(QStringLiteral("clientIdCard"));
    card->setMaximumWidth(560);
    card->setStyleSheet(QStringLiteral(
        "QFrame#clientIdCard { background: palette(base); border: 1px solid palette(mid); border-radius: 12px; }"
        "QPushButton#mButtonContinue { background: #7b3fb8; color: white; border: none; border-radius: 6px;"
        " padding: 7px 24px; font-weight: 600; }"
        "QPushButton#mButtonContinue:hover { background: #6a32a3; }"
        "QPushButton#mButtonContinue:pressed { background: #5a2a8c; }"));
    outer->addWidget(card, 1, 1);
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(32, 28, 32, 28);
    layout->setSpacing(12);

    auto* icon = new QLabel(card);
    icon->setPixmap(ResourceIcon(QStringLiteral("Pagewright")).pixmap(QSize(56, 56)));
    layout->addWidget(icon);
    auto* title = new QLabel(Localized("guiLoginIdTitle"), card);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setWordWrap(true);
    layout->addWidget(title);
    m_ClientIdIntro = new QLabel(card);
    m_ClientIdIntro->setWordWrap(true);
    layout->addWidget(m_ClientIdIntro);
    auto* guide = new QLabel(
        QStringLiteral("<a href=\"guide\">%1</a>").arg(Localized("guiLoginIdGuide").toHtmlEscaped()), card);
    guide->setObjectName(QStringLiteral("guideLink"));
    guide->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(guide, &QLabel::linkActivated, this, [this] { MWinGuide::Open(this); });
    layout->addWidget(guide);
    layout->addSpacing(8);

    auto* fieldLabel = new QLabel(Localized("guiLoginIdField"), card);
    QFont labelFont = fieldLabel->font();
    labelFont.setBold(true);
    fieldLabel->setFont(labelFont);
    layout->addWidget(fieldLabel);
    tfClientId = new QLineEdit(card);
    tfClientId->setObjectName(QStringLiteral("tfClientId"));
    tfClientId->setPlaceholderText(QStringLiteral("00000000-0000-0000-0000-000000000000"));
    tfClientId->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    tfClientId->setMinimumHeight(tfClientId->sizeHint().height() + 6);
    fieldLabel->setBuddy(tfClientId);
    connect(tfClientId, &QLineEdit::returnPressed, this, &MWinLogin::SubmitClientId);
    layout->addWidget(tfClientId);
    m_ClientIdProblem = new QLabel(card);
    m_ClientIdProblem->setObjectName(QStringLiteral("clientIdProblem"));
    m_ClientIdProblem->setWordWrap(true);
    m_ClientIdProblem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_ClientIdProblem->setStyleSheet(QStringLiteral("QLabel { color: #c42b1c; }"));
    m_ClientIdProblem->hide();
    layout->addWidget(m_ClientIdProblem);

    auto* row = new QHBoxLayout();
    row->addStretch(1);
    mButtonContinue = new QPushButton(Localized("guiLoginIdContinue"), card);
    mButtonContinue->setObjectName(QStringLiteral("mButtonContinue"));
    mButtonContinue->setMinimumWidth(120);
    connect(mButtonContinue, &QPushButton::clicked, this, &MWinLogin::SubmitClientId);
    row->addWidget(mButtonContinue);
    layout->addLayout(row);
    return step;
}

void MWinLogin::ShowClientIdStep(int type, const QString& problem, std::function<void()> next)
{
    m_ClientIdType = type;
    m_AfterClientId = std::move(next);
    m_ClientIdIntro->setText(
        Localized(type == MAccount::OneNotePersonal ? "guiLoginIdIntroOneNote" : "guiLoginIdIntro"));
    tfClientId->setText(TheAccount().GetAPIClientID(type));
    m_ClientIdProblem->setText(problem);
    m_ClientIdProblem->setVisible(!problem.isEmpty());
    m_Pages->setCurrentWidget(m_ClientIdStep);
    tfClientId->setFocus();
}

bool MWinLogin::IsClientIdStepShown() const
{
    return m_Pages->currentWidget() == m_ClientIdStep;
}

QString MWinLogin::ClientIdProblem() const
{
    return m_ClientIdProblem->isHidden() ? QString() : m_ClientIdProblem->text();
}

bool MWinLogin::SubmitClientId()
{
    const QString id = tfClientId->text().trimmed();
    QString problem;
    if (!IsApplicationId(id))
        problem = Localized("msgNotApplicationId").arg(id);
    else if (!TheAccount().SaveClientId(m_ClientIdType, id))
        problem = Localized("guiLoginIdNotSaved").arg(TheAccount().SettingsFile());
    if (!problem.isEmpty()) {
        m_ClientIdProblem->setText(problem);
        m_ClientIdProblem->show();
        tfClientId->setFocus();
        tfClientId->selectAll();
        return false;
    }
    m_ClientIdProblem->clear();
    m_ClientIdProblem->hide();
    m_Pages->setCurrentWidget(m_WebPage);
    if (const std::function<void()> next = std::exchange(m_AfterClientId, nullptr))
        next();
    return true;
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
    ForgetCachedPages(TheAccount().UserId());
    TheAccount().Reset();
    SaveGlobalSettings();
    LoadUrl(TheAccount().GetLogoutUrl());
}

void MWinLogin::StartMicrosoftLoginWebPage()
{
    // Choosing a kind of account signs the previous one out, on disk too, its cached pages with it.
    ForgetCachedPages(TheAccount().UserId());
    TheAccount().Reset();
    SaveGlobalSettings();
    LoadUrl(TheAccount().BeginAuthorization());
}

void MWinLogin::ContinueWithKind(int type)
{
    if (TheAccount().GetAPIClientID(type).isEmpty())
        ShowClientIdStep(type, QString(), [this, type] { ContinueWithKind(type); });
    else if (type == MAccount::OneNotePersonal)
        Logout();
    else
        StartMicrosoftLoginWebPage();
}

void MWinLogin::ShowUnknownApplication(int type)
{
    ShowClientIdStep(
        type, UnknownApplicationMessage(TheAccount().GetAPIClientID(type)), [this, type] { ContinueWithKind(type); });
}

void MWinLogin::HandleRefusal(const MIdentityError& error)
{
    if (error.IsUnknownApplication()) {
        ShowUnknownApplication(TheAccount().MSAccountType());
        return;
    }
    ShowMessageBox(Localized("guiLoginRefused").arg(error.description.isEmpty() ? error.error : error.description));
    Login();
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
    if (type != MAccount::NoAccount)
        QTimer::singleShot(0, this, [this, type] { ContinueWithKind(type); });
    return true;
}

void MWinLogin::HandleLoadFinished(const QString& url)
{
    MAccount& account = TheAccount();
    const bool toApplication = url.startsWith(account.GetLoginRedirectUrl() + QLatin1Char('?'));
    if (url.contains(QLatin1String("?code=")) || (toApplication && url.contains(QLatin1String("error=")))) {
        const MAuthorizationReply reply = account.ReadAuthorizationReply(url);
        if (reply.error) {
            HandleRefusal(*reply.error);
            return;
        }
        if (reply.code.isEmpty())
            return;
        if (!reply.stateMatches) {
            // Not the answer to the request this window sent: a code it did not ask for is not taken.
            ShowMessageBox(Localized("guiLoginWrongState"));
            StartMicrosoftLoginWebPage();
            return;
        }
        account.setOnlineOneNoteCode(reply.code);
        if (const MTokenFailure failure = account.GetTokens(m_BrowserDisplayName))
            ShowMessageBox(*failure);
        if (!account.UserId().isEmpty()) {
            ModalResponse = 1;
            accept();
        } else if (const std::optional<MIdentityError> error = account.LastSignInError();
                   error && error->IsUnknownApplication()) {
            ShowUnknownApplication(account.MSAccountType());
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

void MWinLogin::HandlePageText(const QString& text)
{
    if (text.contains(QLatin1String("AADSTS700016")) && !IsClientIdStepShown())
        ShowUnknownApplication(TheAccount().MSAccountType());
}

void MWinLogin::CheckPageText()
{
    WebViewWin->page()->runJavaScript(
        QLatin1String(kPageTextScript), [this](const QVariant& result) { HandlePageText(result.toString()); });
}

void MWinLogin::PollDisplayName()
{
    WebViewWin->page()->runJavaScript(QLatin1String(kDisplayNameScript),
        [this](const QVariant& result) { HandleDisplayNameText(result.toString()); });
}
