#pragma once

#include "MEmulator.h"
#include "app/MConfig.h"

#include <QString>

// Points every host of the application at the emulator, and gives it the emulator's application id,
// in `settingsFile`.
inline bool WriteEmulatorHosts(const QString& settingsFile, const QString& origin)
{
    MConfig config(settingsFile);
    for (const char* key : {"Host_GlobalLogin", "Host_ChinaLogin", "Host_ConsumerLogin", "Host_GlobalGraph",
             "Host_ChinaGraph", "Host_OneNoteService", "Host_ConsumerDocuments", "Host_MakerWeb"})
        config.WriteValue(QLatin1String(key), origin);
    for (const char* key : {"ClientId_Graph", "ClientId_OneNote"})
        config.WriteValue(QLatin1String(key), QLatin1String(MEmulator::kApplicationId));
    return config.Save();
}

// The demo fixture on a free port, one per test executable and reset for each use. It is never
// stopped: stopping waits for every kept-alive client connection to time out, and the program's own
// connections (one per thread) stay open until the end.
inline MEmulator* DemoEmulator()
{
    static MEmulator* emulator = []() -> MEmulator* {
        QString error;
        MEmulator::Options options;
        options.fixture = LoadFixtureFile(QStringLiteral(PAGEWRIGHT_EMULATOR_FIXTURES_DIR "/demo.json"), &error);
        if (!error.isEmpty())
            return nullptr;
        auto* started = new MEmulator(options);
        return started->Start() ? nullptr : started;
    }();
    if (emulator)
        emulator->Reset();
    return emulator;
}
