#pragma once

#include <QString>
#include <optional>

bool FileExists(const QString& path);
// Creates the folder with any missing parents.
bool CreateFolder(const QString& path);
std::optional<QString> ReadTextFile(const QString& path);
// Files and folders below the folder at every depth, hidden ones included; 0 when unreadable.
qint64 CountSubpaths(const QString& folder);
// Entries directly in the folder that are not folders and whose names do not begin with ".".
qint64 CountFilesInFolder(const QString& folder);
// Removes eleven characters unsafe in file names; a result of 256 or more characters keeps its first 150.
QString MakeSafeFileName(const QString& name);

class MUtils
{
public:
    // Removes nine characters (keeps the apostrophe and the colon); no length limit.
    static QString SanitizeFileNameString(const QString& name);
    // First free path for `path` with `postfix` (which carries its own dot): T.txt, T(1).txt, ...
    // A folder in the way counts as taken.
    static QString getFilePathNewName(const QString& path, const QString& postfix);
    // Last path component (a trailing "/" ignored), without its extension when asked.
    static QString getFileNameFromFullName(const QString& fullPath, bool withoutExt);
};

// A name that is safe as one path component below a folder the user chose: no "/" or "\", never
// "." or "..". Other characters are kept, so the name still reads as the user wrote it.
QString SafePathComponent(const QString& name);
