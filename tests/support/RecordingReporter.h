#pragma once

#include "model/MNotebookTree.h"
#include "tasks/MPacer.h"
#include "tasks/MTaskReporter.h"

#include <QList>
#include <QStringList>
#include <atomic>
#include <mutex>

// What a task reported, in order, for assertions (reports come from the run's worker thread).
class MRecordingReporter : public MTaskReporter
{
public:
    void ShowMessage(const QString& result, const QString& status) override
    {
        const std::lock_guard lock(m_Mutex);
        m_Seen.result = result;
        m_Seen.statuses.append(status);
    }
    void ShowStatus(const QString& status) override { Record(&Seen::statuses, status); }
    void Alert(const QString& text) override { Record(&Seen::alerts, text); }
    bool Ask(const QString& text) override
    {
        Record(&Seen::questions, text);
        return m_Answer;
    }
    void Finish(const QString& text) override
    {
        const std::lock_guard lock(m_Mutex);
        m_Seen.finish = text;
        m_Seen.finished = true;
    }
    void ShowProgress(const MTaskProgress& progress) override { Record(&Seen::progress, progress); }
    void ReportItem(const MTaskItem& item) override { Record(&Seen::items, item); }

    QString LastResult() const { return Read(&Seen::result); }
    QStringList Statuses() const { return Read(&Seen::statuses); }
    QStringList Alerts() const { return Read(&Seen::alerts); }
    QStringList Questions() const { return Read(&Seen::questions); }
    QString FinishText() const { return Read(&Seen::finish); }
    bool Finished() const { return Read(&Seen::finished); }
    QList<MTaskProgress> Progress() const { return Read(&Seen::progress); }
    // Every row reported, in order (a row's Sending report and its outcome are two entries).
    QList<MTaskItem> Items() const { return Read(&Seen::items); }
    void SetAnswer(bool yes) { m_Answer = yes; }
    // Forgets everything reported so far.
    void Clear()
    {
        const std::lock_guard lock(m_Mutex);
        m_Seen = {};
    }

private:
    struct Seen
    {
        QString result;
        QStringList statuses;
        QStringList alerts;
        QStringList questions;
        QString finish;
        bool finished = false;
        QList<MTaskProgress> progress;
        QList<MTaskItem> items;
    };
    template<typename T> void Record(QList<T> Seen::*list, const T& value)
    {
        const std::lock_guard lock(m_Mutex);
        (m_Seen.*list).append(value);
    }
    template<typename T> T Read(T Seen::*member) const
    {
        const std::lock_guard lock(m_Mutex);
        return m_Seen.*member;
    }

    mutable std::mutex m_Mutex;
    Seen m_Seen;
    std::atomic<bool> m_Answer {false};
};

// What a notebook tree retrieval reported, for assertions (on the thread that retrieves).
class MRecordingTreeReporter final : public MTreeReporter
{
public:
    void ShowStatus(const QString& text) override { texts.append(text); }
    void HideStatus() override { hidden = true; }
    void Alert(const QString& text) override { alerts.append(text); }
    QStringList texts;
    QStringList alerts;
    bool hidden = false;
};

// A pacer that never sleeps and counts the waits of each kind.
class MCountingPacer final : public MPacer
{
public:
    MCountingPacer()
        : MPacer(0, 0)
    { }
    int UploadWaits() const { return m_Upload.load(); }
    int DownloadWaits() const { return m_Download.load(); }

protected:
    void Sleep(Kind kind, qint64) override { ++(kind == Kind::Upload ? m_Upload : m_Download); }

private:
    std::atomic<int> m_Upload {0};
    std::atomic<int> m_Download {0};
};

// Stops the run once it has seen `stopAfter` rows of created items, as the stop button would.
class MStoppingReporter final : public MRecordingReporter
{
public:
    std::atomic<bool>* running = nullptr;
    int stopAfter = 0;
    void ReportItem(const MTaskItem& item) override
    {
        MRecordingReporter::ReportItem(item);
        if (item.outcome == MItemOutcome::Created && ++m_Created == stopAfter && running)
            *running = false;
    }

private:
    int m_Created = 0;
};
