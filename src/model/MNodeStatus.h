#pragma once

#include <QString>

class MONObject;

// What became of a node of a panel's own tree (a folder imported, a section copied, restored or
// measured), as its status column shows it. The node's intValue holds the outcome: 0 nothing yet,
// 1 success, 2 "there already" or "a size is held in intValue64" (as the panel means it), anything
// else a failure code (-1 no token, -3 no answer, -4 service error, ...). Its strValue, when not
// empty, is the text to show (a service message, "Not found", "Downloading").
enum class MNodeOutcome { None, Success, Reused, Size, Failed };

// What an intValue of 2 stands for in a panel.
enum class MNodeTwo {
    Exists, // the container was there already and is used as it is
    Size, // the row holds a size (intValue64)
};

struct MNodeStatus
{
    MNodeOutcome outcome = MNodeOutcome::None;
    QString text;
};

// The one status rule of every outline panel: the text is strValue when set, else by outcome
// ("", "strSuccess", "strExists" or the size, "strFailure: code").
MNodeStatus NodeStatus(const MONObject& node, MNodeTwo two);
