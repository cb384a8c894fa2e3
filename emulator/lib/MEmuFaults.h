#pragma once

#include <QString>
#include <mutex>
#include <optional>
#include <vector>

// A fault rule: for requests whose method and path match, answer badly `count` times (-1: always).
// Text form, as given to --fault and POST /_emulator/faults:
//     "METHOD PATH-PATTERN KIND [key=value]..."
// METHOD is a method or "*"; PATH-PATTERN matches the path without its query, "*" standing for any
// run of characters. KIND and its keys:
//     delay ms=N           answer normally after N milliseconds (beyond the client's timeout)
//     drop                 close the connection in the middle of the answer
//     error status=S code=C message=M   a Graph error JSON ("+" in M is a blank)
//     html                 status 500 with an HTML error page
//     throttle retryAfter=N               429 with code "20166" and Retry-After N (none for 0)
//     empty                status 200 with an empty body
//     failed code=C message=M   on a copy's monitor address: the copy fails with that error
// and for every kind: count=N (default 1), and after=N to let the first N matching requests through.
struct MEmuFault
{
    enum Kind { Delay, Drop, Error, Html, Throttle, Empty, Failed };
    QString method;
    QString pattern;
    Kind kind = Error;
    int count = 1;
    int delayMs = 0;
    int status = 500;
    QString code;
    QString message;
    int retryAfter = 1;
    int after = 0; // matching requests still to let through before the rule applies
};

std::optional<MEmuFault> ParseFault(const QString& rule, QString* error);

class MEmuFaults
{
public:
    void Add(const MEmuFault& fault);
    void Clear();
    // The first rule that matches, used up by one; absent when none matches.
    std::optional<MEmuFault> Take(const QString& method, const QString& path);

private:
    std::mutex m_Mutex;
    std::vector<MEmuFault> m_Faults;
};
