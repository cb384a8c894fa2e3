#pragma once

#include <QtGlobal>
#include <atomic>
#include <memory>

// Every wait of the program that a stopped run must cut short (the pauses before a request goes
// again, the request budget's pacing). Tests install a sleeper that moves a fixed clock instead of
// sleeping, so rules that wait minutes are checked in no time.
class MSleeper
{
public:
    virtual ~MSleeper() = default;
    // Waits `ms`; returns false as soon as `running` is cleared (checked every 100 ms at least),
    // true when the whole time has passed. A null `running` never stops the wait.
    virtual bool Sleep(qint64 ms, const std::atomic<bool>* running) = 0;

    static MSleeper& Instance();
    // Installs `sleeper` for the whole process; nullptr restores the real one.
    static void SetInstance(std::shared_ptr<MSleeper> sleeper);
};

// Milliseconds since the epoch by the process clock (MClock), which tests fix.
qint64 NowMs();
