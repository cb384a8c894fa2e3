#pragma once

#include "MPageList.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class MPageCache;

// The page cache as one page task's run reads through it: opened on the run's thread when its first
// page is read, as the settings say at that moment, and closed with the run. It counts the pages it
// served and those read from the service, for the run's closing line, and knows whether a request
// went out since the last page it served (a pause between requests has nothing to space out then).
class MPageCacheRun
{
public:
    // `warn` shows a warning to whoever watches the run: the file was moved aside, or cannot be used.
    explicit MPageCacheRun(std::function<void(const QString&)> warn);
    ~MPageCacheRun();
    MPageCacheRun(const MPageCacheRun&) = delete;
    MPageCacheRun& operator=(const MPageCacheRun&) = delete;

    // The page's content when the cache holds it for `account` as the page list dates it.
    std::optional<QString> Find(const QString& account, const MPageEntry& page);
    // The content of a page just read from the service.
    void Fetched(const QString& account, const MPageEntry& page, const QString& html);

    void RequestSent() { m_LastServed = false; }
    // False while nothing was sent since the last page came from the cache.
    bool PauseNeeded() const { return !m_LastServed; }

    qint64 PagesServed() const { return m_Served; }
    qint64 PagesFetched() const { return m_Fetched; }
    // "4,950 pages from the cache, 50 fetched.", after the warning when there was one; "" when no
    // page came from the cache.
    QString SummaryText() const;

private:
    MPageCache* Cache();
    void WarnOnce(const QString& text);

    std::function<void(const QString&)> m_Warn;
    std::unique_ptr<MPageCache> m_Cache;
    bool m_Tried = false;
    bool m_On = false;
    bool m_LastServed = false;
    qint64 m_Served = 0;
    qint64 m_Fetched = 0;
    QString m_Warning;
};
