// What the application does with each kind of bad answer the service can give, on every kind of
// request: an item is failed with a reason a user can read, or succeeds after the wait the service
// asked for, and nothing an error answer carried is ever saved as the user's file or counted as a
// created page.
#include "FeatureServiceTest.h"
#include "app/GlobalSettings.h"
#include "export/MExportTask.h"
#include "import/EvernoteImport.h"
#include "net/MHttpClient.h"
#include "net/MRequestBudget.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>

namespace {

class HonestAnswers : public FeatureServiceTest
{
protected:
    void TearDown() override
    {
        MHttpClient::SetTimeoutCapMs(0);
        GlobalSettings().SetRequestBudget(QStringLiteral("off"));
    }

    void StartWithOnePage()
    {
        reporter.Clear();
        running = true;
        const QJsonArray resources {QJsonObject {{"name", "pic"}, {"png", QJsonObject {{"width", 4}, {"height", 3}}}}};
        Start(QJsonArray {QJsonObject {{"name", "Book"},
            {"sections",
                QJsonArray {Section("Costs", {Page("Costs so far", "<p>42</p><img src=\"name:pic\" />", resources)}),
                    Section("Inbox", {})}}}});
    }

    void Fault(const QString& rule) { ASSERT_FALSE(emulator->AddFault(rule).has_value()) << qPrintable(rule); }

    MExportTask& Export(MExportKind kind)
    {
        task = std::make_unique<MExportTask>(context, kind, out.Path());
        OnWorker([&] { task->ThreadRun(); });
        return *task;
    }

    // Imports `notes` generated notes, or the notes of `enex`, into Book/Inbox.
    MEvernoteImportResult Import(int notes, const QByteArray& enex = {})
    {
        for (const auto& child : tree->children())
            SetCheckState(child.get(), 0);
        Check("Book/Inbox");
        MEvernoteImportSettings settings;
        settings.enexFileName = app.WriteFile(QStringLiteral("in.enex"), enex.isEmpty() ? GeneratedEnex(notes) : enex);
        settings.from = 1;
        settings.to = notes;
        MEvernoteTarget target = ChooseEvernoteTarget(*tree, false);
        settings.parentUrlSaveTo = target.parentUrl;
        return ImportEnexRun(settings, *target.sections);
    }

    QString PageFile() const { return out.FilePath(QStringLiteral("Book/Costs/Costs so far.txt")); }

    std::unique_ptr<MExportTask> task;
};

// One bad answer of each kind, and what the user must be told of it.
struct MBadAnswer
{
    const char* kind; // the fault rule's kind and settings
    const char* reason; // how the reason starts
};

const MBadAnswer kRefusals[] = {
    {"html", "HTTP 500 Internal Server Error: 500 - Internal server error."},
    {"empty", "HTTP 200: the answer was empty"},
    {"error status=404 code=20102 message=Gone", "HTTP 404 Not Found, 20102: Gone"},
    {"drop count=3", "no answer: "},
    {"delay ms=1500 count=3", "no answer: "},
};

TEST_F(HonestAnswers, ABadPageContentAnswerFailsThePageWithItsReasonAndWritesNothing)
{
    for (const MBadAnswer& bad : kRefusals) {
        SCOPED_TRACE(bad.kind);
        StartWithOnePage();
        Check("Book/Costs");
        MHttpClient::SetTimeoutCapMs(1000);
        Fault(QStringLiteral("GET */pages/*/content %1").arg(QLatin1String(bad.kind)));
        MExportTask& export_ = Export(MExportKind::Text);
        EXPECT_FALSE(QFile::exists(PageFile()));
        ASSERT_EQ(export_.Items().size(), 1);
        EXPECT_TRUE(export_.Items().first().Failed());
        EXPECT_TRUE(export_.Items().first().reason.startsWith(QLatin1String(bad.reason)))
            << qPrintable(export_.Items().first().reason);
        EXPECT_TRUE(reporter.LastResult().contains(QStringLiteral(" Failure (") + QLatin1String(bad.reason)));
        EXPECT_EQ(export_.ExportFilesCount(), 0);
        out.Clear();
    }
}

TEST_F(HonestAnswers, ABadPageListAnswerFailsTheSectionAloudAndTheNextSectionGoesOn)
{
    for (const MBadAnswer& bad : kRefusals) {
        SCOPED_TRACE(bad.kind);
        StartWithOnePage();
        Check("Book");
        MHttpClient::SetTimeoutCapMs(1000);
        const MNotebookNode* costs = MServiceFixture::FindPath(*tree, QStringLiteral("Book/Costs"));
        Fault(QStringLiteral("GET */sections/%1/pages %2").arg(costs->id, QLatin1String(bad.kind)));
        MExportTask& export_ = Export(MExportKind::Text);
        ASSERT_EQ(reporter.Alerts().size(), 1);
        EXPECT_TRUE(
            reporter.Alerts().first().startsWith(QStringLiteral("Retrieve page list of section 'Costs'  error: ")));
        ASSERT_EQ(export_.ItemsFailed(), 1);
        EXPECT_TRUE(export_.Items().first().reason.startsWith(QLatin1String(bad.reason)));
        EXPECT_EQ(
            RequestsTo(QStringLiteral("/pages?")).size(), QString::fromLatin1(bad.kind).contains("count=3") ? 4u : 2u)
            << "a lost list is asked for twice more; the other section is listed once";
        out.Clear();
    }
}

TEST_F(HonestAnswers, ThrottledReadsWaitForTheServiceAndThenSucceed)
{
    StartWithOnePage();
    Check("Book/Costs");
    // The OneNote interface gives no Retry-After; OneDrive does.
    Fault(QStringLiteral("GET */sections/*/pages throttle retryAfter=0 count=2"));
    Fault(QStringLiteral("GET */pages/*/content error status=503 code=10007 message=Busy count=1"));
    MExportTask& export_ = Export(MExportKind::Text);
    EXPECT_EQ(export_.ItemsFailed(), 0);
    EXPECT_TRUE(ReadAll(PageFile()).contains("42"));
    EXPECT_EQ(RequestsTo(QStringLiteral("/pages?")).size(), 3u);
    EXPECT_EQ(export_.Session().RefusedAnswers(), 3);
    EXPECT_TRUE(reporter.Statuses().contains(QStringLiteral("Waiting 1 s: the service's request limit is reached")));

    // A section file's address asked of OneDrive under its limit: Retry-After says how long.
    out.Clear();
    Fault(QStringLiteral("GET /v1.0/me/drive/items/* throttle retryAfter=1 count=1"));
    QElapsedTimer timer;
    timer.start();
    MExportTask& backup = Export(MExportKind::SectionFile);
    EXPECT_GE(timer.elapsed(), 1000);
    EXPECT_EQ(backup.ItemsFailed(), 0);
    EXPECT_TRUE(ReadAll(out.FilePath(QStringLiteral("Book/Costs.one"))).startsWith("Section file"));
}

TEST_F(HonestAnswers, ABadResourceAnswerIsNeverSavedAndTheirPageIsReportedFailed)
{
    for (const MBadAnswer& bad : kRefusals) {
        SCOPED_TRACE(bad.kind);
        StartWithOnePage();
        Check("Book/Costs");
        MHttpClient::SetTimeoutCapMs(1000);
        Fault(QStringLiteral("GET */resources/* %1").arg(QLatin1String(bad.kind)));
        MExportTask& export_ = Export(MExportKind::Html);
        const QString folder = out.FilePath(QStringLiteral("Book/Costs"));
        EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Costs so far.html"))) << "the page's text is kept";
        EXPECT_TRUE(QDir(folder + QStringLiteral("/Costs so far.files")).entryList(QDir::Files).isEmpty());
        ASSERT_EQ(export_.ItemsFailed(), 1);
        EXPECT_TRUE(export_.Items().first().reason.startsWith(QStringLiteral("1 of the page's images")));
        EXPECT_TRUE(export_.Items().first().reason.contains(QLatin1String(bad.reason)));
        out.Clear();
    }
}

TEST_F(HonestAnswers, ABadSectionFileAnswerIsNeverSaved)
{
    for (const MBadAnswer& bad : kRefusals) {
        SCOPED_TRACE(bad.kind);
        StartWithOnePage();
        Check("Book/Costs");
        MHttpClient::SetTimeoutCapMs(1000);
        Fault(QStringLiteral("GET /_download/* %1 count=6").arg(QString::fromLatin1(bad.kind).remove(" count=3")));
        MExportTask& export_ = Export(MExportKind::SectionFile);
        EXPECT_TRUE(QDir(out.FilePath(QStringLiteral("Book"))).entryList(QDir::Files).isEmpty());
        ASSERT_EQ(export_.ItemsFailed(), 1);
        EXPECT_TRUE(export_.Items().first().reason.startsWith(QLatin1String(bad.reason)))
            << qPrintable(export_.Items().first().reason);
        out.Clear();
    }
}

TEST_F(HonestAnswers, ABadCreationAnswerIsAFailureWithItsReasonAndNeverCountedAsAPage)
{
    const MBadAnswer kCreations[] = {
        {"html", "HTTP 500 Internal Server Error: 500 - Internal server error."},
        {"empty", "HTTP 200: the answer was empty"},
        {"error status=400 code=20117 message=Bad+name", "HTTP 400 Bad Request, 20117: Bad name"},
    };
    for (const MBadAnswer& bad : kCreations) {
        SCOPED_TRACE(bad.kind);
        StartWithOnePage();
        Fault(QStringLiteral("POST */pages %1").arg(QLatin1String(bad.kind)));
        const MEvernoteImportResult result = Import(3);
        EXPECT_EQ(result.success, 2);
        EXPECT_EQ(result.failure, 1);
        EXPECT_EQ(StatePages(QStringLiteral("Inbox")).size(), 2);
        EXPECT_TRUE(result.result.contains(QStringLiteral("1: Note 1 ... Failure (") + QLatin1String(bad.reason)))
            << qPrintable(result.result);
    }
}

TEST_F(HonestAnswers, ACreationWhoseAnswerWasLostIsLookedForBeforeItIsSentAgain)
{
    // The request never reached the service: not found, sent once more, one page.
    StartWithOnePage();
    Fault(QStringLiteral("POST */pages drop count=1"));
    MEvernoteImportResult result = Import(2);
    EXPECT_EQ(result.success, 2);
    EXPECT_EQ(StatePages(QStringLiteral("Inbox")).size(), 2);
    EXPECT_EQ(RequestsTo(QStringLiteral("orderby=lastModifiedDateTime")).size(), 1u);

    // It reached the service, whose answer came too late: found, counted once, never made twice.
    StartWithOnePage();
    MHttpClient::SetTimeoutCapMs(1000);
    Fault(QStringLiteral("POST */pages delay ms=1500 count=1"));
    result = Import(2);
    EXPECT_EQ(result.success, 2);
    EXPECT_EQ(result.failure, 0);
    EXPECT_EQ(StatePages(QStringLiteral("Inbox")).size(), 2);
    EXPECT_EQ(RequestsTo(QStringLiteral("POST"), QStringLiteral("/pages")).size(), 2u)
        << "one page a note: the late one was not sent again";

    // Both sends lost and never seen by the service: the note fails and says why.
    StartWithOnePage();
    Fault(QStringLiteral("POST */pages drop count=2"));
    result = Import(1);
    EXPECT_EQ(result.failure, 1);
    EXPECT_EQ(StatePages(QStringLiteral("Inbox")).size(), 0);
    EXPECT_TRUE(result.result.contains(QStringLiteral("1: Note 1 ... Failure (no answer: ")));
}

TEST_F(HonestAnswers, ALostCreationNeverTakesAnEarlierPageOfTheRunForItself)
{
    // Two notes of one title: the first arrives; the second's request is lost on the way. The page
    // of that title the run made a moment ago must not pass for it.
    StartWithOnePage();
    Fault(QStringLiteral("POST */pages drop after=1 count=1"));
    const MEvernoteImportResult result = Import(2,
        "<en-export><note><title>Same</title><content><![CDATA[<en-note>a</en-note>]]></content></note>"
        "<note><title>Same</title><content><![CDATA[<en-note>b</en-note>]]></content></note></en-export>");
    EXPECT_EQ(result.success, 2);
    EXPECT_EQ(StatePages(QStringLiteral("Inbox")).size(), 2);
}

TEST_F(HonestAnswers, StopDuringAThrottlingWaitEndsTheRunWithinASecond)
{
    StartWithOnePage();
    Fault(QStringLiteral("POST */pages throttle retryAfter=60 count=1"));
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        running = false;
    });
    QElapsedTimer timer;
    timer.start();
    const MEvernoteImportResult result = Import(3);
    const qint64 elapsed = timer.elapsed();
    stopper.join();
    EXPECT_LT(elapsed, 1500) << "stopped 500 ms in; the wait was a minute";
    EXPECT_EQ(result.imported, 0) << "the note never went out: it is not counted";
    EXPECT_EQ(StatePages(QStringLiteral("Inbox")).size(), 0);
}

TEST_F(HonestAnswers, TheBudgetKeepsARunUnderTheServiceLimitsWhereWithoutItTheServiceRefuses)
{
    const QString windows = QStringLiteral("4/1s,6/3s");
    StartWithOnePage();
    ASSERT_FALSE(emulator->SetThrottle(windows).has_value());
    GlobalSettings().SetRequestBudget(windows);
    TheRequestBudget().Clear();
    QElapsedTimer timer;
    timer.start();
    MEvernoteImportResult result = Import(8);
    EXPECT_EQ(result.success, 8);
    QJsonObject throttle = emulator->State().value(QStringLiteral("throttle")).toObject();
    EXPECT_EQ(throttle.value(QStringLiteral("refused")).toInteger(), 0);
    EXPECT_GE(timer.elapsed(), 3000) << "8 requests at 6 in 3 s need more than 3 s";

    StartWithOnePage();
    ASSERT_FALSE(emulator->SetThrottle(windows).has_value());
    GlobalSettings().SetRequestBudget(QStringLiteral("off"));
    result = Import(8);
    EXPECT_EQ(result.success, 8) << "refusals are waited out";
    throttle = emulator->State().value(QStringLiteral("throttle")).toObject();
    EXPECT_GT(throttle.value(QStringLiteral("refused")).toInteger(), 0);
}

} // namespace
