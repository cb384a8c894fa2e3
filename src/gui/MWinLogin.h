#pragma once

#include "account/MIdentityAnswers.h"

#include <QDialog>
#include <QWebEnginePage>
#include <functional>

class MElidedLabel;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTimer;
class QWebEngineProfile;
class QWebEngineView;

// Hands every main-frame navigation to the window before a request is made, so the choice page's
// signal addresses ("http://msalogin....") never reach the network.
class MLoginPage : public QWebEnginePage
{
    Q_OBJECT
public:
    MLoginPage(QWebEngineProfile* profile, std::function<bool(const QUrl&)> onNavigation, QObject* parent);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    std::function<bool(const QUrl&)> m_OnNavigation;
};

// The sign-in window: the local account-choice page, then the service's sign-in pages for the chosen
// kind of account; the authorization code is caught from the address the service redirects to,
// exchanged for tokens, and the window closes once a user id is known (ModalResponse 1).
// Before that, where no application id is set for the kind of account (or Microsoft does not know
// the one set), the window's application-id step says so, links the registration guide and takes
// the id. Every sign-in address carries a PKCE challenge and a state; a redirect with another state
// is refused.
class MWinLogin : public QDialog
{
    Q_OBJECT
public:
    // `logInOrOut`: false signs in (what the program uses), true signs out.
    explicit MWinLogin(bool logInOrOut = false, QWidget* parent = nullptr);
    ~MWinLogin() override;

    int ModalResponse = 0;
    bool m_Logout = false;
    QString m_BrowserDisplayName;
    const bool LogInOrOut;

    // "start-zh-Hans.html" when the first preferred language begins with "zh-Hans", else "start.html".
    static QString StartPageName(const QString& firstPreferredLanguage);
    static QString StartPageHtml(const QString& pageName);

    void Login();
    void Logout();
    void StartMicrosoftLoginWebPage();

    // What the web view's events do, callable on their own.
    // A navigation is about to start; true when it was a signal address (and is not to be loaded).
    bool HandleLoadStart(const QString& url);
    void HandleLoadFinished(const QString& url);
    void HandleDisplayNameText(const QString& text);
    // A page of the service that only says it does not know the application id (AADSTS700016)
    // leads to the application-id step.
    void HandlePageText(const QString& text);

    // The application-id step for `type` (its id's setting), with `problem` above the field ("" for
    // none); Continue runs `next` once an id is kept.
    void ShowClientIdStep(int type, const QString& problem, std::function<void()> next);
    bool IsClientIdStepShown() const;
    // Continue: an application id (a GUID) is saved for the step's kind and the sign-in goes on;
    // anything else is refused with a message under the field. True when the id was kept.
    bool SubmitClientId();
    QString ClientIdProblem() const;
    QLineEdit* tfClientId = nullptr;
    QPushButton* mButtonContinue = nullptr;

    QWebEngineView* WebView() const { return WebViewWin; }
    QString PageTitle() const;

private:
    QWidget* CreateClientIdStep();
    void LoadUrl(const QString& url);
    void PollDisplayName();
    void CheckPageText();
    // Goes on with a chosen kind of account: the OneNote kind signs out of the consumer service first.
    void ContinueWithKind(int type);
    void HandleRefusal(const MIdentityError& error);
    void ShowUnknownApplication(int type);

    QWebEngineProfile* m_Profile = nullptr;
    QWebEngineView* WebViewWin = nullptr;
    MElidedLabel* labelShowTitle = nullptr;
    QProgressBar* m_Progress = nullptr;
    QTimer* m_DisplayNameTimer = nullptr;
    QStackedWidget* m_Pages = nullptr;
    QWidget* m_ClientIdStep = nullptr;
    QWidget* m_WebPage = nullptr;
    QLabel* m_ClientIdIntro = nullptr;
    QLabel* m_ClientIdProblem = nullptr;
    int m_ClientIdType = 0;
    std::function<void()> m_AfterClientId;
};
