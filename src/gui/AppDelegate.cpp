#include "AppDelegate.h"

#include "MDesktopMessageBox.h"
#include "MMainWindow.h"
#include "MTreeLoader.h"
#include "MTreeModel.h"
#include "MWinAbout.h"
#include "MWinLogin.h"
#include "MWinNotebookInfo.h"
#include "MWinOptions.h"
#include "UpdateCheck.h"
#include "account/MAccount.h"
#include "account/MTokenStore.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "model/MNotebookTree.h"
#include "model/MOLONUtils.h"
#include "panels/MViewAccount.h"
#include "panels/MViewCopySections.h"
#include "panels/MViewEvernote.h"
#include "panels/MViewExport.h"
#include "panels/MViewFindLost.h"
#include "panels/MViewImport.h"
#include "panels/MViewImportTree.h"
#include "panels/MViewListAttachments.h"
#include "panels/MViewListTags.h"
#include "panels/MViewReplace.h"
#include "panels/MViewRestore.h"
#include "panels/MViewSearch.h"
#include "panels/MViewSectionSize.h"
#include "util/FileUtils.h"
#include "widgets/MCheckBoxStyle.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTreeView>

AppDelegate::AppDelegate(QString appFolder, QObject* parent)
    : QObject(parent)
    , m_AppFolder(std::move(appFolder))
{
    RunLoginWindow = [this] {
        MWinLogin login(false, m_Window && m_Window->isVisible() ? m_Window.get() : nullptr);
        login.exec();
    };
}

AppDelegate::~AppDelegate()
{
    SetTokenStoreWarningHandler(nullptr);
}

bool AppDelegate::applicationDidFinishLaunching()
{
    // A keyring that does not answer is said once, in the status line: the window may not be there
    // yet, and the warning may come from a worker's token refresh.
    const QPointer<AppDelegate> self(this);
    SetTokenStoreWarningHandler([self](const QString& text) {
        QMetaObject::invokeMethod(
            qApp,
            [self, text] {
                if (self && self->m_Window)
                    self->m_Window->ShowNotice(text);
            },
            Qt::QueuedConnection);
    });
    InitAppPaths(m_AppFolder);
    InstallDesktopHandlers();
    MCheckBoxStyle::Install();
    MPanelBase::SetSharedTree(&m_ObjectTree);
    m_Window = std::make_unique<MMainWindow>(&m_ObjectTree);
    m_TreeLoader = new MTreeLoader(TheAccount(), AppPaths().notebookCache, m_Window.get(), this);
    connect(m_TreeLoader, &MTreeLoader::Loaded, this, &AppDelegate::TreeArrived);
    CreatePanels();
    ConnectMenus();
    m_WindowTitle = m_Window->windowTitle();

    // The sign-in window may be the only window for a while: closing it must not end the program
    // before it has been decided whether anybody signed in.
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    MAccount& account = TheAccount();
    if (!account.OnlineOneNoteAccessToken().isEmpty() && !account.UserId().isEmpty()) {
        m_Window->show();
        CreateNotebooksTree(false, true);
    } else {
        RunLoginWindow();
        if (account.UserId().isEmpty()) {
            QApplication::setQuitOnLastWindowClosed(quitOnClose);
            return false;
        }
        m_Window->show();
        CreateNotebooksTree(true, true);
    }
    QApplication::setQuitOnLastWindowClosed(quitOnClose);

    ShowMenuItemLoginCaption();
    m_Window->ShowButtonAndPanel(ButtonId(MFeature::ListTags));
    m_Window->mMenuItemEnableLog->setChecked(GlobalSettings().EnableLog.load());
    CreateTimer();
    return true;
}

void AppDelegate::CreatePanels()
{
    m_ViewAccount = new MViewAccount();
    m_ViewAccount->SetLoginAction([this] { LoginAccount(); });
    auto* evernote = new MViewEvernote();
    connect(evernote, &MViewEvernote::SectionsCreated, this, [this] { CreateNotebooksTree(true, true); });
    m_ViewImportEvernote = evernote;
    m_ViewExport = new MViewExport();
    m_ViewListTags = new MViewListTags();
    m_ViewListAttachments = new MViewListAttachments();
    m_ViewReplace = new MViewReplace();
    m_ViewSearch = new MViewSearch();
    m_ViewImport = new MViewImport();
    auto* importTree = new MViewImportTree();
    connect(importTree, &MViewImportTree::SectionsCreated, this, [this] { CreateNotebooksTree(true, true); });
    m_ViewImportTree = importTree;
    m_ViewFindLost = new MViewFindLost();
    m_ViewSectionSize = new MViewSectionSize();
    m_ViewCopySections = new MViewCopySections();
    m_ViewRestore = new MViewRestore();
    m_Window->SetPanel(MPanelKind::ListTags, m_ViewListTags);
    m_Window->SetPanel(MPanelKind::ListAttachments, m_ViewListAttachments);
    m_Window->SetPanel(MPanelKind::Replace, m_ViewReplace);
    m_Window->SetPanel(MPanelKind::Search, m_ViewSearch);
    m_Window->SetPanel(MPanelKind::FindLost, m_ViewFindLost);
    m_Window->SetPanel(MPanelKind::SectionSize, m_ViewSectionSize);
    m_Window->SetPanel(MPanelKind::CopySections, m_ViewCopySections);
    m_Window->SetPanel(MPanelKind::Export, m_ViewExport);
    m_Window->SetPanel(MPanelKind::Import, m_ViewImport);
    m_Window->SetPanel(MPanelKind::ImportTree, m_ViewImportTree);
    m_Window->SetPanel(MPanelKind::ImportEvernote, m_ViewImportEvernote);
    m_Window->SetPanel(MPanelKind::Restore, m_ViewRestore);
    m_Window->SetPanel(MPanelKind::Account, m_ViewAccount);
}

void AppDelegate::ConnectMenus()
{
    MMainWindow* w = m_Window.get();
    connect(w->mMenuItemLogin, &QAction::triggered, this, &AppDelegate::LoginAccount);
    connect(w->mMenuItemRefreshTree, &QAction::triggered, this, &AppDelegate::MenuItemRefreshTreeClick);
    connect(w->mMenuItemEnableLog, &QAction::triggered, this, &AppDelegate::MenuItemEnableLogClick);
    connect(w->mMenuItemPreferences, &QAction::triggered, this, &AppDelegate::MenuItemPreferencesClick);
    connect(w->mMenuItemQuit, &QAction::triggered, w, &QWidget::close);
    connect(w->mMenuItemCheckAllTree, &QAction::triggered, this, &AppDelegate::MenuItemCheckAllTreeClick);
    connect(w->mMenuItemUncheckAllTree, &QAction::triggered, this, &AppDelegate::MenuItemUncheckAllTreeClick);
    connect(w->mMenuItemOpenNotebook, &QAction::triggered, this, &AppDelegate::MenuItemOpenNotebookClick);
    connect(w->mMenuItemNotebookInfo, &QAction::triggered, this, &AppDelegate::MenuItemNotebookInfoClick);
    connect(w->mMenuItemHelp, &QAction::triggered, this, &AppDelegate::MenuItemHelpClick);
    connect(w->mMenuItemAbout, &QAction::triggered, this, &AppDelegate::MenuItemAboutClick);
}

void AppDelegate::CreateTimer()
{
    m_UpdateCheck = std::make_unique<MUpdateCheck>(TheAccount().Endpoints().makerWeb, AppPaths().updateInfoFile,
        AppPaths().settingsFile, ApplicationVersion(),
        MUpdateCheckHooks {.taskRunning = [] { return MPanelBase::AnyBusy(); },
            .openPage = [](const QString& url) { OpenInBrowser(url); }});
    m_Timer.setInterval(1000);
    connect(&m_Timer, &QTimer::timeout, this, &AppDelegate::TimerRun);
    m_Timer.start();
}

void AppDelegate::TimerRun()
{
    if (m_UpdateCheckEnabled && m_UpdateCheck)
        m_UpdateCheck->TimerRun();
}

void AppDelegate::CreateNotebooksTree(bool fetch, bool reloadData)
{
    const QString cache = AppPaths().notebookCache;
    const bool cached = !fetch && !ReadTextFile(cache).value_or(QString()).isEmpty();
    if (!cached || m_TreeLoader->IsBusy()) {
        m_Window->SetTreeLoading(true);
        m_TreeLoader->Start(fetch);
        return;
    }
    // No request is made for a cached tree: it is read here, at once.
    MNotebookNode fresh;
    MNotebookTree tree(TheAccount(), fresh, cache, m_Window.get());
    if (tree.CreateNotebooksTree(false, false).built)
        m_Window->TreeModel()->ReplaceChildren(fresh);
    if (reloadData)
        m_Window->OutlineTree()->expandToDepth(0);
}

void AppDelegate::TreeArrived(const std::shared_ptr<MNotebookNode>& fresh, const MTreeBuildResult& result)
{
    // Signed out while the request was out: the tree is no longer this user's to see.
    if (result.built && !TheAccount().OnlineOneNoteAccessToken().isEmpty()) {
        m_Window->TreeModel()->ReplaceChildren(*fresh);
        m_Window->OutlineTree()->expandToDepth(0);
    }
    m_Window->SetTreeLoading(m_TreeLoader->IsBusy());
    emit TreeLoaded();
}

bool AppDelegate::IsTreeLoading() const
{
    return m_TreeLoader && m_TreeLoader->IsBusy();
}

void AppDelegate::ShowMenuItemLoginCaption()
{
    const bool hasToken = !TheAccount().OnlineOneNoteAccessToken().isEmpty();
    m_Window->mMenuItemLogin->setText(Localized(hasToken ? "strReLogin" : "strLogin"));
}

void AppDelegate::LoginAccount()
{
    MAccount& account = TheAccount();
    const QString before = account.OnlineOneNoteAccessToken();
    RunLoginWindow();
    if (account.OnlineOneNoteAccessToken() == before)
        return;
    if (account.UserId().isEmpty())
        return;
    if (!account.OnlineOneNoteAccessToken().isEmpty()) {
        ShowMenuItemLoginCaption();
        CreateNotebooksTree(true, true);
    } else {
        MNotebookNode nothing;
        m_Window->TreeModel()->ReplaceChildren(nothing);
        ShowMenuItemLoginCaption();
    }
}

void AppDelegate::MenuItemRefreshTreeClick()
{
    if (TheAccount().OnlineOneNoteAccessToken().isEmpty())
        return;
    CreateNotebooksTree(true, true);
}

void AppDelegate::MenuItemCheckAllTreeClick()
{
    m_Window->TreeModel()->SetAllChecked(true);
}

void AppDelegate::MenuItemUncheckAllTreeClick()
{
    m_Window->TreeModel()->SetAllChecked(false);
}

void AppDelegate::MenuItemOpenNotebookClick()
{
    const MNotebookNode* node = m_Window->SelectedNode();
    if (!node || node->kind != MNodeKind::Notebook)
        return;
    OpenLinkInOneNote(node->clientUrl);
}

void AppDelegate::MenuItemNotebookInfoClick()
{
    const MNotebookNode* node = m_Window->SelectedNode();
    if (!node || node->kind != MNodeKind::Notebook)
        return;
    MWinNotebookInfo info(m_Window.get());
    info.SetONObj(node);
    info.exec();
}

void AppDelegate::MenuItemPreferencesClick()
{
    MWinOptions options(m_Window.get());
    options.exec();
}

void AppDelegate::MenuItemAboutClick()
{
    MWinAbout about(m_Window.get());
    about.exec();
}

QString AppDelegate::HelpPageUrl()
{
    return TheAccount().Endpoints().makerWeb + QStringLiteral("/a/addins/pagewright-help.html");
}

void AppDelegate::MenuItemHelpClick()
{
    OpenInBrowser(HelpPageUrl());
}

void AppDelegate::MenuItemEnableLogClick()
{
    GlobalSettings().EnableLog = !GlobalSettings().EnableLog.load();
    SaveGlobalSettings();
    m_Window->mMenuItemEnableLog->setChecked(GlobalSettings().EnableLog.load());
}
