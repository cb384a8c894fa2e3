#include "Log.h"

#include "AppPaths.h"
#include "GlobalSettings.h"
#include "PrivateFiles.h"
#include "util/MClock.h"

#include <QFile>
#include <mutex>

void WriteLog(bool enabled, bool withTime, const QString& text)
{
    if (!enabled)
        return;
    const QString entry = withTime
        ? QStringLiteral("%1 %2\n").arg(MClock::Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), text)
        : QStringLiteral("\t%1\n").arg(text);
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    QFile file(AppPaths().logFile);
    if (OpenPrivately(file, QIODevice::WriteOnly | QIODevice::Append))
        file.write(entry.toUtf8()); // a failed log write is not reported
}

void WriteLog(const QString& text)
{
    WriteLog(GlobalSettings().EnableLog.load(), true, text);
}
