#pragma once

#include "Command.h"
#include "tasks/MRunReport.h"
#include "tasks/MTaskContext.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class MONObject;
class MTaskReporter;

// What the commands on section files in OneDrive share: a signed-in account of a kind whose
// notebooks are OneDrive files, the notebook tree, and the context a run is given.
class MCliDriveRun
{
public:
    // `task` names the run in its report (lost, copy-sections, ...).
    explicit MCliDriveRun(const QString& task);

    // Refreshes the tokens when they are due. Without a sign-in, or for an account whose notebooks
    // are no OneDrive files, says why and returns false.
    bool CheckAccount();
    // The notebook tree from the cache or the service; null (and said why) when there is none.
    std::shared_ptr<MONObject> LoadTree(bool refresh);
    // Checks each node named (a path of names or an id); false (and said which) for one not found.
    static bool CheckNodes(MONObject& root, const QStringList& pathsOrIds);

    // A context for a run over `tree`, reporting to `reporter` (and to the run's report), at the
    // configured intervals.
    MTaskContext& Context(std::shared_ptr<const MONObject> tree, MTaskReporter& reporter);
    // --report FILE, when given, before Context: the last run's report goes there (lost save: the
    // saving's).
    void UseReport(const QString& path) { m_ReportPath = path; }
    // Writes the reports of the runs and says where they went; `status`, or failure when stopped.
    int End(int status);

private:
    QString m_Task;
    QString m_ReportPath;
    std::atomic<bool> m_Running {true};
    MStopOnSignal m_StopOnSignal {m_Running};
    std::vector<std::unique_ptr<MRunRecorder>> m_Recorders;
    std::unique_ptr<MPacer> m_Pacer;
    MTaskContext m_Context;
};

// The exit status of a run: non-zero when any item failed or an alert was raised.
int DriveExitStatus(qint64 failedItems, int alerts);
