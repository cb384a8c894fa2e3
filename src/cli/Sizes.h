#pragma once

#include "Command.h"

class MResultNode;

// sizes --check PATH...: the OneDrive storage the checked notebooks, section groups and sections
// take, one line a row: its path, its size in bytes (empty when there is none), and its status
// (the size in words, "Non-creator" for a notebook of another account, "Not found", or why a read
// failed). The exit status is non-zero when any read failed.
class MCliSizes final : public MCliCommand
{
public:
    MCliSizes();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Check;
    const QCommandLineOption m_Refresh;
};

// The lines of a size report's tree: "path<TAB>bytes<TAB>status", depth first.
QStringList SizeLines(const MResultNode& root);
