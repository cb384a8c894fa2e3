#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>

// Exit codes of every command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1; // the command ran and failed (no sign-in, no answer, ...)
inline constexpr int kExitUsage = 2; // the command line was wrong

// One command of pagewright-cli: its name, a one-line description, its options and positional
// arguments, and what it does. Each command lives in its own file; main() finds it by name.
class MCliCommand
{
public:
    virtual ~MCliCommand() = default;

    QString name;
    QString description;
    QList<QCommandLineOption> options;
    struct Positional
    {
        QString name;
        QString description;
        QString syntax;
    };
    QList<Positional> positionals;

    // `arguments` starts with the command's name. Prints its own help and errors.
    int Run(const QStringList& arguments);

    // The commands in the order the general help lists them.
    static const QList<std::shared_ptr<MCliCommand>>& All();
    static std::shared_ptr<MCliCommand> Find(const QString& name);

protected:
    // Runs with the parsed command line; the settings folder is set up by then.
    virtual int Execute(const QCommandLineParser& parser) = 0;
    // Checks the positional arguments beyond what the parser knows; a message when they are wrong.
    virtual std::optional<QString> CheckArguments(const QCommandLineParser& parser) const;

    QString HelpText(const QCommandLineParser& parser) const;
};

// Output helpers: standard output for results, standard error for messages.
void PrintOut(const QString& text);
void PrintErr(const QString& text);

class MRunRecorder;
// "Report: <path>" on standard error once the run's report is written (or why it could not be).
void PrintReportPath(MRunRecorder& recorder);

// While it lives, Ctrl-C (SIGINT) and SIGTERM stop the run as the stop button does: the current
// item ends, what was done is recorded and reported. A second Ctrl-C ends the program at once.
class MStopOnSignal
{
public:
    explicit MStopOnSignal(std::atomic<bool>& running);
    ~MStopOnSignal();
    MStopOnSignal(const MStopOnSignal&) = delete;
    MStopOnSignal& operator=(const MStopOnSignal&) = delete;
};
