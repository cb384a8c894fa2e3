#pragma once

#include <QString>

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
};
