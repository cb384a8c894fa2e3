#pragma once

#include <QDateTime>
#include <memory>

// The time every rule that depends on it reads (token expiry, the daily update check, "created"
// values). Tests install a fixed clock and move it; the program uses the system clock.
class MClock
{
public:
    virtual ~MClock() = default;
    virtual QDateTime CurrentTime() const = 0;

    static QDateTime Now();
    // Installs `clock` for the whole process; nullptr restores the system clock.
    static void SetInstance(std::shared_ptr<MClock> clock);
};
