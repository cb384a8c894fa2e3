#pragma once

#include "Command.h"

// copy-sections --to PATH --check PATH...: copies the checked sections and section groups (a checked
// notebook gives its contents) into the notebook or section group PATH, as OneDrive files and
// folders, never over an item there. One result line per section and group; the exit status is
// non-zero when any failed.
class MCliCopySections final : public MCliCommand
{
public:
    MCliCopySections();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_To;
    const QCommandLineOption m_Check;
    const QCommandLineOption m_Refresh;
};
