#include "FileUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

bool FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool CreateFolder(const QString& path)
{
    return !path.isEmpty() && QDir().mkpath(path);
}

std::optional<QString> ReadTextFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

qint64 CountSubpaths(const QString& folder)
{
    qint64 count = 0;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

qint64 CountFilesInFolder(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        return 0;
    qint64 count = 0;
    const auto entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries) {
        if (!info.isDir() && !info.fileName().startsWith(QLatin1Char('.')))
            ++count;
    }
    return count;
}

namespace {

QString RemoveCharacters(QString name, QStringView characters)
{
    name.removeIf([&](QChar ch) { return characters.contains(ch); });
    return name;
}

} // namespace

QString MakeSafeFileName(const QString& name)
{
    QString safe = RemoveCharacters(name, u"':/\\?%*|\"<>");
    if (safe.size() >= 256)
        safe.truncate(150);
    return safe;
}

QString MUtils::SanitizeFileNameString(const QString& name)
{
    return RemoveCharacters(name, u"/\\?%*|\"<>");
}

namespace {

QString WithoutLastExtension(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A leading dot starts a hidden name, not an extension.
    return dot > slash + 1 ? path.left(dot) : path;
}

} // namespace

QString MUtils::getFilePathNewName(const QString& path, const QString& postfix)
{
    const QString base = WithoutLastExtension(path);
    QString candidate = base + postfix;
    for (int n = 1; FileExists(candidate); ++n)
        candidate = QStringLiteral("%1(%2)%3").arg(base, QString::number(n), postfix);
    return candidate;
}

QString MUtils::getFileNameFromFullName(const QString& fullPath, bool withoutExt)
{
    QString path = fullPath;
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return withoutExt ? WithoutLastExtension(name) : name;
}

QString SafePathComponent(const QString& name)
{
    QString safe = name;
    safe.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        safe = QString(safe.size() > 0 ? safe.size() : 1, QLatin1Char('_'));
    return safe;
}
