#pragma once

#include "Command.h"

// retitle --find TEXT --replace TEXT [--match-case] --check PATH...: replaces text in the page titles
// of the checked sections. Each retitled page is a row on standard output ("old → new"); the exit
// status is non-zero when any page or section could not be retitled.
class MCliRetitle final : public MCliCommand
{
public:
    MCliRetitle();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Find;
    const QCommandLineOption m_Replace;
    const QCommandLineOption m_MatchCase;
    const QCommandLineOption m_Check;
    const QCommandLineOption m_Refresh;
};
