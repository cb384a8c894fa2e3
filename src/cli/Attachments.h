#pragma once

#include "Command.h"

// attachments list --check PATH...: the files attached to the pages of the checked sections, one line
// each on standard output: name, type, page path.
// attachments save --out DIR [--type MIME]... --check PATH...: saves them (or those of the types
// given) into DIR, never over a file that is there; each file is a row on standard output.
class MCliAttachments final : public MCliCommand
{
public:
    MCliAttachments();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Out;
    const QCommandLineOption m_Type;
    const QCommandLineOption m_Check;
    const QCommandLineOption m_Refresh;
};
