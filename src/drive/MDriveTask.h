#pragma once

#include "model/MResultNode.h"
#include "net/MHttpClient.h"
#include "service/MServiceSession.h"
#include "tasks/MTaskContext.h"
#include "tasks/TaskTexts.h"

#include <QElapsedTimer>
#include <QString>

class MOutlineSink;

// What the runs on section files in OneDrive share: the run's service session, its own result tree
// (shown through an outline sink while it grows), a row for every item it works on (a Sending row
// when it starts, the outcome when known), progress, and the pauses between requests.
class MDriveTask
{
public:
    MDriveTask(const MTaskContext& context, MOutlineSink* outline);
    virtual ~MDriveTask() = default;
    MDriveTask(const MDriveTask&) = delete;
    MDriveTask& operator=(const MDriveTask&) = delete;

    // Notebooks are files in the user's OneDrive only for personal and global work or school accounts.
    static bool SupportsAccountType(int accountType);

    // The run's tree: its root's children are the rows. Read it after the run.
    const MResultNode& Tree() const { return m_Tree; }
    // The final outcomes of the rows reported so far.
    const MOutcomeCounts& Counts() const { return m_Counts; }

protected:
    // The transport under the session (tests may change what comes back).
    virtual MHttpResponse Send(const MHttpRequest& request);

    bool Running() const { return m_Context.IsRunning(); }
    void ShowStatus(const QString& status);
    void Alert(const QString& text);
    void Wait(MPacer::Kind kind);
    // The tree to the front end: at most every few tenths of a second while it grows, unless `now`.
    void ShowOutline(bool now = false);
    void ShowProgress(qint64 done, qint64 total);
    // A row for an item the run starts on; returns its index for EndItem.
    qint64 BeginItem(const QString& text);
    void EndItem(qint64 index, const QString& text, MItemOutcome outcome, const QString& reason = QString(),
        const QString& target = QString());
    // The tree a last time and the finish text.
    void Finish();

    const MTaskContext& m_Context;
    MServiceSession m_Session;
    MResultNode m_Tree;

private:
    MOutlineSink* m_Outline;
    QElapsedTimer m_SinceOutline;
    bool m_OutlinePending = false;
    qint64 m_NextItem = 0;
    MOutcomeCounts m_Counts;
};

// The codes of a failed row, as its status shows them.
inline constexpr qint64 kDriveNoToken = -1; // nothing was sent (no token, stopped)
inline constexpr qint64 kDriveNoAnswer = -3;
inline constexpr qint64 kDriveServiceError = -4; // an error answer

// The code of a failed answer.
qint64 FailureCode(const MServiceAnswer& answer);
