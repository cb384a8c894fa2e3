#pragma once

#include "model/MONObject.h"
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
    const MONObject& Tree() const { return m_Tree; }
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
    MONObject m_Tree;

private:
    MOutlineSink* m_Outline;
    QElapsedTimer m_SinceOutline;
    bool m_OutlinePending = false;
    qint64 m_NextItem = 0;
    MOutcomeCounts m_Counts;
};

// Node statuses as the outline panels show them: intValue 1 success, 2 there already (or a size),
// -1 no token, -3 no answer, -4 an error answer; strValue the text when there is one.
namespace MDriveStatus {
inline constexpr qint64 kNone = 0;
inline constexpr qint64 kSuccess = 1;
inline constexpr qint64 kTwo = 2;
inline constexpr qint64 kNoToken = -1;
inline constexpr qint64 kNoAnswer = -3;
inline constexpr qint64 kServiceError = -4;
} // namespace MDriveStatus

// The node status for a failed answer: -1 when nothing was sent (no token, stopped), -3 when no
// answer came, -4 for anything else.
qint64 FailureCode(const MServiceAnswer& answer);
