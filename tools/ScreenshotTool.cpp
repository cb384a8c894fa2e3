// pagewright-screenshots OUTDIR [--dark]: signs in against an in-process emulator with the demo
// fixture and saves PNGs of the main window (tree filled, a panel shown, an export during its run
// and after it, the search, replace, tags and attachments panels after a run, the file and folder-tree
// imports before and after their runs, the four section-file panels after a run), the sign-in,
// options, about, chooser and notebook-information windows.
// scripts/screenshot runs it under Xvfb, at 100% and 150%, and once more in a dark palette.
#include "EmulatorSettings.h"

#include "AppDelegate.h"
#include "MMainWindow.h"
#include "MTreeModel.h"
#include "MWinAbout.h"
#include "MWinChooseSection.h"
#include "MWinGuide.h"
#include "MWinLogin.h"
#include "MWinNotebookInfo.h"
#include "MWinOptions.h"
#include "MessageBox.h"
#include "account/MAccount.h"
#include "app/GlobalSettings.h"
#include "panels/MAttachmentTableModel.h"
#include "panels/MViewCopySections.h"
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

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <cstdio>
#include <functional>

namespace {

void Pause(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

bool Save(QWidget* widget, const QDir& out, const char* name)
{
    Pause(400);
    const QString path = out.filePath(QLatin1String(name));
    const bool ok = widget->grab().save(path);
    std::fprintf(stderr, "%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

// A dark palette as desktops with a dark theme hand to Qt applications.
QPalette DarkPalette()
{
    QPalette p;
    const QColor window(0x2b, 0x2d, 0x31), base(0x1f, 0x20, 0x23), text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x26, 0x28, 0x2b));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x8d, 0x93));
    p.setColor(QPalette::Highlight, QColor(0x4d, 0x8d, 0xf0));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    p.setColor(QPalette::Light, QColor(0x45, 0x48, 0x4e));
    p.setColor(QPalette::Midlight, QColor(0x3a, 0x3d, 0x42));
    p.setColor(QPalette::Mid, QColor(0x55, 0x58, 0x5e));
    p.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
    p.setColor(QPalette::Shadow, Qt::black);
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x7a, 0x7d, 0x83));
    return p;
}

// Exports the first notebook to HTML files with every page's content answered slowly, and saves
// the window once the run is well under way and again when it is over.
int ShootExportRun(AppDelegate& delegate, MEmulator& emulator, const QDir& out)
{
    MMainWindow* window = delegate.window();
    if (delegate.Root().childCount() == 0)
        return 1;
    delegate.window()->TreeModel()->SetAllChecked(false);
    SetCheckState(delegate.Root().child(0), 1);
    window->TreeModel()->Reload();
    window->OutlineTree()->expandAll();
    GlobalSettings().UploadInterval = 0;
    GlobalSettings().DownloadInterval = 0;
    emulator.AddFault(QStringLiteral("GET */content delay ms=450 count=-1"));
    QTemporaryDir folder;
    window->ShowButtonAndPanel(QStringLiteral("btnExportToHtml"));
    auto* panel = qobject_cast<MViewExport*>(window->CurrentPanel());
    if (!panel)
        return 1;
    panel->mFolder->setText(folder.path());
    bool ended = false;
    // The panel outlives this function (the Markdown button shows it again): the connection must not.
    const QMetaObject::Connection connection
        = QObject::connect(panel, &MPanelBase::RunEnded, [&ended] { ended = true; });
    panel->StartButton()->click();
    Pause(2600);
    int failures = Save(window, out, "export-running.png") ? 0 : 1;
    QElapsedTimer timer;
    timer.start();
    while (!ended && timer.elapsed() < 60000)
        Pause(100);
    QObject::disconnect(connection);
    failures += Save(window, out, "export-finished.png") ? 0 : 1;
    emulator.ClearFaults();
    return failures;
}

// Runs the panel of `button` with what `prepare` sets, waits for the end and saves the window.
int ShootPanelRun(
    MMainWindow* window, const QString& button, const QDir& out, const char* name,
    const std::function<void(MPanelBase*)>& prepare,
    const std::function<void(MPanelBase*)>& start = [](MPanelBase* p) { p->StartButton()->click(); })
{
    window->ShowButtonAndPanel(button);
    MPanelBase* panel = window->CurrentPanel();
    if (!panel)
        return 1;
    prepare(panel);
    bool ended = false;
    const QMetaObject::Connection connection
        = QObject::connect(panel, &MPanelBase::RunEnded, [&ended] { ended = true; });
    start(panel);
    QElapsedTimer timer;
    timer.start();
    while (!ended && timer.elapsed() < 60000)
        Pause(100);
    QObject::disconnect(connection);
    return Save(window, out, name) ? 0 : 1;
}

// The four page tasks over the first notebook, each saved after its run.
int ShootPageTasks(AppDelegate& delegate, const QDir& out)
{
    MMainWindow* window = delegate.window();
    if (delegate.Root().childCount() == 0)
        return 1;
    window->TreeModel()->SetAllChecked(false);
    SetCheckState(delegate.Root().child(0), 1);
    window->TreeModel()->Reload();
    window->OutlineTree()->expandAll();
    int failures = ShootPanelRun(window, QStringLiteral("btnSearch"), out, "search.png", [](MPanelBase* p) {
        auto* search = static_cast<MViewSearch*>(p);
        search->mSearch->setText(QStringLiteral("train"));
        search->mCheckSearchInPageTitle->setChecked(false);
    });
    failures += ShootPanelRun(window, QStringLiteral("btnReplace"), out, "replace.png", [](MPanelBase* p) {
        auto* replace = static_cast<MViewReplace*>(p);
        replace->mSearch->setText(QStringLiteral("page (\\d)"));
        replace->mReplace->setText(QStringLiteral("page #$1"));
    });
    failures += ShootPanelRun(window, QStringLiteral("btnListTags"), out, "tags.png", [](MPanelBase*) {});
    failures += ShootPanelRun(
        window, QStringLiteral("btnListAttachments"), out, "attachments-listed.png", [](MPanelBase*) {});
    QTemporaryDir folder;
    failures += ShootPanelRun(
        window, QStringLiteral("btnListAttachments"), out, "attachments-saved.png",
        [](MPanelBase* p) {
            auto* attachments = static_cast<MViewListAttachments*>(p);
            attachments->mMenuItemUncheckAll->trigger();
            attachments->TableModel()->setData(attachments->TableModel()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
            attachments->mMenuItemCheckByFileType->trigger();
        },
        [&folder](MPanelBase* p) { static_cast<MViewListAttachments*>(p)->RunThreadSave(folder.path()); });
    return failures;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

// Waits until the panel's run has ended (a minute at most).
void WaitForRun(MPanelBase* panel)
{
    QElapsedTimer timer;
    timer.start();
    while (panel->IsBusy() && timer.elapsed() < 60000)
        Pause(100);
}

// Imports a few text and HTML files into the first section, one of them refused by the service,
// and saves the panel with its rows; then plans and imports a folder tree into the first notebook.
int ShootImportRuns(AppDelegate& delegate, MEmulator& emulator, const QDir& out)
{
    MMainWindow* window = delegate.window();
    if (delegate.Root().childCount() == 0)
        return 1;
    window->TreeModel()->SetAllChecked(false);
    MNotebookNode* notebook = delegate.Root().child(0);
    SetCheckState(notebook->childCount() ? notebook->child(0) : notebook, 1);
    window->TreeModel()->Reload();
    GlobalSettings().UploadInterval = 0;
    QTemporaryDir folder;
    const QStringList files {WriteFile(folder, QStringLiteral("Notes/Fish & Chips.txt"), "Fish & Chips\n"),
        WriteFile(folder, QStringLiteral("Notes/Meeting notes 2024-05-02.txt"), "Agenda\n"),
        WriteFile(folder, QStringLiteral("Notes/Reading list — 书单.txt"), "Books\n"),
        WriteFile(folder, QStringLiteral("Notes/Shopping.txt"), "Milk\n")};
    emulator.AddFault(
        QStringLiteral("POST */pages error status=400 code=20117 message=The+page+was+refused count=1 after=1"));
    window->ShowButtonAndPanel(QStringLiteral("btnImportTxt"));
    auto* panel = qobject_cast<MViewImport*>(window->CurrentPanel());
    if (!panel)
        return 1;
    panel->AddFiles(files);
    int failures = Save(window, out, "import-files.png") ? 0 : 1;
    panel->StartButton()->click();
    WaitForRun(panel);
    failures += Save(window, out, "import-files-finished.png") ? 0 : 1;
    emulator.ClearFaults();

    WriteFile(folder, QStringLiteral("Tree/Recipes 2024/Bread.txt"), "Flour, water, salt\n");
    WriteFile(
        folder, QStringLiteral("Tree/Recipes 2024/Soup.html"), "<html><head></head><body><p>Soup</p></body></html>");
    WriteFile(
        folder, QStringLiteral("Tree/Travel/Lisbon/Day one.html"), "<html><head></head><body>Day one</body></html>");
    WriteFile(folder, QStringLiteral("Tree/Travel/Lisbon/Day one_files/shot.png"), "\x89PNG");
    QDir().mkpath(folder.filePath(QStringLiteral("Tree/Ideas")));
    window->TreeModel()->SetAllChecked(false);
    SetCheckState(notebook, 1);
    window->TreeModel()->Reload();
    window->ShowButtonAndPanel(QStringLiteral("btnImportTree"));
    auto* tree = qobject_cast<MViewImportTree*>(window->CurrentPanel());
    if (!tree)
        return failures + 1;
    tree->PlanFolders({folder.filePath(QStringLiteral("Tree"))});
    failures += Save(window, out, "import-tree.png") ? 0 : 1;
    tree->StartButton()->click();
    WaitForRun(tree);
    failures += Save(window, out, "import-tree-finished.png") ? 0 : 1;
    return failures;
}

// Messages of a run (the copy's closing note) are not shown while the windows are shot.
class MSilentMessageBox final : public MMessageBoxHandler
{
public:
    void ShowMessage(const QString&) override { }
    int AskYesNo(const QString&) override { return kAlertFirstButtonReturn; }
};

// Starts the run of the panel shown and waits until it has ended.
bool RunShownPanel(MMainWindow* window, QAbstractButton* button)
{
    auto* panel = qobject_cast<MPanelBase*>(window->CurrentPanel());
    if (!panel)
        return false;
    bool ended = false;
    const QMetaObject::Connection connection
        = QObject::connect(panel, &MPanelBase::RunEnded, [&ended] { ended = true; });
    button->click();
    QElapsedTimer timer;
    timer.start();
    while (!ended && timer.elapsed() < 60000)
        Pause(100);
    QObject::disconnect(connection);
    return ended;
}

// The four panels on section files after a run each: the lost sections found (one saved), the sizes
// of a notebook and a shared one, a copy whose first section the service fails, and a restore of a
// file and a folder beside what is there.
int ShootDrivePanels(AppDelegate& delegate, MEmulator& emulator, const QDir& out)
{
    MMainWindow* window = delegate.window();
    if (delegate.Root().childCount() < 3)
        return 1;
    SetMessageBoxHandler(std::make_shared<MSilentMessageBox>());
    GlobalSettings().UploadInterval = 0;
    GlobalSettings().DownloadInterval = 0;
    int failures = 0;
    QTemporaryDir local;

    window->ShowButtonAndPanel(QStringLiteral("btnFindLost"));
    auto* lost = qobject_cast<MViewFindLost*>(window->CurrentPanel());
    if (lost && RunShownPanel(window, lost->StartButton())) {
        lost->checkAllItems(MCheckAll::Uncheck);
        lost->OutlineModel()->setData(lost->OutlineModel()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
        lost->ChooseSaveFolder = [&local] { return local.path(); };
        RunShownPanel(window, lost->mBtnSave);
    }
    failures += Save(window, out, "findlost-finished.png") ? 0 : 1;

    MTreeModel* model = window->TreeModel();
    const auto checkOnly = [&](const QList<MNotebookNode*>& nodes) {
        model->SetAllChecked(false);
        for (MNotebookNode* node : nodes)
            SetCheckState(node, 1);
        model->Reload();
        window->OutlineTree()->expandAll();
    };
    MNotebookNode* journal = delegate.Root().child(0);
    MNotebookNode* recipes = delegate.Root().child(1);
    MNotebookNode* shared = delegate.Root().child(delegate.Root().childCount() - 1);
    checkOnly({journal, shared});
    window->ShowButtonAndPanel(QStringLiteral("btnSectionSize"));
    if (auto* sizes = qobject_cast<MViewSectionSize*>(window->CurrentPanel()))
        RunShownPanel(window, sizes->StartButton());
    failures += Save(window, out, "sizes-finished.png") ? 0 : 1;

    checkOnly({journal->child(0), journal->child(1)});
    emulator.AddFault(
        QStringLiteral("GET /_monitor/* failed code=quotaLimitReached message=There+is+not+enough+space count=1"));
    window->ShowButtonAndPanel(QStringLiteral("btnCopySections"));
    if (auto* copy = qobject_cast<MViewCopySections*>(window->CurrentPanel())) {
        copy->ChooseTarget = [recipes] { return recipes->id; };
        RunShownPanel(window, copy->StartButton());
    }
    failures += Save(window, out, "copy-finished.png") ? 0 : 1;
    emulator.ClearFaults();

    checkOnly({journal});
    QDir(local.path()).mkpath(QStringLiteral("Trip/Day trips"));
    for (const char* name : {"Lisbon 2024.one", "Trip/Porto.one", "Trip/Day trips/Sintra.one"}) {
        QFile file(QDir(local.path()).filePath(QLatin1String(name)));
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray(48 * 1024, 'x'));
    }
    window->ShowButtonAndPanel(QStringLiteral("btnRestore"));
    if (auto* restore = qobject_cast<MViewRestore*>(window->CurrentPanel())) {
        restore->ChooseFiles
            = [&local] { return QStringList {QDir(local.path()).filePath(QStringLiteral("Lisbon 2024.one"))}; };
        restore->ChooseFolders = [&local] { return QStringList {QDir(local.path()).filePath(QStringLiteral("Trip"))}; };
        restore->mBtnAddFiles->click();
        restore->OutlineTree()->setCurrentIndex(QModelIndex());
        restore->mBtnAddFolder->click();
        failures += Save(window, out, "restore-list.png") ? 0 : 1;
        RunShownPanel(window, restore->StartButton());
    }
    failures += Save(window, out, "restore-finished.png") ? 0 : 1;
    SetMessageBoxHandler(nullptr);
    return failures;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    if (argc < 2) {
        std::fprintf(stderr, "usage: pagewright-screenshots OUTDIR [--dark]\n");
        return 2;
    }
    if (argc > 2 && QByteArray(argv[2]) == "--dark") {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(DarkPalette());
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    MEmulator* emulator = DemoEmulator();
    if (!emulator) {
        std::fprintf(stderr, "the emulator did not start\n");
        return 1;
    }
    QTemporaryDir folder;
    const QString settings = folder.filePath(QStringLiteral("zephapp.plist"));
    WriteEmulatorHosts(settings, emulator->Origin());
    const MEmulator::Tokens tokens = emulator->IssueTokens(QStringLiteral("personal"));
    {
        MConfig config(settings);
        config.WriteValue(QStringLiteral("MSAccountType"), 1);
        config.WriteValue(QStringLiteral("OnlineOneNoteAccessToken"), tokens.accessToken);
        config.WriteValue(QStringLiteral("OnlineOneNoteRefreshToken"), tokens.refreshToken);
        config.WriteValue(QStringLiteral("OnlineOneNoteUserId"), tokens.userId);
        config.WriteValue(
            QStringLiteral("OnlineOneNoteUserPrincipalName"), QStringLiteral("alex.morgan@outlook.example"));
        config.WriteValue(QStringLiteral("TokenExpires_in"), 3599);
        config.WriteValue(QStringLiteral("RetrieveTokensTime"), QDateTime::currentDateTime());
        // The emulator's tokens stay in this throwaway folder, out of the desktop's keyring.
        config.WriteValue(QStringLiteral("TokenStore"), QStringLiteral("file"));
        config.Save();
    }

    AppDelegate delegate(folder.path());
    delegate.m_UpdateCheckEnabled = false;
    if (!delegate.applicationDidFinishLaunching())
        return 1;
    MMainWindow* window = delegate.window();
    QElapsedTimer loading;
    loading.start();
    while (delegate.IsTreeLoading() && loading.elapsed() < 30000)
        Pause(50);
    window->OutlineTree()->expandAll();
    if (delegate.Root().childCount() > 0) {
        MNotebookNode* first = delegate.Root().child(0);
        SetCheckState(first->childCount() ? first->child(0) : first, 1);
        window->OutlineTree()->setCurrentIndex(window->TreeModel()->IndexOf(first));
    }
    window->ShowButtonAndPanel(QStringLiteral("btnAccount"));
    int failures = Save(window, out, "main.png") ? 0 : 1;
    window->ShowButtonAndPanel(QStringLiteral("btnImportEvernote"));
    failures += Save(window, out, "import-enex.png") ? 0 : 1;
    window->ShowButtonAndPanel(QStringLiteral("btnExportToHtml"));
    failures += Save(window, out, "export.png") ? 0 : 1;
    failures += ShootExportRun(delegate, *emulator, out);
    {
        QTemporaryDir markdownFolder;
        failures += ShootPanelRun(window, QStringLiteral("btnExportToMarkdown"), out, "export-markdown.png",
            [&](MPanelBase* p) { static_cast<MViewExport*>(p)->mFolder->setText(markdownFolder.path()); });
    }
    failures += ShootPageTasks(delegate, out);
    failures += ShootImportRuns(delegate, *emulator, out);
    failures += ShootDrivePanels(delegate, *emulator, out);

    {
        MWinOptions options(window);
        options.show();
        failures += Save(&options, out, "options.png") ? 0 : 1;
    }
    {
        MWinAbout about(window);
        about.show();
        failures += Save(&about, out, "about.png") ? 0 : 1;
    }
    {
        MWinChooseSection chooser(&delegate.Root(), 2, window);
        chooser.show();
        failures += Save(&chooser, out, "chooser.png") ? 0 : 1;
    }
    if (delegate.Root().childCount() > 0) {
        MWinNotebookInfo info(window);
        info.SetONObj(delegate.Root().child(0));
        info.show();
        failures += Save(&info, out, "notebook-info.png") ? 0 : 1;
    }
    {
        MWinLogin login(false, window);
        login.show();
        QElapsedTimer timer;
        timer.start();
        while (login.PageTitle().isEmpty() && timer.elapsed() < 15000)
            Pause(100);
        Pause(800);
        failures += Save(&login, out, "signin.png") ? 0 : 1;
        // The first step of a user who has not set an application id yet, and its refusal.
        login.ShowClientIdStep(MAccount::Personal, QString(), {});
        login.tfClientId->clear();
        failures += Save(&login, out, "signin-id.png") ? 0 : 1;
        login.tfClientId->setText(QStringLiteral("Pagewright"));
        login.SubmitClientId();
        failures += Save(&login, out, "signin-id-refused.png") ? 0 : 1;
        login.close();
    }
    {
        MWinGuide guide(window);
        guide.show();
        failures += Save(&guide, out, "guide.png") ? 0 : 1;
    }
    window->close();
    std::fflush(stderr);
    // The emulator keeps client connections open for a while; leave without waiting for them.
    std::fprintf(stderr, "%d screenshots failed\n", failures);
    std::_Exit(failures == 0 ? 0 : 1);
}
