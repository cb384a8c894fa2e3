#pragma once

#include "Command.h"

// restore --to PATH FILE|FOLDER...: uploads local ".one" files, and the ".one" files and folders
// below each FOLDER (the folder itself gives none), into the notebook or section group PATH. A name
// that is taken gets a number ("Plan (1).one"); a folder that is there is filled. One result line per
// file and folder; the exit status is non-zero when any failed.
class MCliRestore final : public MCliCommand
{
public:
    MCliRestore();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_To;
    const QCommandLineOption m_Refresh;
};
