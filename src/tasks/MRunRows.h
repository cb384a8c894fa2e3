#pragma once

#include "MTaskReporter.h"
#include "TaskTexts.h"

#include <QString>

// The rows of one run as its reporter gets them: every item takes the next index, is reported as
// Sending when its request goes out and again with its outcome, and the outcomes are counted, so
// that what a front end shows and what the run's totals say are the same thing.
class MRunRows
{
public:
    explicit MRunRows(MTaskReporter* reporter)
        : m_Reporter(reporter)
    { }

    // A Sending row for an item whose request goes out now; returns its index.
    qint64 Begin(const QString& text);
    // The same for an item whose index is given (its place in a list the front end keeps).
    void BeginAt(qint64 index, const QString& text);
    // The outcome of the item `index` (the text may have grown: "old → new").
    void End(qint64 index, const QString& text, MItemOutcome outcome, const QString& reason = QString(),
        const QString& target = QString());
    // An item whose outcome is known at once (a page that could not be read, a section skipped).
    qint64 Add(const QString& text, MItemOutcome outcome, const QString& reason = QString(),
        const QString& target = QString());

    const MOutcomeCounts& Counts() const { return m_Counts; }
    qint64 Failed() const { return m_Counts.failed; }

private:
    MTaskReporter* m_Reporter;
    qint64 m_Next = 0;
    MOutcomeCounts m_Counts;
};
