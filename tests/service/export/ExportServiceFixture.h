#pragma once

#include "MEmulator.h"
#include "RecordingReporter.h"
#include "TempDir.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "model/MNotebookTree.h"
#include "model/MONObject.h"
#include "tasks/MTaskContext.h"

#include <QJsonArray>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

// An emulator loaded with the test's own notebooks, a signed-in personal account pointed at it, the
// notebook tree fetched from it, and a task context with zero intervals.
class ExportServiceTest : public ::testing::Test
{
protected:
    void Start(const QJsonArray& notebooks)
    {
        SetStringTableLanguage(QStringLiteral("en"));
        InitAppPaths(app.Path(), app.FilePath(QStringLiteral("test.log")));
        QJsonObject fixture {{"tokenLifetime", 3599},
            {"accounts",
                QJsonArray {QJsonObject {
                    {"key", "personal"}, {"kind", "personal"}, {"cid", "C0FFEE"}, {"notebooks", notebooks}}}}};
        emulator = std::make_unique<MEmulator>(MEmulator::Options {fixture, true, 0});
        const std::optional<QString> error = emulator->Start();
        ASSERT_FALSE(error) << qPrintable(*error);

        MEndpoints endpoints = MEndpoints::Defaults();
        for (QString* host :
            {&endpoints.globalLogin, &endpoints.chinaLogin, &endpoints.consumerLogin, &endpoints.globalGraph,
                &endpoints.chinaGraph, &endpoints.oneNoteService, &endpoints.consumerDocuments, &endpoints.makerWeb})
            *host = emulator->Origin();
        account.setEndpoints(endpoints);
        account.setMSAccountType(MAccount::Personal);
        const MEmulator::Tokens tokens = emulator->IssueTokens(QStringLiteral("personal"));
        account.setOnlineOneNoteAccessToken(tokens.accessToken);
        account.setOnlineOneNoteRefreshToken(tokens.refreshToken);
        account.setUserId(tokens.userId.isEmpty() ? QStringLiteral("user") : tokens.userId);
        account.setRetrieveTokensTime(QDateTime::currentDateTime());
        account.setTokenExpires_in(3599);

        fprintf(stderr, "X %lld\n", QDateTime::currentMSecsSinceEpoch() % 100000);
        tree = std::make_shared<MONObject>();
        bool isList = false;
        OnWorker([&] {
            MNotebookTree builder(account, *tree, app.FilePath(QStringLiteral("notebooks.json")));
            isList = builder.CreateNotebooksTree(true, false).isList;
        });
        ASSERT_TRUE(isList);
        emulator->ClearRequests();

        context.account = &account;
        context.tree = tree;
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
    }

    // Runs service work on a thread of its own, as a feature run does. The thread's connections close
    // when it ends, so the emulator never waits out a kept-alive connection when it stops.
    static void OnWorker(const std::function<void()>& work)
    {
        std::thread worker(work);
        worker.join();
    }

    // Checks the node at a slash-separated path of names below the root.
    MONObject* Check(const QString& path)
    {
        const MONObject* node = tree.get();
        for (const QString& name : path.split(QLatin1Char('/'))) {
            const MONObject* next = nullptr;
            for (const auto& child : node->children())
                if (child->name == name)
                    next = child.get();
            if (!next)
                return nullptr;
            node = next;
        }
        auto* found = const_cast<MONObject*>(node);
        SetCheckState(found, 1);
        return found;
    }

    // The requests whose path (query included) contains `part`.
    std::vector<MEmuLoggedRequest> RequestsTo(const QString& part) const
    {
        std::vector<MEmuLoggedRequest> found;
        for (const MEmuLoggedRequest& request : emulator->Requests())
            if (request.path.contains(part))
                found.push_back(request);
        return found;
    }

    static QJsonObject Page(const QString& title, const QString& body, const QJsonArray& resources = {})
    {
        return QJsonObject {
            {"title", title}, {"created", "2024-05-01T09:30:00Z"}, {"body", body}, {"resources", resources}};
    }

    MTempDir app;
    MTempDir out;
    std::unique_ptr<MEmulator> emulator;
    MAccount account;
    std::shared_ptr<MONObject> tree;
    MRecordingReporter reporter;
    MCountingPacer pacer;
    std::atomic<bool> running {true};
    MTaskContext context;
};
