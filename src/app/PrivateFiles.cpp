#include "PrivateFiles.h"

#include "AppPaths.h"
#include "Log.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// Everything but the owner's read, write and (for folders) search bits.
constexpr QFileDevice::Permissions kOthersAndGroup = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

// QFileInfo reports the owner's bits twice (Owner and User); only the Owner ones are the mode's.
QFileDevice::Permissions ModeOf(const QFileInfo& info)
{
    return info.permissions()
        & (kOthersAndGroup | QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// "0644", as the user's tools show a mode.
QString ModeText(QFileDevice::Permissions mode)
{
    const int bits = int(mode);
    return QStringLiteral("0%1%2%3").arg((bits >> 12) & 7).arg((bits >> 4) & 7).arg(bits & 7);
}

bool Narrow(const QFileInfo& info)
{
    const QFileDevice::Permissions mode = ModeOf(info);
    const QFileDevice::Permissions allowed = info.isDir() ? kPrivateFolder : kPrivateFile;
    if (!(mode & ~allowed))
        return false;
    const QFileDevice::Permissions narrowed = mode & allowed;
    if (!QFile::setPermissions(info.filePath(), narrowed))
        return false;
    WriteLog(QStringLiteral("Narrowed %1 from %2 to %3 (readable by its owner only)")
                 .arg(QDir::toNativeSeparators(info.filePath()), ModeText(mode), ModeText(narrowed)));
    return true;
}

} // namespace

bool InAppFolder(const QString& path)
{
    const QString folder = AppPaths().appFolder;
    if (folder.isEmpty() || path.isEmpty())
        return false;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString root = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return absolute == root || absolute.startsWith(root + QLatin1Char('/'));
}

bool CreatePrivateFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(absolute).isDir())
        return true;
    // Parents first, so that each folder this makes is made 0700 (a plain mkpath would make them by
    // the umask).
    const QFileInfo info(absolute);
    if (!CreatePrivateFolder(info.path()))
        return false;
    return QDir(info.path()).mkdir(info.fileName(), kPrivateFolder) || QFileInfo(absolute).isDir();
}

bool OpenPrivately(QFileDevice& file, QIODevice::OpenMode mode)
{
    auto* plain = qobject_cast<QFile*>(&file);
    const bool opened = plain ? plain->open(mode, kPrivateFile) : file.open(mode);
    // An existing file keeps its mode when opened, and a QSaveFile's temporary one takes the old
    // file's or the umask's.
    return opened && file.setPermissions(kPrivateFile);
}

bool CreateFolderFor(const QString& folder)
{
    return InAppFolder(folder) ? CreatePrivateFolder(folder) : !folder.isEmpty() && QDir().mkpath(folder);
}

bool OpenForWriting(QFileDevice& file, QIODevice::OpenMode mode)
{
    return InAppFolder(file.fileName()) ? OpenPrivately(file, mode) : file.open(mode);
}

int NarrowAppFolder()
{
    const QString folder = AppPaths().appFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return 0;
    // Only what the program keeps there: a folder given on the command line may hold the user's own
    // files (a script that must stay executable, say).
    static const char* const kOurs[]
        = {kSettingsFileName, kNotebookCacheName, kUpdateInfoName, kLedgerName, kRequestBudgetName, kPageCacheName};
    const auto isOurs = [](const QFileInfo& entry) {
        if (entry.isDir())
            return entry.fileName() == QLatin1String(kReportsFolderName);
        return std::any_of(std::begin(kOurs), std::end(kOurs),
            [&](const char* known) { return entry.fileName().startsWith(QLatin1String(known)); });
    };
    int narrowed = Narrow(QFileInfo(folder)) ? 1 : 0;
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(all)) {
        if (entry.isSymLink() || !isOurs(entry))
            continue;
        narrowed += Narrow(entry) ? 1 : 0;
        if (!entry.isDir())
            continue;
        QDirIterator it(entry.filePath(), all, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo inside(it.next());
            narrowed += !inside.isSymLink() && Narrow(inside) ? 1 : 0;
        }
    }
    return narrowed;
}
