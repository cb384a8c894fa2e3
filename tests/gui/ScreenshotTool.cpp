// pagewright-screenshots OUTDIR: signs in against an in-process emulator with the demo fixture and
// saves PNGs of the main window (tree filled, a panel shown), the sign-in, options, about, chooser
// and notebook-information windows. scripts/screenshot runs it under Xvfb, at 100% and 150%.
#include "EmulatorSettings.h"

#include "AppDelegate.h"
#include "MMainWindow.h"
#include "MTreeModel.h"
#include "MWinAbout.h"
#include "MWinChooseSection.h"
#include "MWinLogin.h"
#include "MWinNotebookInfo.h"
#include "MWinOptons.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <cstdio>

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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    if (argc < 2) {
        std::fprintf(stderr, "usage: pagewright-screenshots OUTDIR\n");
        return 2;
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
        MONObject* first = delegate.Root().child(0);
        SetCheckState(first->childCount() ? first->child(0) : first, 1);
        window->OutlineTree()->setCurrentIndex(window->TreeModel()->IndexOf(first));
    }
    window->ShowButtonAndPanel(QStringLiteral("btnAccount"));
    int failures = Save(window, out, "main.png") ? 0 : 1;
    window->ShowButtonAndPanel(QStringLiteral("btnImportEvernote"));
    failures += Save(window, out, "import-enex.png") ? 0 : 1;
    window->ShowButtonAndPanel(QStringLiteral("btnExportToHtml"));
    failures += Save(window, out, "export.png") ? 0 : 1;

    {
        MWinOptons options(window);
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
        login.close();
    }
    window->close();
    std::fflush(stderr);
    // The emulator keeps client connections open for a while; leave without waiting for them.
    std::_Exit(failures == 0 ? 0 : 1);
}
