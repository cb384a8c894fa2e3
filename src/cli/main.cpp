// pagewright-cli: the core's sign-in, notebook tree and settings from a terminal, for scripts and
// scheduled runs. It shares the desktop application's settings folder unless told otherwise.

#include "Command.h"
#include "account/MTokenStore.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "model/MOLONUtils.h"
#include "net/MRequestBudget.h"

#include <QCoreApplication>

namespace {

class MCliLinkOpener final : public MLinkOpener
{
public:
    void OpenLink(const QString& link) override { PrintOut(link); }
};

QString GeneralHelp()
{
    QStringList lines {
        QStringLiteral("%1: pagewright-cli [--settings-dir DIR] COMMAND [options]").arg(Localized("cliUsage")),
        QString(),
        Localized("cliGeneralOptions"),
        QStringLiteral("  --settings-dir DIR   %1").arg(Localized("cliOptionSettingsDir")),
        QStringLiteral("  -h, --help           %1").arg(Localized("cliOptionHelp")),
        QStringLiteral("  -v, --version        %1").arg(Localized("cliOptionVersion")),
        QString(),
        Localized("cliCommands"),
    };
    for (const auto& command : MCliCommand::All())
        lines.append(QStringLiteral("  %1%2").arg(command->name.leftJustified(20), command->description));
    lines.append(QString());
    lines.append(Localized("cliCommandHelp"));
    return lines.join(QLatin1Char('\n'));
}

struct MGlobalOptions
{
    QString settingsDir;
    bool help = false;
    bool version = false;
    QStringList command; // the command's name and its arguments
    QString error;
};

MGlobalOptions ParseGlobalOptions(const QStringList& arguments)
{
    MGlobalOptions result;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--settings-dir")) {
            if (i + 1 >= arguments.size()) {
                result.error = Localized("cliSettingsDirMissing");
                return result;
            }
            result.settingsDir = arguments.at(++i);
        } else if (arg.startsWith(QLatin1String("--settings-dir="))) {
            result.settingsDir = arg.mid(15);
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            result.help = true;
        } else if (arg == QLatin1String("-v") || arg == QLatin1String("--version")) {
            result.version = true;
        } else if (arg.startsWith(QLatin1Char('-'))) {
            result.error = Localized("cliUnknownOption").arg(arg);
            return result;
        } else {
            result.command = arguments.mid(i);
            return result;
        }
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The desktop's name, so that both find the same settings folder and share one sign-in.
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QCoreApplication::setOrganizationName(QString::fromLatin1(kMakerName));
    QCoreApplication::setApplicationVersion(ApplicationVersion());

    const MGlobalOptions global = ParseGlobalOptions(QCoreApplication::arguments());
    if (!global.error.isEmpty()) {
        PrintErr(global.error);
        PrintErr(GeneralHelp());
        return kExitUsage;
    }
    if (global.version) {
        PrintOut(QStringLiteral("pagewright-cli %1").arg(ApplicationVersion()));
        return kExitSuccess;
    }
    if (global.command.isEmpty()) {
        (global.help ? PrintOut : PrintErr)(GeneralHelp());
        return global.help ? kExitSuccess : kExitUsage;
    }
    const std::shared_ptr<MCliCommand> command = MCliCommand::Find(global.command.first());
    if (!command) {
        PrintErr(Localized("cliUnknownCommand").arg(global.command.first()));
        PrintErr(GeneralHelp());
        return kExitUsage;
    }
    SetTokenStoreWarningHandler([](const QString& text) { PrintErr(Localized("cliWarning").arg(text)); });
    SetLinkOpener(std::make_shared<MCliLinkOpener>());
    InitAppPaths(global.settingsDir);
    QStringList arguments = global.command;
    if (global.help)
        arguments.append(QStringLiteral("--help")); // "pagewright-cli --help tree" asks for the command's help
    const int status = command->Run(arguments);
    // The requests of this run count against the next one's limits.
    TheRequestBudget().Save();
    return status;
}
