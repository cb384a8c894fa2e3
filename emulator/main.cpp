// pagewright-emulator --port 0 --fixture FILE [--auto-consent] [--state-out FILE] [--fault RULE]...
//     [--throttle WINDOWS] [--item-limit N] [--answer-style plain|varied] [--client-id ID]...
//     [--device-interval SECONDS]
// Serves the identity platform, Graph and the maker's web server on 127.0.0.1 until it is stopped
// (SIGINT or SIGTERM); prints "listening on http://127.0.0.1:PORT" as its first line, in the varied
// style "downloads on http://127.0.0.1:PORT" as its second, then one line "application id ID" for
// each application id it knows.
#include "MEmulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <csignal>
#include <cstdio>
#include <semaphore>

namespace {

std::binary_semaphore g_Stop {0};

void OnSignal(int)
{
    g_Stop.release();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pagewright-emulator"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in for the Microsoft identity platform, Graph (OneNote and "
                                                    "OneDrive) and the maker's web server, on 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on; 0 for any free port."),
        QStringLiteral("PORT"), QStringLiteral("0"));
    const QCommandLineOption fixture(
        QStringLiteral("fixture"), QStringLiteral("The fixture file (JSON) to load."), QStringLiteral("FILE"));
    const QCommandLineOption autoConsent(
        QStringLiteral("auto-consent"), QStringLiteral("Answer a sign-in page request with the redirect at once."));
    const QCommandLineOption stateOut(QStringLiteral("state-out"),
        QStringLiteral("Write the final state (JSON) here on exit."), QStringLiteral("FILE"));
    const QCommandLineOption fault(QStringLiteral("fault"),
        QStringLiteral("A fault rule: \"METHOD PATH-PATTERN KIND [key=value]...\"."), QStringLiteral("RULE"));
    const QCommandLineOption throttle(QStringLiteral("throttle"),
        QStringLiteral("Request limits per account, as sliding windows: \"COUNT/SECONDSs,...\" (\"10/2s,30/10s\"; "
                       "the documented ones are \"120/60s,400/3600s\"), or \"off\". Over them OneNote answers 429 "
                       "with code 20166 and OneDrive 429 with Retry-After."),
        QStringLiteral("WINDOWS"));
    const QCommandLineOption itemLimit(QStringLiteral("item-limit"),
        QStringLiteral("The large-library limit: over this many OneNote items (notebooks, section groups, sections) "
                       "an account's expanded notebook list answers 403 with code 10008, as documented; 0 for none. "
                       "Default: the fixture's \"itemLimit\", else 5000."),
        QStringLiteral("N"));
    const QCommandLineOption answerStyle(QStringLiteral("answer-style"),
        QStringLiteral("\"plain\": compact JSON in the documented member order, every answer from one origin. "
                       "\"varied\": as the real services answer: JSON pretty-printed with CRLF, members in another "
                       "order, \"/\" and non-ASCII escaped, Graph's extra fields, gzip when accepted, chunked "
                       "transfer, downloads redirected to a second origin. Default: the fixture's \"answerStyle\", "
                       "else plain."),
        QStringLiteral("STYLE"));
    const QCommandLineOption clientId(QStringLiteral("client-id"),
        QStringLiteral("An application (client) id the identity platform knows; repeatable. With the fixture's "
                       "\"clientIds\" the only ones known; when neither names any: %1. An unknown id gets the "
                       "platform's AADSTS700016 answers.")
            .arg(QLatin1String(MEmulator::kApplicationId)),
        QStringLiteral("ID"));
    const QCommandLineOption deviceInterval(QStringLiteral("device-interval"),
        QStringLiteral("Seconds a device-code sign-in is told to wait between polls (a poll sooner answers "
                       "slow_down). Default: the fixture's \"deviceInterval\", else 5."),
        QStringLiteral("SECONDS"));
    parser.addOptions(
        {port, fixture, autoConsent, stateOut, fault, throttle, itemLimit, answerStyle, clientId, deviceInterval});
    parser.process(app);

    if (!parser.isSet(fixture)) {
        std::fprintf(stderr, "pagewright-emulator: --fixture FILE is required\n");
        return 2;
    }
    QString error;
    MEmulator::Options options;
    options.fixture = LoadFixtureFile(parser.value(fixture), &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "pagewright-emulator: %s\n", qPrintable(error));
        return 2;
    }
    options.autoConsent = parser.isSet(autoConsent);
    options.throttle = parser.value(throttle);
    options.answerStyle = parser.value(answerStyle);
    if (parser.isSet(itemLimit)) {
        bool limitOk = false;
        options.itemLimit = parser.value(itemLimit).toLongLong(&limitOk);
        if (!limitOk || *options.itemLimit < 0) {
            std::fprintf(stderr, "pagewright-emulator: --item-limit needs a count of 0 or more\n");
            return 2;
        }
    }
    options.clientIds = parser.values(clientId);
    if (parser.isSet(deviceInterval)) {
        bool intervalOk = false;
        options.deviceInterval = parser.value(deviceInterval).toLongLong(&intervalOk);
        if (!intervalOk || *options.deviceInterval < 0) {
            std::fprintf(stderr, "pagewright-emulator: --device-interval needs a number of seconds, 0 or more\n");
            return 2;
        }
    }
    bool ok = false;
    options.port = parser.value(port).toInt(&ok);
    if (!ok || options.port < 0 || options.port > 65535) {
        std::fprintf(stderr, "pagewright-emulator: --port needs a number from 0 to 65535\n");
        return 2;
    }
    MEmulator emulator(options);
    for (const QString& rule : parser.values(fault))
        if (auto faultError = emulator.AddFault(rule)) {
            std::fprintf(stderr, "pagewright-emulator: %s\n", qPrintable(*faultError));
            return 2;
        }
    if (auto startError = emulator.Start()) {
        std::fprintf(stderr, "pagewright-emulator: %s\n", qPrintable(*startError));
        return 1;
    }
    std::printf("listening on %s\n", qPrintable(emulator.Origin()));
    if (emulator.Varied())
        std::printf("downloads on %s\n", qPrintable(emulator.DownloadOrigin()));
    for (const QString& id : emulator.ClientIds())
        std::printf("application id %s\n", qPrintable(id));
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    g_Stop.acquire();
    emulator.Stop();
    if (parser.isSet(stateOut)) {
        QFile out(parser.value(stateOut));
        if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(emulator.State()).toJson()) < 0) {
            std::fprintf(stderr, "pagewright-emulator: cannot write %s\n", qPrintable(parser.value(stateOut)));
            return 1;
        }
    }
    return 0;
}
