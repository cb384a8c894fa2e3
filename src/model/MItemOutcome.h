#pragma once

#include <QString>

// What became of one item of a run (a page written, a note imported, a folder created, a section
// copied or measured), wherever it is kept or shown: the ledger, the reports, the result table, the
// outline and the command line.
enum class MItemOutcome {
    NotAttempted, // known, not reached (or the run stopped before it)
    Sending, // the request is out; its answer has not been judged yet
    Created,
    Reused, // it was there already and is used as it is
    Skipped,
    Failed,
};

// An outcome an item ends with (created, reused, skipped or failed), as against one it waits in.
constexpr bool IsFinal(MItemOutcome outcome)
{
    return outcome != MItemOutcome::NotAttempted && outcome != MItemOutcome::Sending;
}

// The status word of a result row: the localized "strSuccess", "strExists" and "strFailure" for
// created, reused and failed items, as the runs have always written them.
QString OutcomeText(MItemOutcome outcome);
