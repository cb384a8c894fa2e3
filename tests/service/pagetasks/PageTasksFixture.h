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

// The page tasks against the emulator: the test's own notebooks (or the demo's), one signed-in
// account, the notebook tree as the application fetches it, and a run's context with zero intervals.
class PageTasksTest : public ::testing::Test
{
protected:
    void Start(const QJsonArray& notebooks) { StartWith(FixtureOf(notebooks), QStringLiteral("personal")); }

    void StartWith(const QJsonObject& fixture, const QString& accountKey, int accountType = MAccount::Personal)
    {
        SetStringTableLanguage(QStringLiteral("en"));
        InitAppPaths(app.Path(), app.FilePath(QStringLiteral("test.log")));
        service = std::make_unique<MServiceFixture>(fixture, accountKey, accountType);
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

public:
    static QJsonObject FixtureOf(const QJsonArray& notebooks)
    {
        return QJsonObject {{"tokenLifetime", 3599},
            {"accounts",
                QJsonArray {QJsonObject {
                    {"key", "personal"}, {"kind", "personal"}, {"cid", "C0FFEE"}, {"notebooks", notebooks}}}}};
    }

    static QJsonObject Notebook(const QString& name, const QJsonArray& sections)
    {
        return QJsonObject {{"name", name}, {"sections", sections}};
    }
    static QJsonObject Section(const QString& name, const QJsonArray& pages)
    {
        return QJsonObject {{"name", name}, {"pages", pages}};
    }
    static QJsonObject Generated(const QString& name, int pages)
    {
        return QJsonObject {{"name", name}, {"generatedPages", pages}};
    }
    static QJsonObject Page(const QString& title, const QString& body, const QJsonArray& resources = {})
    {
        return QJsonObject {
            {"title", title}, {"created", "2024-05-01T09:30:00Z"}, {"body", body}, {"resources", resources}};
    }

protected:
    // Service work runs on a thread of its own, as a feature run does.
    static void OnWorker(const std::function<void()>& work)
    {
        std::thread worker(work);
        worker.join();
    }

    MONObject* Check(const QString& path)
    {
        auto* node = const_cast<MONObject*>(MServiceFixture::FindPath(*tree, path));
        EXPECT_NE(node, nullptr) << path.toStdString();
        if (node)
            SetCheckState(node, 1);
        return node;
    }

    std::vector<MEmuLoggedRequest> RequestsTo(const QString& method, const QString& part) const
    {
        std::vector<MEmuLoggedRequest> found;
        for (const MEmuLoggedRequest& request : emulator->Requests())
            if (request.method == method && request.path.contains(part))
                found.push_back(request);
        return found;
    }

    // The pages of a section in the emulator's state: title and HTML, in order.
    QList<QJsonObject> StatePages(const QString& sectionName) const
    {
        QList<QJsonObject> pages;
        for (const QJsonValue& item : emulator->State().value(QLatin1String("items")).toArray())
            if (item.toObject().value(QLatin1String("name")).toString() == sectionName + QStringLiteral(".one"))
                for (const QJsonValue& page : item.toObject().value(QLatin1String("pages")).toArray())
                    pages.append(page.toObject());
        return pages;
    }

    // The final rows the run reported (a row's Sending report is left out).
    QList<MTaskItem> FinalRows() const
    {
        QList<MTaskItem> rows;
        for (const MTaskItem& item : reporter.Items())
            if (item.outcome != MItemOutcome::Sending)
                rows.append(item);
        return rows;
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
