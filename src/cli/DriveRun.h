#pragma once

#include "tasks/MTaskContext.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>

class MONObject;
class MTaskReporter;

// What the commands on section files in OneDrive share: a signed-in account of a kind whose
// notebooks are OneDrive files, the notebook tree, and the context a run is given.
class MCliDriveRun
{
public:
    // Refreshes the tokens when they are due. Without a sign-in, or for an account whose notebooks
    // are no OneDrive files, says why and returns false.
    bool CheckAccount();
    // The notebook tree from the cache or the service; null (and said why) when there is none.
    std::shared_ptr<MONObject> LoadTree(bool refresh);
    // Checks each node named (a path of names or an id); false (and said which) for one not found.
    static bool CheckNodes(MONObject& root, const QStringList& pathsOrIds);

    // A context for a run over `tree`, reporting to `reporter`, at the configured intervals.
    MTaskContext& Context(std::shared_ptr<const MONObject> tree, MTaskReporter& reporter);

private:
    std::atomic<bool> m_Running {true};
    std::unique_ptr<MPacer> m_Pacer;
    MTaskContext m_Context;
};

// The exit status of a run: non-zero when any item failed or an alert was raised.
int DriveExitStatus(qint64 failedItems, int alerts);
