#pragma once

#include "model/MNotebookNode.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class MMainWindow;
class MPanelBase;
class MTreeLoader;
struct MTreeBuildResult;
class MUpdateCheck;
class MViewAccount;

// The application's controller: start-up, the main window and its tree, the feature panels (each
// made once and kept), the menu commands and the one-second timer of the update check.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    // `appFolder` replaces the platform's application folder (tests); empty for the real one.
    explicit AppDelegate(QString appFolder = QString(), QObject* parent = nullptr);
    ~AppDelegate() override;

    // Runs the start-up; false when the program is to end (nobody signed in).
    bool applicationDidFinishLaunching();

    // How the sign-in window is shown; tests replace it. Returns when the window has closed.
    std::function<void()> RunLoginWindow;
    // Whether the update check runs on the timer (tests switch it off).
    bool m_UpdateCheckEnabled = true;

    MMainWindow* window() const { return m_Window.get(); }
    MNotebookNode& Root() { return m_ObjectTree; }

    void LoginAccount();
    void MenuItemRefreshTreeClick();
    void MenuItemCheckAllTreeClick();
    void MenuItemUncheckAllTreeClick();
    void MenuItemOpenNotebookClick();
    void MenuItemNotebookInfoClick();
    void MenuItemPreferencesClick();
    void MenuItemAboutClick();
    void MenuItemHelpClick();
    void MenuItemEnableLogClick();
    void ShowMenuItemLoginCaption();
    void TimerRun();

    // Builds the tree (from the cache unless `fetch`), reloading the outline when `reloadData`. A
    // cached tree is read at once; a fetch runs on a worker while the window goes on working, and
    // the new tree takes the old one's place when it has arrived (TreeLoaded). Runs that are going
    // on keep the snapshot they started with.
    void CreateNotebooksTree(bool fetch, bool reloadData);
    bool IsTreeLoading() const;

    static QString HelpPageUrl();

signals:
    // A fetch has ended; the outline shows its tree (or the old one when nothing came).
    void TreeLoaded();

private:
    void CreatePanels();
    void ConnectMenus();
    void CreateTimer();
    void TreeArrived(const std::shared_ptr<MNotebookNode>& fresh, const MTreeBuildResult& result);

    QString m_AppFolder;
    QString m_WindowTitle;
    MNotebookNode m_ObjectTree;
    std::unique_ptr<MMainWindow> m_Window;
    std::unique_ptr<MUpdateCheck> m_UpdateCheck;
    MTreeLoader* m_TreeLoader = nullptr;
    QTimer m_Timer;

    // The thirteen feature panels, created in this order in CreatePanels; a null one is not built yet
    // and its buttons stay disabled (a panel made there enables them). The main window owns them.
    MPanelBase* m_ViewListTags = nullptr;
    MPanelBase* m_ViewListAttachments = nullptr;
    MPanelBase* m_ViewReplace = nullptr;
    MPanelBase* m_ViewSearch = nullptr;
    MPanelBase* m_ViewFindLost = nullptr;
    MPanelBase* m_ViewSectionSize = nullptr;
    MPanelBase* m_ViewCopySections = nullptr;
    MPanelBase* m_ViewExport = nullptr;
    MPanelBase* m_ViewImport = nullptr;
    MPanelBase* m_ViewImportTree = nullptr;
    MPanelBase* m_ViewImportEvernote = nullptr;
    MPanelBase* m_ViewRestore = nullptr;
    MViewAccount* m_ViewAccount = nullptr;
};
