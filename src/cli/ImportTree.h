#pragma once

#include "Command.h"
#include "RunOptions.h"

// import-tree FOLDER... (--notebook PATH | --first-level-notebooks) [--no-txt] [--no-html]
// [--keep-html-files-folders] [--utf8]: the subfolders of each FOLDER as section groups and sections
// of the notebook at PATH (or, with --first-level-notebooks, as notebooks), found by name or made,
// and their text and HTML files as pages. One line per container or file with its outcome goes to
// standard output, a summary line last; the exit status is non-zero when any of them failed.
class MCliImportTree final : public MCliCommand
{
public:
    MCliImportTree();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Notebook;
    const QCommandLineOption m_FirstLevelNotebooks;
    const QCommandLineOption m_NoTxt;
    const QCommandLineOption m_NoHtml;
    const QCommandLineOption m_KeepFilesFolders;
    const QCommandLineOption m_Utf8;
    const MRunOptions m_RunOptions;
};
