#pragma once

#include "Command.h"

// lost list | lost save --out DIR [--id ID]...: the section files the service left behind as
// ".onetmp" files anywhere in OneDrive. "list" prints one a line (item id, then its path below the
// drive root); "save" downloads them (only those named with --id, when any is) into DIR as ".one"
// files, never over a file there, one result line each. Folders that cannot be listed are named on
// standard error; the exit status is non-zero when any folder or file failed.
class MCliLost final : public MCliCommand
{
public:
    MCliLost();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Out;
    const QCommandLineOption m_Id;
};
