#pragma once

#include "Command.h"

// search TEXT [--title-only] [--match-case] --check PATH...: the pages of the checked sections whose
// title (or content) holds the text. One line a hit on standard output: kind (page, paragraph,
// image), section path, page title, element text, link; pages that could not be read are failed rows.
class MCliSearch final : public MCliCommand
{
public:
    MCliSearch();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_TitleOnly;
    const QCommandLineOption m_MatchCase;
    const QCommandLineOption m_Check;
    const QCommandLineOption m_Refresh;
};
