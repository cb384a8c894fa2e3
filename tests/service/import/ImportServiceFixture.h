#pragma once

#include "RecordingReporter.h"
#include "ServiceFixture.h"
#include "TempDir.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "tasks/MTaskContext.h"
#include "tasks/TaskTexts.h"

#include <QJsonArray>
#include <QMap>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <thread>

// Readable failure messages for text comparisons.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '[';
    for (const QString& text : list)
        *os << "\n  \"" << text.toStdString() << '"';
    *os << " ]";
}

// The file and folder importers' service tests: an emulator with the test's own notebooks, the
// signed-in personal account, the notebook tree fetched from it, a task context with zero
// intervals, and a folder for the files to import.
class ImportServiceTest : public ::testing::Test
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
        FetchTree();
        context.account = account;
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
    }

    // The tree as the application holds it after a refresh, for the next run's snapshot.
    void FetchTree()
    {
        OnWorker([&] { tree = service->FetchTree(); });
        emulator->ClearRequests();
        context.tree = tree;
    }

    // Runs service work on a thread of its own, as a feature run does.
    static void OnWorker(const std::function<void()>& work)
    {
        std::thread worker(work);
        worker.join();
    }

    MONObject* Tick(const QString& path)
    {
        auto* node = const_cast<MONObject*>(MServiceFixture::FindPath(*tree, path));
        if (node)
            node->intValue = 1;
        return node;
    }

    std::vector<MEmuLoggedRequest> Posts(const QString& pathEnd) const
    {
        std::vector<MEmuLoggedRequest> posts;
        for (const MEmuLoggedRequest& request : emulator->Requests()) {
            if (request.method == QLatin1String("POST") && request.path.endsWith(pathEnd))
                posts.push_back(request);
        }
        return posts;
    }

    // The service's notebooks as "Notebook/Group/Section: title, title" lines (sections only,
    // sorted), read from the emulator's state.
    QStringList Online() const
    {
        const QJsonArray items = emulator->State().value(QStringLiteral("items")).toArray();
        QMap<QString, QJsonObject> byId;
        for (const QJsonValue& item : items)
            byId.insert(item.toObject().value(QStringLiteral("id")).toString(), item.toObject());
        QStringList lines;
        for (const QJsonObject& item : byId) {
            const QString name = item.value(QStringLiteral("name")).toString();
            if (!name.endsWith(QLatin1String(".one")))
                continue;
            QStringList path {name.chopped(4)};
            for (QJsonObject up = byId.value(item.value(QStringLiteral("parentId")).toString()); !up.isEmpty();
                 up = byId.value(up.value(QStringLiteral("parentId")).toString())) {
                path.prepend(up.value(QStringLiteral("name")).toString());
                if (up.value(QStringLiteral("kind")).toString() == QLatin1String("notebook"))
                    break;
            }
            QStringList titles;
            for (const QJsonValue& page : item.value(QStringLiteral("pages")).toArray())
                titles.append(page.toObject().value(QStringLiteral("title")).toString());
            lines.append(path.join(QLatin1Char('/')) + QStringLiteral(": ") + titles.join(QStringLiteral(", ")));
        }
        lines.sort();
        return lines;
    }

    // The final rows the run reported: "Outcome text | reason".
    QStringList Rows() const
    {
        QMap<qint64, QString> rows;
        for (const MTaskItem& item : reporter.Items()) {
            if (item.outcome == MItemOutcome::Sending)
                continue;
            QString line = OutcomeText(item.outcome) + QLatin1Char(' ') + item.text;
            if (!item.reason.isEmpty())
                line += QStringLiteral(" | ") + item.reason;
            rows.insert(item.index, line);
        }
        return rows.values();
    }

    MTempDir app;
    MTempDir files;
    std::unique_ptr<MServiceFixture> service;
    MEmulator* emulator = nullptr;
    MAccount* account = nullptr;
    std::shared_ptr<MONObject> tree;
    MRecordingReporter reporter;
    MCountingPacer pacer;
    std::atomic<bool> running {true};
    MTaskContext context;
};
