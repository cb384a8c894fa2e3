#pragma once

#include <QDialog>
#include <QWebEnginePage>
#include <functional>

class MElidedLabel;
class QProgressBar;
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

    QWebEngineView* WebView() const { return WebViewWin; }
    QString PageTitle() const;

private:
    void LoadUrl(const QString& url);
    void PollDisplayName();

    QWebEngineProfile* m_Profile = nullptr;
    QWebEngineView* WebViewWin = nullptr;
    MElidedLabel* labelShowTitle = nullptr;
    QProgressBar* m_Progress = nullptr;
    QTimer* m_DisplayNameTimer = nullptr;
};
