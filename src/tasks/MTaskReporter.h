#pragma once

#include "model/MItemOutcome.h"

#include <QList>
#include <QString>
#include <QtGlobal>

// How far a run has come: `done` of `total` items (`total` 0 when it is not known, which a front end
// shows as a busy bar), and the seconds the rest still needs at the service's request budget (-1 when
// that cannot be told).
struct MTaskProgress
{
    qint64 done = 0;
    qint64 total = 0;
    qint64 secondsLeft = -1;
};

// One row of a run's results. A task reports an item when it starts on it (Sending) and again when
// its outcome is known, with the same `index`; front ends replace the row.
struct MTaskItem
{
    qint64 index = 0; // the item's place in this run, from 0
    QString text; // what the row names: a page file, "12: Note title", a section path
    MItemOutcome outcome = MItemOutcome::Sending;
    QString reason; // why it failed, or a warning beside a success
    QString target; // what the row opens: a local file or the created page's link; may be empty
    // The creation's outcome code where the run records one (1 created, 2 reused, negative for the
    // failures of page and container creation); 0 otherwise.
    qint64 code = 0;
};

// A note link the link pass left as it was, and why.
struct MLeftLink
{
    QString pageTitle;
    QString text;
    QString href;
    QString why; // in the ledger a code ("ambiguous", "notfound", "unchangeable"); in a report the reason
};

// What an import's link pass did over the whole run, for the run's report.
struct MLinkReport
{
    qint64 rewritten = 0;
    qint64 ambiguous = 0;
    qint64 notFound = 0;
    qint64 unchanged = 0; // matched, but in a paragraph a change cannot send back
    QList<MLeftLink> left; // every link left, with its reason
};

// How a running task tells its front end what happens. A task never touches a widget: the desktop
// implementation posts each call to the main thread and waits until it has run, the command line
// prints, tests record. Every call may block the worker until the front end is done with it.
class MTaskReporter
{
public:
    virtual ~MTaskReporter() = default;
    // The panel's running result text and its status line.
    virtual void ShowMessage(const QString& result, const QString& status) = 0;
    // The status line alone.
    virtual void ShowStatus(const QString& status) = 0;
    // A modal alert; returns when the user has dismissed it.
    virtual void Alert(const QString& text) = 0;
    // A yes/no question; true only for "YES".
    virtual bool Ask(const QString& text) = 0;
    // The run is over; `text` goes to the status line (usually the localized "strFinish").
    virtual void Finish(const QString& text) = 0;
    // The progress bar. Front ends without one ignore it.
    virtual void ShowProgress(const MTaskProgress& progress) { Q_UNUSED(progress) }
    // A row of the result table. Front ends without one ignore it.
    virtual void ReportItem(const MTaskItem& item) { Q_UNUSED(item) }
    // The links of an import's link pass, once it is over (again after a resumed pass: the whole run).
    virtual void ReportLinks(const MLinkReport& links) { Q_UNUSED(links) }
};
