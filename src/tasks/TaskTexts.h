#pragma once

#include "MTaskReporter.h"

#include <QString>

// The words and lines every front end shows for a run's progress and results, so that the desktop
// and the command line say the same thing.

// How many items of a run ended each way.
struct MOutcomeCounts
{
    qint64 created = 0;
    qint64 reused = 0;
    qint64 skipped = 0;
    qint64 failed = 0;

    // Counts an item's final outcome; Sending is not one.
    void Add(MItemOutcome outcome);
    qint64 Total() const { return created + reused + skipped + failed; }
};

// "412 created, 3 failed": the counts that are not zero, in a fixed order. `createdKey` names what a
// success did where "created" would say it wrongly ("taskSummaryRetitled": "12 retitled").
QString SummaryText(const MOutcomeCounts& counts, const char* createdKey = "taskSummaryCreated");

// "45 s", "3 min", "2 h 5 min": a time still needed, rounded up to what a person plans with.
QString DurationText(qint64 seconds);

// "12 of 40", or "12" while the total is not known.
QString ProgressCountText(const MTaskProgress& progress);
// "about 3 min left", or "" when the time cannot be told or nothing is left to wait for.
QString TimeLeftText(const MTaskProgress& progress);
// The two above in one line: "12 of 40 · about 3 min left".
QString ProgressLineText(const MTaskProgress& progress);

// "Links: 4 rewritten, 1 ambiguous, 1 not found", and ", 2 in a paragraph that cannot be changed"
// when some are.
QString LinkCountsText(const MLinkReport& links);
