#pragma once

#include "RecordingReporter.h"
#include "ServiceFixture.h"
#include "TempDir.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "tasks/MTaskContext.h"

#include <QJsonArray>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

// The export's service tests: an emulator loaded with the test's own notebooks, the signed-in
// personal account, the notebook tree fetched from it, and a task context with zero intervals.
class ExportServiceTest : public ::testing::Test
{
protected:
    void Start(const QJsonArray& notebooks)
    {
        SetStringTableLanguage(QStringLiteral("en"));
        InitAppPaths(app.Path(), app.FilePath(QStringLiteral("test.log")));
        const QJsonObject fixture {{"tokenLifetime", 3599},
            {"accounts",
                QJsonArray {QJsonObject {
                    {"key", "personal"}, {"kind", "personal"}, {"cid", "C0FFEE"}, {"notebooks", notebooks}}}}};
        service = std::make_unique<MServiceFixture>(fixture);
        ASSERT_TRUE(service->Started());
        emulator = &service->Emulator();
        account = &service->Account();
        OnWorker([&] { tree = service->FetchTree(); });
        emulator->ClearRequests();

        context.account = account;
        context.tree = tree;
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
    }

    // Runs service work on a thread of its own, as a feature run does; its connections close when
    // it ends.
    static void OnWorker(const std::function<void()>& work)
    {
        std::thread worker(work);
        worker.join();
    }

    // Checks the node at a slash-separated path of names below the root.
    MONObject* Check(const QString& path)
    {
        auto* node = const_cast<MONObject*>(MServiceFixture::FindPath(*tree, path));
        if (node)
            SetCheckState(node, 1);
        return node;
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
    std::unique_ptr<MServiceFixture> service;
    MEmulator* emulator = nullptr;
    MAccount* account = nullptr;
    std::shared_ptr<MONObject> tree;
    MRecordingReporter reporter;
    MCountingPacer pacer;
    std::atomic<bool> running {true};
    MTaskContext context;
};
