#pragma once

#include "Command.h"

// tags [--tag NAME]... [--text TEXT] [--todo checked|unchecked] [--summary-to PATH] --check PATH...:
// the tagged elements of the checked sections, filtered and sorted as the tag panel shows them, one
// line each on standard output: icon name, text, page path, link. With --summary-to the shown items
// also become a "Tag Summary" page in that section, whose link is printed last.
class MCliTags final : public MCliCommand
{
public:
    MCliTags();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Tag;
    const QCommandLineOption m_Text;
    const QCommandLineOption m_Todo;
    const QCommandLineOption m_SummaryTo;
    const QCommandLineOption m_Check;
    const QCommandLineOption m_Refresh;
};
