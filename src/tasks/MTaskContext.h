#pragma once

#include "MPacer.h"
#include "MTaskReporter.h"
#include "model/MONObject.h"
#include "service/MServiceSession.h"

#include <QString>
#include <atomic>
#include <memory>

class MAccount;

// Everything a feature run works with, handed to the task when it starts. The tree is a snapshot
// of the checked outline taken at the start; the account is the process-wide one (it guards its own
// fields); `running` belongs to the panel, which clears it to stop the run.
struct MTaskContext
{
    MAccount* account = nullptr;
    std::shared_ptr<const MONObject> tree;
    MTaskReporter* reporter = nullptr;
    MPacer* pacer = nullptr;
    const std::atomic<bool>* running = nullptr;
    QString feature; // the feature button that started the run, e.g. "btnExportToTxt"

    bool IsRunning() const { return running && running->load(); }
    // Renews the account's token where it has run out. At the start of a run the user asked for, a
    // failure is shown through the reporter (`alertFailure`); inside the run's loops it stays quiet,
    // and the requests that follow say what failed.
    void RefreshTokens(bool alertFailure = false) const;
};

// The run's conversation with the service: its waits end when the run is stopped and show in the
// status line through the run's reporter. The context must hold an account.
MServiceSession SessionFor(const MTaskContext& context);
