#pragma once

#include "model/MNotebookTree.h"
#include "tasks/MPacer.h"
#include "tasks/MTaskReporter.h"

#include <QList>
#include <QStringList>
#include <atomic>
#include <mutex>

// What a task reported, in order, for assertions.
class MRecordingReporter : public MTaskReporter
{
public:
    void ShowMessage(const QString& result, const QString& status) override;
    void ShowStatus(const QString& status) override;
    void Alert(const QString& text) override;
    bool Ask(const QString& text) override;
    void Finish(const QString& text) override;
    void ShowProgress(const MTaskProgress& progress) override;
    void ReportItem(const MTaskItem& item) override;

    QString LastResult() const;
    QStringList Statuses() const;
    QStringList Alerts() const;
    QStringList Questions() const;
    QString FinishText() const;
    bool Finished() const;
    QList<MTaskProgress> Progress() const;
    // Every row reported, in order (a row's Sending report and its outcome are two entries).
    QList<MTaskItem> Items() const;
    void SetAnswer(bool yes) { m_Answer = yes; }
    // Forgets everything reported so far.
    void Clear();

private:
    mutable std::mutex m_Mutex;
    QString m_Result;
    QStringList m_Statuses;
    QStringList m_Alerts;
    QStringList m_Questions;
    QString m_Finish;
    bool m_Finished = false;
    QList<MTaskProgress> m_Progress;
    QList<MTaskItem> m_Items;
    bool m_Answer = false;
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
