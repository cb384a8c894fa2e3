#pragma once

#include "EvernoteImport.h"
#include "MEnexReader.h"
#include "tasks/MTaskReporter.h"

#include <QString>
#include <QStringList>

struct MTaskContext;

// How the ENEX import tells its front end about notes: the lines of the result text beyond a note's
// own, the note's row in the result table, and how far the run has come.

// "12: Title" as rows name a note.
QString EnexNoteItemText(qint64 number, const QString& title);
// A row for the note numbered `number`, placed by its number within the run's range.
void ReportEnexNote(const MTaskContext& context, const MEvernoteImportSettings& settings, qint64 number,
    const QString& title, MItemOutcome outcome, const QString& reason = QString(), const QString& link = QString());
// The notes of the range done so far, of as many as the range holds (not known while it is open-ended).
void ReportEnexProgress(const MTaskContext& context, const MEvernoteImportSettings& settings, qint64 number);

// A note the file does not let be read: a failure, named with its number, readable title and the
// place of the fault, in the result text and as a skipped row.
void ReportSkippedNote(const MTaskContext& context, const MEvernoteImportSettings& settings, const MEnexNote& note,
    qint64 number, const MEnexProblem& problem, MEvernoteImportResult& result);
// A broken spot between notes: a line in the result text; the run is not a clean one.
void ReportEnexDamage(const MTaskContext& context, const MEnexProblem& problem, MEvernoteImportResult& result);
// The warning lines under a note's line (its left-out attachments); a created note with any counts
// as imported with warnings.
void AppendNoteWarnings(const QStringList& warnings, bool created, MEvernoteImportResult& result);
// The summary's addition when notes were imported with warnings ("" when none were).
QString EnexWarningsSummary(const MEvernoteImportResult& result);
