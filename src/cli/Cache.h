#pragma once

#include "Command.h"

// cache info | cache clear: how many pages the page cache keeps and what it takes on disk, or every
// page removed from it (of every account). Makes no request and makes no cache file.
class MCliCache final : public MCliCommand
{
public:
    MCliCache();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;
};
