#pragma once

#include <QString>

inline constexpr const char* kApplicationName = "Pagewright";
inline constexpr const char* kMakerName = "Brindlecraft";

// What the program keeps in its application folder, by name. Side files begin with their file's name
// ("runs.sqlite-wal", "updateinfo.txt.download"); the reports folder holds nothing but reports.
inline constexpr const char* kSettingsFileName = "zephapp.plist";
inline constexpr const char* kNotebookCacheName = "notebooks.json";
inline constexpr const char* kUpdateInfoName = "updateinfo.txt";
inline constexpr const char* kLedgerName = "runs.sqlite";
inline constexpr const char* kRequestBudgetName = "requestbudget.json";
inline constexpr const char* kPageCacheName = "pagecache.sqlite";
inline constexpr const char* kReportsFolderName = "reports";

// Where the program keeps its files. Set once at start-up, before any worker runs.
struct MAppPaths
{
    QString appFolder; // per-user application data, then "Brindlecraft", then "Pagewright"
    QString settingsFile; // appFolder/zephapp.plist
    QString notebookCache; // appFolder/notebooks.json
    QString updateInfoFile; // appFolder/updateinfo.txt
    QString logFile; // Documents/Pagewright.log
};

const MAppPaths& AppPaths();

// Builds the paths and creates the application folder (owner-only, PrivateFiles.h), then loads the
// process-wide settings and the stored account, and narrows what an earlier version left wider. `appFolder` replaces
// the platform folder (the command line's
// --settings-dir, tests); the log stays in the Documents folder unless `logFile` is given too.
void InitAppPaths(const QString& appFolder = QString(), const QString& logFile = QString());

// The application's short version text ("1.0.0").
QString ApplicationVersion();
