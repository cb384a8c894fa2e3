#include "AppPaths.h"

#include "GlobalSettings.h"
#include "PrivateFiles.h"

#include <QDir>
#include <QStandardPaths>

namespace {

MAppPaths& Paths()
{
    static MAppPaths paths;
    return paths;
}

QString DefaultAppFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("%1/%2").arg(QLatin1String(kMakerName), QLatin1String(kApplicationName)));
}

QString DefaultLogFile()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).filePath(QStringLiteral("%1.log").arg(QLatin1String(kApplicationName)));
}

} // namespace

const MAppPaths& AppPaths()
{
    return Paths();
}

void InitAppPaths(const QString& appFolder, const QString& logFile)
{
    MAppPaths& paths = Paths();
    paths.appFolder = appFolder.isEmpty() ? DefaultAppFolder() : QDir::cleanPath(appFolder);
    CreatePrivateFolder(paths.appFolder); // a failure shows later as settings that do not stick
    const QDir dir(paths.appFolder);
    paths.settingsFile = dir.filePath(QLatin1String(kSettingsFileName));
    paths.notebookCache = dir.filePath(QLatin1String(kNotebookCacheName));
    paths.updateInfoFile = dir.filePath(QLatin1String(kUpdateInfoName));
    paths.logFile = logFile.isEmpty() ? DefaultLogFile() : logFile;
    LoadGlobalSettings();
    // After the settings: the log (when it is on) tells what an earlier version had left open.
    NarrowAppFolder();
}

QString ApplicationVersion()
{
    return QStringLiteral(PAGEWRIGHT_VERSION);
}
