#include "Cache.h"

#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "tasks/MPageCache.h"
#include "util/Formats.h"

#include <QDir>

MCliCache::MCliCache()
{
    name = QStringLiteral("cache");
    description = Localized("cliCacheDescription");
    positionals = {{QStringLiteral("action"), Localized("cliCacheArgAction"), QStringLiteral("info|clear")}};
}

std::optional<QString> MCliCache::CheckArguments(const QCommandLineParser& parser) const
{
    const QStringList args = parser.positionalArguments();
    if (args.size() == 1 && (args.first() == QLatin1String("info") || args.first() == QLatin1String("clear")))
        return std::nullopt;
    return Localized("cliCacheUsage");
}

int MCliCache::Execute(const QCommandLineParser& parser)
{
    const MPageCacheSettings settings = MPageCacheSettings::Load(AppPaths().settingsFile);
    const QString path = MPageCache::DefaultPath();
    MPageCache cache(path, settings.LimitBytes(), MPageCache::Mode::ExistingOnly);
    if (parser.positionalArguments().first() == QLatin1String("clear")) {
        const qint64 removed = cache.Clear();
        if (removed < 0) {
            PrintErr(Localized("cliCacheNotCleared").arg(QDir::toNativeSeparators(path), cache.Error()));
            return kExitFailure;
        }
        PrintOut(Localized("cliCacheCleared").arg(removed));
        return kExitSuccess;
    }
    const MPageCacheUsage usage = cache.Usage();
    PrintOut(Localized("cliCacheInfo").arg(usage.pages).arg(FormatByteSize(usage.fileBytes)).arg(settings.limitMB));
    PrintOut(Localized("cliCacheFile").arg(QDir::toNativeSeparators(path)));
    if (!settings.on || settings.limitMB == 0)
        PrintOut(Localized("cliCacheOff"));
    return kExitSuccess;
}
