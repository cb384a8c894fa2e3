#pragma once

#include "CliReporter.h"
#include "Command.h"
#include "tasks/MFeature.h"
#include "tasks/MPacer.h"
#include "tasks/MRunReport.h"
#include "tasks/MTaskContext.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class MAccount;
class MNotebookNode;

// Which of the settings' intervals a run keeps between its requests.
enum class MCliPacing {
    UploadsAndDownloads,
    UploadsOnly, // the imports: they read nothing worth pacing
    None, // a dry run: nothing is sent
};

// What every command that runs a task shares: the running flag that Ctrl-C clears, the printer of
// rows and progress, the recorder that keeps them for the run's report (--report FILE puts it
// elsewhere), the pacer, the signed-in account and notebook tree, the context a task is given, and
// the exit status. Messages go to standard error.
class MCliRun
{
public:
    // The --check and --refresh options of the commands over ticked nodes.
    static QCommandLineOption CheckOption();
    static QCommandLineOption RefreshOption();

    // `task` names the run in its report (export, import-files, ...), `title` heads it (the task when
    // empty).
    explicit MCliRun(const QString& task, const QString& title = QString(),
        MCliPacing pacing = MCliPacing::UploadsAndDownloads, FILE* results = stdout);

    // --report FILE when it was given: the report goes there (for a command of several runs, the last
    // run's).
    void UseReportOption(const QCommandLineParser& parser, const QCommandLineOption& report);

    // Signs in; false (after saying why) when nobody is signed in, or, with `drive`, when the
    // account's notebooks are no OneDrive files.
    bool SignIn(bool drive = false);
    // The notebook tree from the cache or the service (with `refresh`); false (after saying why) when
    // there is none.
    bool LoadTree(bool refresh);
    // Ticks each node named by a path of names or an id; false (after saying which) for one not found.
    bool Check(const QStringList& pathsOrIds);
    // SignIn, LoadTree and Check.
    bool Prepare(const QStringList& checks, bool refresh);
    MNotebookNode& Root() { return *m_Root; }
    std::shared_ptr<MNotebookNode> RootPointer() { return m_Root; }

    std::atomic<bool>& Running() { return m_Running; }
    bool Stopped() const { return !m_Running.load(); }
    MCliReporter& Printer() { return m_Printer; }
    // The recorder of the run over the printer.
    MRunRecorder& Reporter();
    // The context of the run over the tree, reporting through Reporter(). Tasks run one after another
    // on it share its report.
    MTaskContext& Context(std::optional<MFeature> feature = std::nullopt);
    // A run of its own over `tree`, reporting to `printer` and to a report of its own.
    MTaskContext& Context(std::shared_ptr<const MNotebookNode> tree, MTaskReporter& printer);

    // Writes the reports and prints where they went; the exit status the run deserves: failure when
    // `failed` or when the run was stopped.
    int End(bool failed);

private:
    MRunRecorder& NewRecorder(MTaskReporter& printer);
    MTaskContext& SetContext(std::shared_ptr<const MNotebookNode> tree, MTaskReporter& reporter);

    QString m_Task;
    QString m_Title;
    QString m_ReportPath;
    std::atomic<bool> m_Running {true};
    MStopOnSignal m_StopOnSignal {m_Running};
    MCliReporter m_Printer;
    std::vector<std::unique_ptr<MRunRecorder>> m_Recorders;
    MRunRecorder* m_Recorder = nullptr; // the one over the printer
    MPacer m_Pacer;
    MAccount* m_Account = nullptr;
    std::shared_ptr<MNotebookNode> m_Root;
    MTaskContext m_Context;
};

// A field of a tab-separated result line: tabs and line breaks become blanks.
QString ResultField(QString text);
