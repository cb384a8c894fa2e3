#include "Command.h"

#include "Attachments.h"
#include "Backup.h"
#include "Cache.h"
#include "Config.h"
#include "CopySections.h"
#include "Export.h"
#include "ImportEnex.h"
#include "ImportFiles.h"
#include "ImportTree.h"
#include "Lost.h"
#include "Restore.h"
#include "Retitle.h"
#include "Search.h"
#include "Signin.h"
#include "Sizes.h"
#include "Tags.h"
#include "Tree.h"
#include "Whoami.h"
#include "app/MStrings.h"
#include "tasks/MRunReport.h"

#include <csignal>
#include <cstdio>

void PrintOut(const QString& text)
{
    std::fputs(qUtf8Printable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void PrintErr(const QString& text)
{
    std::fputs(qUtf8Printable(text + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}

const QList<std::shared_ptr<MCliCommand>>& MCliCommand::All()
{
    static const QList<std::shared_ptr<MCliCommand>> commands {
        std::make_shared<MCliSignin>(),
        std::make_shared<MCliSignout>(),
        std::make_shared<MCliWhoami>(),
        std::make_shared<MCliTree>(),
        std::make_shared<MCliExport>(),
        std::make_shared<MCliConfig>(),
        std::make_shared<MCliImportEnex>(),
        std::make_shared<MCliSearch>(),
        std::make_shared<MCliRetitle>(),
        std::make_shared<MCliTags>(),
        std::make_shared<MCliAttachments>(),
        std::make_shared<MCliImportFiles>(),
        std::make_shared<MCliImportTree>(),
        std::make_shared<MCliLost>(),
        std::make_shared<MCliCopySections>(),
        std::make_shared<MCliRestore>(),
        std::make_shared<MCliSizes>(),
        std::make_shared<MCliCache>(),
        std::make_shared<MCliBackup>(),
    };
    return commands;
}

std::shared_ptr<MCliCommand> MCliCommand::Find(const QString& name)
{
    for (const auto& command : All()) {
        if (command->name == name)
            return command;
    }
    return nullptr;
}

std::optional<QString> MCliCommand::CheckArguments(const QCommandLineParser& parser) const
{
    if (parser.positionalArguments().size() != positionals.size())
        return Localized("cliWrongArgumentCount");
    return std::nullopt;
}

QString MCliCommand::HelpText(const QCommandLineParser& parser) const
{
    // The parser's usage line names the executable's full path; ours names the command.
    QString text = parser.helpText();
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    QStringList syntax;
    for (const Positional& positional : positionals)
        syntax.append(positional.syntax.isEmpty() ? positional.name : positional.syntax);
    const QString usage = QStringLiteral("%1: pagewright-cli [--settings-dir DIR] %2 [options] %3")
                              .arg(Localized("cliUsage"), name, syntax.join(QLatin1Char(' ')))
                              .trimmed();
    return usage + text.mid(firstLineEnd);
}

int MCliCommand::Run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, Localized("cliOptionHelp"));
    parser.addOption(help);
    parser.addOptions(options);
    for (const Positional& positional : positionals)
        parser.addPositionalArgument(positional.name, positional.description, positional.syntax);

    if (!parser.parse(arguments)) {
        PrintErr(parser.errorText());
        PrintErr(HelpText(parser));
        return kExitUsage;
    }
    if (parser.isSet(help)) {
        PrintOut(HelpText(parser));
        return kExitSuccess;
    }
    if (const std::optional<QString> error = CheckArguments(parser)) {
        PrintErr(*error);
        PrintErr(HelpText(parser));
        return kExitUsage;
    }
    return Execute(parser);
}

void PrintReportPath(MRunRecorder& recorder)
{
    const QString path = recorder.WriteReport();
    if (path.isEmpty())
        PrintErr(Localized("cliReportNotWritten").arg(recorder.WriteError()));
    else
        PrintErr(Localized("cliReportWritten").arg(path, MRunReport::HtmlPathFor(path)));
}

namespace {

std::atomic<std::atomic<bool>*> g_StopFlag {nullptr};

extern "C" void StopOnSignal(int signal)
{
    // Only lock-free atomic stores here: nothing else may run inside a signal handler.
    if (std::atomic<bool>* running = g_StopFlag.load())
        running->store(false);
    std::signal(signal, SIG_DFL); // the second one ends the program
}

} // namespace

MStopOnSignal::MStopOnSignal(std::atomic<bool>& running)
{
    g_StopFlag = &running;
    std::signal(SIGINT, StopOnSignal);
    std::signal(SIGTERM, StopOnSignal);
}

MStopOnSignal::~MStopOnSignal()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    g_StopFlag = nullptr;
}
