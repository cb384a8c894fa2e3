#pragma once

#include "Command.h"
#include "RunOptions.h"

// import-files --kind notes|keep|txt|html|images [--utf8] --section PATH FILE|FOLDER...: one page per
// file into the section at PATH (a folder is scanned with its subfolders for the kind's extensions).
// Progress goes to standard error, one line per file with its outcome to standard output, and a
// summary line last; the exit status is non-zero when any file failed.
class MCliImportFiles final : public MCliCommand
{
public:
    MCliImportFiles();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Kind;
    const QCommandLineOption m_Section;
    const QCommandLineOption m_Utf8;
    const MRunOptions m_RunOptions;
};
