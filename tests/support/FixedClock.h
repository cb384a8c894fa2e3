#pragma once

#include "util/MClock.h"

#include <memory>
#include <mutex>

// A clock that stands still until a test moves it. Install() makes it the process clock for the
// life of the returned guard.
class MFixedClock final : public MClock
{
public:
    explicit MFixedClock(QDateTime now)
        : m_Now(std::move(now))
    { }
    QDateTime CurrentTime() const override
    {
        const std::lock_guard lock(m_Mutex);
        return m_Now;
    }
    void Set(const QDateTime& now)
    {
        const std::lock_guard lock(m_Mutex);
        m_Now = now;
    }
    void AdvanceSeconds(qint64 seconds)
    {
        const std::lock_guard lock(m_Mutex);
        m_Now = m_Now.addSecs(seconds);
    }

private:
    mutable std::mutex m_Mutex;
    QDateTime m_Now;
};

// Installs a fixed clock for one scope.
class MFixedClockScope
{
public:
    explicit MFixedClockScope(const QDateTime& now)
        : m_Clock(std::make_shared<MFixedClock>(now))
    {
        MClock::SetInstance(m_Clock);
    }
    ~MFixedClockScope() { MClock::SetInstance(nullptr); }
    MFixedClock& operator*() { return *m_Clock; }
    MFixedClock* operator->() { return m_Clock.get(); }

private:
    std::shared_ptr<MFixedClock> m_Clock;
};
