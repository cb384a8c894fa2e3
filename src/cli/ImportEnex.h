#pragma once

#include "Command.h"
#include "RunOptions.h"

class MNotebookNode;

// import-enex FILE (--section PATH | --tag-sections PATH) [--from N] [--to M] [--indents] [--dry-run]
//     [--resume | --new] [--skip-imported] [--report FILE]:
// one page per note of an Evernote export, into one section or into one section per tag under a
// notebook or section group. PATH names the target in the notebook outline ("Notebook/Group/Section").
// Progress goes to standard error, the result text to standard output. --dry-run converts every note
// of the range and prints what would be created, sending nothing. Every note is recorded in the run
// ledger: a run that was interrupted is continued with --resume (or started afresh with --new), and
// --skip-imported skips the notes an earlier run imported into the same place. The run's report
// (CSV and HTML) goes to the application folder's reports, or to --report FILE.
class MCliImportEnex final : public MCliCommand
{
public:
    MCliImportEnex();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Section;
    const QCommandLineOption m_TagSections;
    const QCommandLineOption m_From;
    const QCommandLineOption m_To;
    const QCommandLineOption m_Indents;
    const QCommandLineOption m_DryRun;
    const MRunOptions m_RunOptions;
};
