#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <utility>

// Runs `work` on the thread of `context` (the main thread for every widget) and returns once it has
// run. Called on that thread it runs at once: a blocking post to one's own thread would never end.
// The main thread must never wait on a worker, or the two would wait on each other.
template<class F> void RunOnThreadOf(QObject* context, F&& work)
{
    if (QThread::currentThread() == context->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(context, std::forward<F>(work), Qt::BlockingQueuedConnection);
}

template<class F> void RunOnMainThread(F&& work)
{
    RunOnThreadOf(QCoreApplication::instance(), std::forward<F>(work));
}
