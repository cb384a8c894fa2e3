#pragma once

#include "Command.h"

// config get KEY | config set KEY VALUE: reads or writes one key of the settings file. A value set
// over an existing integer or boolean keeps that kind when it reads as one.
class MCliConfig final : public MCliCommand
{
public:
    MCliConfig();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;
};
