#include "MPageCacheRun.h"

#include "MPageCache.h"

#include "app/AppPaths.h"
#include "app/MStrings.h"

#include <QDir>

MPageCacheRun::MPageCacheRun(std::function<void(const QString&)> warn)
    : m_Warn(std::move(warn))
{ }

MPageCacheRun::~MPageCacheRun() = default;

MPageCache* MPageCacheRun::Cache()
{
    if (!m_Tried) {
        m_Tried = true;
        const MPageCacheSettings settings = MPageCacheSettings::Load(AppPaths().settingsFile);
        const QString path = MPageCache::DefaultPath();
        m_On = settings.on && settings.limitMB > 0 && !path.isEmpty();
        if (m_On) {
            m_Cache = std::make_unique<MPageCache>(path, settings.LimitBytes());
            if (!m_Cache->IsOpen() && m_Cache->MovedAsideTo().isEmpty())
                WarnOnce(Localized("taskPageCacheUnavailable").arg(m_Cache->Error()));
        }
    }
    if (!m_Cache)
        return nullptr;
    // Damage may show on any read or write; the cache then starts again in a new file.
    if (!m_Cache->MovedAsideTo().isEmpty())
        WarnOnce(Localized("taskPageCacheMovedAside").arg(QDir::toNativeSeparators(m_Cache->MovedAsideTo())));
    return m_Cache->IsOpen() ? m_Cache.get() : nullptr;
}

void MPageCacheRun::WarnOnce(const QString& text)
{
    if (!m_Warning.isEmpty())
        return;
    m_Warning = text;
    if (m_Warn)
        m_Warn(text);
}

std::optional<QString> MPageCacheRun::Find(const QString& account, const MPageEntry& page)
{
    MPageCache* cache = Cache();
    // A page the list gave no time for cannot be told current: it is read.
    std::optional<QString> html
        = cache && !page.modified.isEmpty() ? cache->Find(account, page.id, page.modified) : std::nullopt;
    Cache(); // says so at once when the read found the file damaged
    m_LastServed = html.has_value();
    if (html)
        ++m_Served;
    return html;
}

void MPageCacheRun::Fetched(const QString& account, const MPageEntry& page, const QString& html)
{
    ++m_Fetched;
    if (MPageCache* cache = Cache())
        cache->Store(account, page.id, page.modified, html);
    Cache();
}

QString MPageCacheRun::SummaryText() const
{
    // Only a run that served pages from the cache has anything to say about their freshness.
    if (!m_On || m_Served == 0)
        return m_Warning;
    const QString counts = Localized("taskPagesFromCache").arg(m_Served).arg(m_Fetched);
    return m_Warning.isEmpty() ? counts : m_Warning + QLatin1Char(' ') + counts;
}
