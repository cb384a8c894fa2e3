// Durable runs against the emulator: an import stopped, cut off or failed part of the way resumes
// without a page twice, skip-imported skips what arrived before, and every run's report adds up and
// matches what the service holds.
#include "FeatureServiceTest.h"
#include "import/EvernoteImport.h"
#include "tasks/MRunLedger.h"
#include "tasks/MRunReport.h"

#include <QFile>
#include <QJsonArray>

namespace {

class ResumeAndReport : public FeatureServiceTest
{
protected:
    void SetUp() override
    {
        Start(QJsonArray {QJsonObject {{"name", "Book"}, {"sections", QJsonArray {QJsonObject {{"name", "Inbox"}}}}}});
        Check("Book/Inbox");
        settings.enexFileName = app.WriteFile(QStringLiteral("notes.enex"), GeneratedEnex(30));
        settings.from = 1;
        settings.to = 30;
        settings.expectedNotes = 30;
        settings.run.record = true;
        settings.parentUrlSaveTo = ChooseEvernoteTarget(*tree, false).parentUrl;
    }

    struct MRun
    {
        MEvernoteImportResult result;
        MRunReport report;
        QString csv;
    };

    // One run through a recorder, as the panels and the command line run it; `stopAfter` pages
    // created stops it.
    MRun Import(MRunMode mode, qint64 resumeRun = 0, int stopAfter = 0)
    {
        settings.run.mode = mode;
        settings.run.resumeRun = resumeRun;
        MStoppingReporter stopping;
        stopping.running = &running;
        stopping.stopAfter = stopAfter;
        running = true;
        MRunRecorder recorder(&stopping, QStringLiteral("import-enex"), QStringLiteral("test"), &running);
        recorder.SetSourceAndTarget(settings.enexFileName, QStringLiteral("Book/Inbox"));
        context.reporter = &recorder;
        MRun run;
        MNotebookNode sections;
        run.result = ImportEnexRun(settings, sections);
        run.report = recorder.Report();
        run.csv = recorder.ReportPath();
        return run;
    }

    std::optional<MLedgerRun> Unfinished() { return MRunJournal::FindUnfinished(EnexRunIdentity(settings)); }

    static void ExpectEveryNoteOnce(const QStringList& titles, int notes)
    {
        EXPECT_EQ(titles.size(), notes);
        for (int i = 1; i <= notes; ++i)
            EXPECT_EQ(titles.count(QStringLiteral("Note %1").arg(i)), 1) << i;
    }

    MEvernoteImportSettings settings;
};

TEST_F(ResumeAndReport, AStoppedImportResumesWithEveryNoteExactlyOnceAndReportsThatAddUp)
{
    MRun first = Import(MRunMode::New, 0, 12);
    EXPECT_EQ(first.result.success, 12);
    EXPECT_EQ(StateTitles(QStringLiteral("Inbox")).size(), 12);
    // Its report: 12 created, 18 never attempted; it says it was stopped.
    EXPECT_TRUE(first.report.stopped);
    EXPECT_EQ(first.report.Counts().created, 12);
    EXPECT_EQ(first.report.NotAttempted(), 18);
    EXPECT_EQ(first.report.Items(), 30);

    const std::optional<MLedgerRun> unfinished = Unfinished();
    ASSERT_TRUE(unfinished);
    EXPECT_EQ(MRunJournal::DoneItems(unfinished->id), 12);
    MRun resumed = Import(MRunMode::Resume, unfinished->id);
    ExpectEveryNoteOnce(StateTitles(QStringLiteral("Inbox")), 30);
    EXPECT_EQ(resumed.result.success, 30) << "the run, both parts, made 30 pages";
    EXPECT_TRUE(resumed.result.result.contains(
        QStringLiteral("12: Note 12 ... Success (made before the run was interrupted)")));
    EXPECT_FALSE(Unfinished()) << "a finished run is never offered again";

    // The finished run's report: a row a note, each created page one of the emulator's.
    EXPECT_EQ(ReadAll(resumed.csv), resumed.report.Csv()) << "the report file holds what the report holds";
    ASSERT_EQ(resumed.report.rows.size(), 30);
    QStringList titles;
    for (const MReportRow& row : resumed.report.rows) {
        EXPECT_EQ(row.outcome, MItemOutcome::Created);
        EXPECT_FALSE(row.link.isEmpty()) << "each created page's link";
        titles << row.title.section(QStringLiteral(": "), 1);
    }
    QStringList inService = StateTitles(QStringLiteral("Inbox"));
    titles.sort();
    inService.sort();
    EXPECT_EQ(titles, inService);
    EXPECT_TRUE(QFile::exists(MRunReport::HtmlPathFor(resumed.csv)));
}

TEST_F(ResumeAndReport, AFailedNoteIsLeftForTheNextResumeWhichCreatesIt)
{
    MRun first = Import(MRunMode::New, 0, 12);
    // Note 20 (the eighth page this part sends) is lost twice on its way and never arrives.
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("POST */pages drop after=7 count=2")).has_value());
    MRun second = Import(MRunMode::Resume, Unfinished()->id);
    EXPECT_EQ(StateTitles(QStringLiteral("Inbox")).size(), 29);
    EXPECT_EQ(second.result.success, 29);
    EXPECT_EQ(second.result.failure, 1);
    EXPECT_TRUE(second.result.result.contains(QStringLiteral("20: Note 20 ... Failure (no answer: ")));
    // Its report: the failure first in the page, the totals adding up to the 30 notes.
    EXPECT_EQ(second.report.Counts().created + second.report.Counts().failed + second.report.NotAttempted(), 30);
    EXPECT_EQ(second.report.Counts().failed, 1);
    const QString html = QString::fromUtf8(second.report.Html());
    EXPECT_LT(html.indexOf(QStringLiteral("Note 20")), html.indexOf(QStringLiteral("Note 1<")));

    const std::optional<MLedgerRun> again = Unfinished();
    ASSERT_TRUE(again) << "a run with a failed note may be resumed";
    MRun third = Import(MRunMode::Resume, again->id);
    ExpectEveryNoteOnce(StateTitles(QStringLiteral("Inbox")), 30);
    EXPECT_EQ(third.result.failure, 0);
}

TEST_F(ResumeAndReport, ANoteCutOffBetweenItsRequestAndItsAnswerIsFoundNotSentAgain)
{
    settings.to = 5;
    settings.expectedNotes = 5;
    Import(MRunMode::New);
    ASSERT_EQ(StateTitles(QStringLiteral("Inbox")).size(), 5);
    // What a kill between the fifth request and its answer leaves in the ledger: the page arrived,
    // the note is still "sending", the run never ended.
    const qint64 runId = [&] {
        MRunLedger ledger(MRunLedger::DefaultPath());
        const QList<MLedgerItem> items = ledger.Items(1);
        EXPECT_EQ(items.size(), 5);
        MLedgerItem cut = items.last();
        cut.outcome = MItemOutcome::Sending;
        cut.pageId.clear();
        ledger.SetItem(cut);
        ledger.ReopenRun(cut.run);
        return cut.run;
    }();
    ASSERT_TRUE(Unfinished());
    emulator->ClearRequests();
    const MRun resumed = Import(MRunMode::Resume, runId);
    ExpectEveryNoteOnce(StateTitles(QStringLiteral("Inbox")), 5);
    EXPECT_TRUE(RequestsTo(QStringLiteral("/pages?")).size() == 1u) << "one look in the section";
    int posts = 0;
    for (const MEmuLoggedRequest& request : emulator->Requests())
        posts += request.method == QLatin1String("POST");
    EXPECT_EQ(posts, 0);
    EXPECT_TRUE(resumed.result.result.contains(QStringLiteral("5: Note 5 ... Success")));
    EXPECT_FALSE(Unfinished()) << "the found note counts as done in the ledger";
}

TEST(RunReport, TheCsvQuotesWhatNeedsItAndTheHtmlEscapesEverything)
{
    MRunReport report;
    report.task = QStringLiteral("import-enex");
    report.title = QStringLiteral("Import <notes>");
    report.source = QStringLiteral("a,b.enex");
    report.rows = {{0, QStringLiteral("1: Say \"hi\", then <b>"), MItemOutcome::Failed, QStringLiteral("HTTP 500"), {}},
        {1, QStringLiteral("2: Fine"), MItemOutcome::Created, {}, QStringLiteral("https://x/p?a=1&b=2")}};
    report.expected = 3;
    const QString csv = QString::fromUtf8(report.Csv());
    EXPECT_TRUE(report.Csv().startsWith("\xEF\xBB\xBFindex,source,title,outcome,target,link,reason\r\n"));
    EXPECT_TRUE(csv.contains(QStringLiteral("1,\"a,b.enex\",\"1: Say \"\"hi\"\", then <b>\",failed,,,HTTP 500\r\n")));
    EXPECT_TRUE(csv.contains(QStringLiteral("2,\"a,b.enex\",2: Fine,created,,https://x/p?a=1&b=2,\r\n")));
    const QString html = QString::fromUtf8(report.Html());
    EXPECT_FALSE(html.contains(QStringLiteral("<b>")));
    EXPECT_TRUE(html.contains(QStringLiteral("href=\"https://x/p?a=1&amp;b=2\"")));
    EXPECT_EQ(report.NotAttempted(), 1);
    EXPECT_EQ(report.Counts().created + report.Counts().failed + report.NotAttempted(), report.Items());
}

} // namespace
