#pragma once

#include <QString>
#include <functional>

class MServiceSession;

// How long a copy is followed. OneDrive copies in the background and says where to ask how far it
// has come; the pauses between the questions grow from the first to the longest.
struct MCopyRules
{
    qint64 firstPollMs = 1000;
    qint64 longestPollMs = 10 * 1000;
    qint64 longestWaitMs = 10 * 60 * 1000;
};

// How a copy ended.
struct MCopyOutcome
{
    bool done = false; // the service said "completed"
    QString resourceId; // the new item's id, when it named it
    QString reason; // why it is not known to be done: the service's message for "failed", ...
};

// Asks the monitor address of a copy (a pre-authorized address: no token goes with it) until the
// service says "completed" or "failed", or the wait runs out. `percent` is told the share done when
// the answer gives it.
MCopyOutcome FollowCopy(MServiceSession& session, const QString& monitorUrl, const MCopyRules& rules,
    const std::function<void(int percent)>& percent = {});
