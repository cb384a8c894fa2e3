#pragma once

#include "CliReporter.h"
#include "Command.h"
#include "tasks/MPacer.h"
#include "tasks/MRunReport.h"
#include "tasks/MTaskContext.h"

#include <QCommandLineOption>
#include <QStringList>
#include <atomic>
#include <memory>

class MAccount;
class MONObject;

// What the page commands (search, retitle, tags, attachments) share: the signed-in account with fresh
// tokens, the notebook tree with the nodes named by --check ticked, and a run's context over them
// with the settings' intervals. Messages go to standard error.
class MCheckedRun
{
public:
    // The --check and --refresh options every page command takes.
    static QCommandLineOption CheckOption();
    static QCommandLineOption RefreshOption();

    // `task` names the run in its report (search, retitle, ...).
    explicit MCheckedRun(const QString& task);

    // Signs in and builds the tree; false (after saying why) when there is no account or tree, or a
    // path names nothing.
    bool Prepare(const QStringList& checks, bool refresh);

    MTaskContext& Context() { return m_Context; }
    MCliReporter& Reporter() { return m_Reporter; }
    // --report FILE, when given: the report goes there.
    void UseReport(const QString& path);
    // Writes the run's report, says where it went, and gives the exit status: failure when `failed`
    // or when the run was stopped.
    int End(bool failed);
    MONObject& Root() { return *m_Root; }
    MAccount& Account() { return *m_Context.account; }

private:
    std::atomic<bool> m_Running {true};
    MStopOnSignal m_StopOnSignal {m_Running};
    std::shared_ptr<MONObject> m_Root;
    std::unique_ptr<MPacer> m_Pacer;
    MCliReporter m_Reporter;
    MRunRecorder m_Recorder;
    MTaskContext m_Context;
};

// A field of a tab-separated result line: tabs and line breaks become blanks.
QString ResultField(QString text);
