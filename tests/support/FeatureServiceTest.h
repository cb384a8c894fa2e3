#pragma once

#include "RecordingReporter.h"
#include "ServiceFixture.h"
#include "TempDir.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "import/EvernoteImport.h"
#include "tasks/MTaskContext.h"

#include <QJsonArray>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <thread>

// Readable failure messages for text comparisons.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// The base of the feature tasks' service tests: an emulator with the test's own notebooks (or any
// fixture), one signed-in account, the notebook tree as the application fetches it, and a run's
// context with zero intervals. English strings, and the application's folders in a temporary one.
class FeatureServiceTest : public ::testing::Test
{
public:
    // A fixture of one personal account holding `notebooks`.
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

    // An Evernote export of `notes` notes, "Note 1" to "Note n", each with a body of its own.
    static QByteArray GeneratedEnex(int notes)
    {
        QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<en-export>\n";
        for (int i = 1; i <= notes; ++i)
            xml += "<note><title>Note " + QByteArray::number(i) + "</title><content><![CDATA[<en-note><div>Body "
                + QByteArray::number(i) + "</div></en-note>]]></content><created>20230105T101500Z</created></note>\n";
        return xml + "</en-export>\n";
    }

protected:
    void Start(const QJsonArray& notebooks) { StartWith(FixtureOf(notebooks)); }

    void StartWith(const QJsonObject& fixture, const QString& accountKey = QStringLiteral("personal"),
        int accountType = MAccount::Personal)
    {
        SetStringTableLanguage(QStringLiteral("en"));
        InitAppPaths(app.Path(), app.FilePath(QStringLiteral("test.log")));
        service = std::make_unique<MServiceFixture>(fixture, accountKey, accountType);
        ASSERT_TRUE(service->Started());
        emulator = &service->Emulator();
        account = &service->Account();
        context.account = account;
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
        FetchTree();
    }

    // The tree as the application holds it after a refresh (the next run's snapshot); the requests
    // that fetched it are forgotten.
    void FetchTree()
    {
        OnWorker([&] { tree = service->FetchTree(); });
        emulator->ClearRequests();
        context.tree = tree;
    }

    // Service work runs on a thread of its own, as a feature run does; its connections close when
    // it ends, so the emulator is not left holding a kept-alive one.
    static void OnWorker(const std::function<void()>& work)
    {
        std::thread worker(work);
        worker.join();
    }

    // An ENEX import as a run makes it: a session of the run's own and the service's page sender.
    MEvernoteImportResult ImportEnexRun(const MEvernoteImportSettings& settings, MNotebookNode& sections)
    {
        MEvernoteImportResult result;
        OnWorker([&] {
            MServiceSession session = SessionFor(context);
            MServiceEnexSender sender(session);
            result = ThreadImportRun(context, sender, settings, sections);
        });
        return result;
    }

    MNotebookNode* Node(const QString& path)
    {
        return const_cast<MNotebookNode*>(MServiceFixture::FindPath(*tree, path));
    }
    // Checks the node at a slash-separated path of names below the root.
    MNotebookNode* Check(const QString& path)
    {
        MNotebookNode* node = Node(path);
        EXPECT_NE(node, nullptr) << path.toStdString();
        if (node)
            SetCheckState(node, 1);
        return node;
    }

    // The requests whose path (query included) contains `part`, of one method or of any.
    std::vector<MEmuLoggedRequest> RequestsTo(const QString& method, const QString& part) const
    {
        std::vector<MEmuLoggedRequest> found;
        for (const MEmuLoggedRequest& request : emulator->Requests())
            if ((method.isEmpty() || request.method == method) && request.path.contains(part))
                found.push_back(request);
        return found;
    }
    std::vector<MEmuLoggedRequest> RequestsTo(const QString& part) const { return RequestsTo(QString(), part); }

    // The pages whose content the run read from the service, and its page lists.
    QStringList ContentReads() const
    {
        QStringList ids;
        for (const MEmuLoggedRequest& request : RequestsTo(QStringLiteral("GET"), QStringLiteral("/content")))
            if (request.path.contains(QLatin1String("/pages/")))
                ids << QUrl::fromPercentEncoding(
                    request.path.section(QLatin1String("/pages/"), 1).section(QLatin1Char('/'), 0, 0).toUtf8());
        return ids;
    }
    size_t Listings() const { return RequestsTo(QStringLiteral("GET"), QStringLiteral("/pages?")).size(); }
    // The pages of a section in the emulator's state (title, id and HTML), and their titles, in order.
    QList<QJsonObject> StatePages(const QString& sectionName) const
    {
        QList<QJsonObject> pages;
        for (const QJsonValue& item : emulator->State().value(QLatin1String("items")).toArray())
            if (item.toObject().value(QLatin1String("name")).toString() == sectionName + QStringLiteral(".one"))
                for (const QJsonValue& page : item.toObject().value(QLatin1String("pages")).toArray())
                    pages.append(page.toObject());
        return pages;
    }

    QStringList StateTitles(const QString& sectionName) const
    {
        QStringList titles;
        for (const QJsonObject& page : StatePages(sectionName))
            titles.append(page.value(QLatin1String("title")).toString());
        return titles;
    }

    // The final rows the run reported (a row's Sending report left out), in order.
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
    std::shared_ptr<MNotebookNode> tree;
    MRecordingReporter reporter;
    MCountingPacer pacer;
    std::atomic<bool> running {true};
    MTaskContext context;
};
