#pragma once

#include "CliReporter.h"
#include "Command.h"

#include "tasks/MRunJournal.h"
#include "tasks/MRunReport.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <atomic>
#include <memory>
#include <optional>

// --report FILE: where the run's report goes instead of the application folder's reports.
QCommandLineOption ReportOption();

// The options of a recorded import: --resume | --new, --skip-imported; and --report FILE, which
// every command that runs items takes.
class MRunOptions
{
public:
    MRunOptions();

    // --resume, --new and --skip-imported (an import's), and --report.
    QList<QCommandLineOption> ImportOptions() const;
    QCommandLineOption ReportOption() const { return m_Report; }
    // --resume goes alone: a message when it is given with --new or --skip-imported.
    std::optional<QString> Problem(const QCommandLineParser& parser) const;

    // How the run of `identity` is recorded, by the options and the runs before it: an unfinished
    // run is continued only with --resume and started afresh only with --new, and a finished one is
    // repeated only with --new or --skip-imported (starting again without a word would make its pages
    // a second time). An exit status when the command ends here: a refusal, or --resume of a run that
    // finished (nothing is sent again).
    std::optional<int> Choose(
        const QCommandLineParser& parser, const MRunJournal::MIdentity& identity, MRunRecording& recording) const;

private:
    QCommandLineOption m_Resume;
    QCommandLineOption m_New;
    QCommandLineOption m_SkipImported;
    QCommandLineOption m_Report;
};

class MAccount;
class MNotebookNode;
class MTreeReporter;

// The signed-in account with fresh tokens; null (after saying so) when nobody is signed in.
MAccount* SignedInAccount();
// Renews the account's token where it has run out; a failure is printed to standard error.
void RefreshTokensSayingFailure(MAccount& account);
// The notebook tree from the cache (or the service when there is none, or with `refresh`), its
// progress told to `status` (quiet by default); null (after saying why) when there is no usable tree.
std::shared_ptr<MNotebookNode> LoadNotebookTree(MAccount& account, bool refresh, MTreeReporter* status = nullptr);
// Ticks each node named by a path of names or an id (with what is below it); false (after saying
// which) for one not found.
bool CheckPaths(MNotebookNode& root, const QStringList& pathsOrIds);
// Unticks every node below `node` and the node itself.
void ClearTicks(MNotebookNode& node);
