#include "MClock.h"

#include <atomic>

namespace {

class MSystemClock final : public MClock
{
public:
    QDateTime CurrentTime() const override { return QDateTime::currentDateTime(); }
};

std::shared_ptr<MClock>& Slot()
{
    static std::shared_ptr<MClock> slot = std::make_shared<MSystemClock>();
    return slot;
}

} // namespace

QDateTime MClock::Now()
{
    return std::atomic_load(&Slot())->CurrentTime();
}

void MClock::SetInstance(std::shared_ptr<MClock> clock)
{
    std::atomic_store(&Slot(), clock ? std::move(clock) : std::make_shared<MSystemClock>());
}
