#pragma once

#include <QFileDevice>
#include <QString>

// The application folder holds tokens, note titles, source paths and page ids: it and everything the
// program writes there belong to the user alone (folders 0700, files 0600, whatever the umask says),
// and so does the log, wherever it lies. What the user asks to be written elsewhere (exports, backups,
// saved attachments, a report given its own path) is the user's own and keeps the umask.

inline constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
inline constexpr QFileDevice::Permissions kPrivateFolder = kPrivateFile | QFileDevice::ExeOwner;

// True when `path` is the application folder or lies in it.
bool InAppFolder(const QString& path);

// Creates the folder with its missing parents, each one made 0700. False when it cannot be made.
bool CreatePrivateFolder(const QString& path);
// Opens the file for writing, 0600 from its first byte (a QSaveFile's temporary file included); an
// existing file that is wider is narrowed.
bool OpenPrivately(QFileDevice& file, QIODevice::OpenMode mode);

// The two above where the path lies in the application folder, the plain forms elsewhere: for what
// goes to the application folder by default and to the user's own place when the user names one.
bool CreateFolderFor(const QString& folder);
bool OpenForWriting(QFileDevice& file, QIODevice::OpenMode mode);

// Narrows what an earlier version left wider in the application folder (the folder, the files named in
// AppPaths.h with their side files, the reports folder and all in it: folders to 0700, files to 0600),
// logging each; the number narrowed. Anything else there, and links, are left alone.
int NarrowAppFolder();
