#pragma once

#include "Command.h"

// Another run holds the mirror (sysexits' EX_TEMPFAIL): a timer may simply try again later.
inline constexpr int kExitBusy = 75;

// backup --out DIR [--kind html|txt] [--sections] --check PATH... | --all: brings the mirror in DIR up to date
// (MBackupTask). The notebook list is read afresh, so that new sections are found. Standard output
// gets one summary line; rows and progress go to standard error. Exit status: 0 all up to date, 1
// some pages or sections failed (their last good copies stay), 2 usage, 75 another run is busy.
class MCliBackup final : public MCliCommand
{
public:
    MCliBackup();

protected:
    int Execute(const QCommandLineParser& parser) override;
    std::optional<QString> CheckArguments(const QCommandLineParser& parser) const override;

private:
    const QCommandLineOption m_Out;
    const QCommandLineOption m_Kind;
    const QCommandLineOption m_Sections;
    const QCommandLineOption m_Check;
    const QCommandLineOption m_All;
    const QCommandLineOption m_ReportFile;
};
