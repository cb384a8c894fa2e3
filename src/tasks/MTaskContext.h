#pragma once

#include "MFeature.h"
#include "MPacer.h"
#include "MTaskReporter.h"
#include "model/MNotebookNode.h"
#include "service/MServiceSession.h"

#include <QString>
#include <atomic>
#include <memory>
#include <optional>

class MAccount;

// Everything a feature run works with, handed to the task when it starts. The tree is a snapshot
// of the checked outline taken at the start; the account is the process-wide one (it guards its own
// fields); `running` belongs to the panel, which clears it to stop the run.
struct MTaskContext
{
    MAccount* account = nullptr;
    std::shared_ptr<const MNotebookNode> tree;
    MTaskReporter* reporter = nullptr;
    MPacer* pacer = nullptr;
    const std::atomic<bool>* running = nullptr;
    std::optional<MFeature> feature; // what the user started

    bool IsRunning() const { return running && running->load(); }
    // Renews the account's token where it has run out. At the start of a run the user asked for, a
    // failure is shown through the reporter (`alertFailure`); inside the run's loops it stays quiet,
    // and the requests that follow say what failed.
    void RefreshTokens(bool alertFailure = false) const;
};

// The one "nothing checked" rule of the runs over the outline: "strSelectASection" (the localized key
// of the reason the run cannot start) when no section is checked in `tree` (at the Notebook level: no
// notebook with anything checked in it), or nothing.
std::optional<QString> NothingChecked(const MNotebookNode* tree, MNodeKind level = MNodeKind::Section);

// The run's conversation with the service: its waits end when the run is stopped and show in the
// status line through the run's reporter. The context must hold an account.
MServiceSession SessionFor(const MTaskContext& context);
