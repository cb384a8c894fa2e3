#pragma once

#include "Command.h"

class MNotebookNode;

// export --kind txt|html|backup --out DIR --check PATH...: the checked sections to text files, HTML
// files or section-file backups below DIR. Progress goes to standard error, the result list (one
// file a line) to standard output; the exit status is non-zero when any page or file failed.
class MCliExport final : public MCliCommand
{
public:
    MCliExport();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Kind;
    const QCommandLineOption m_Out;
    const QCommandLineOption m_Check;
    const QCommandLineOption m_Refresh;
    const QCommandLineOption m_ReportFile;
};
