#include "MSleeper.h"

#include "MClock.h"

#include <chrono>
#include <thread>

namespace {

class MRealSleeper final : public MSleeper
{
public:
    bool Sleep(qint64 ms, const std::atomic<bool>* running) override
    {
        using namespace std::chrono;
        const auto end = steady_clock::now() + milliseconds(ms);
        for (;;) {
            if (running && !running->load())
                return false;
            const auto left = end - steady_clock::now();
            if (left <= steady_clock::duration::zero())
                return true;
            std::this_thread::sleep_for(std::min<steady_clock::duration>(milliseconds(100), left));
        }
    }
};

std::shared_ptr<MSleeper>& Slot()
{
    static std::shared_ptr<MSleeper> slot = std::make_shared<MRealSleeper>();
    return slot;
}

} // namespace

MSleeper& MSleeper::Instance()
{
    // The instance lives as long as the process holds it in the slot; tests swap it only between runs.
    return *std::atomic_load(&Slot());
}

void MSleeper::SetInstance(std::shared_ptr<MSleeper> sleeper)
{
    std::atomic_store(&Slot(), sleeper ? std::move(sleeper) : std::make_shared<MRealSleeper>());
}

qint64 NowMs()
{
    return MClock::Now().toMSecsSinceEpoch();
}
