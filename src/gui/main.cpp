#include "AppDelegate.h"

#include "app/AppPaths.h"
#include "net/MRequestBudget.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QCoreApplication::setOrganizationName(QLatin1String(kMakerName));
    QCoreApplication::setApplicationName(QLatin1String(kApplicationName));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // The desktop entry's name: the desktop finds the window's icon and name through it.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.brindlecraft.Pagewright"));
    app.setApplicationVersion(ApplicationVersion());
    app.setQuitOnLastWindowClosed(true);

    AppDelegate delegate;
    if (!delegate.applicationDidFinishLaunching())
        return 0;
    const int status = app.exec();
    // What this session sent counts against the limits of the next start.
    TheRequestBudget().Save();
    return status;
}
