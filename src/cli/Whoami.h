#pragma once

#include "Command.h"

// whoami: the stored account's kind, sign-in name, user id and token state. Makes no request.
class MCliWhoami final : public MCliCommand
{
public:
    MCliWhoami();

protected:
    int Execute(const QCommandLineParser& parser) override;
};
