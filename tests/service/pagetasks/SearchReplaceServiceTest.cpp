#include "FeatureServiceTest.h"
#include "pagetasks/MReplaceTask.h"
#include "pagetasks/MSearchTask.h"

namespace {

class MRecordingSearchSink final : public MSearchSink
{
public:
    void AddPageHit(const MSearchPageHit& hit) override { titles.append(hit.title); }
    QStringList titles;
};

using SearchService = FeatureServiceTest;
using ReplaceService = FeatureServiceTest;

TEST_F(SearchService, TitleSearchReadsNoContentAndSeesTheLastPageOfABigSection)
{
    Start(QJsonArray {Notebook("Book",
        {Section("S", {Page("Plain", "<p>x</p>"), Page("SHOUTING TITLE", "<p>y</p>")}), Generated("Huge", 1450)})});
    Check("Book");
    MRecordingSearchSink loud;
    OnWorker([&] { MSearchTask(context, MSearchOptions {"shouting", false, true}, &loud).ThreadRun(); });
    EXPECT_EQ(loud.titles, QStringList {"SHOUTING TITLE"});
    EXPECT_TRUE(RequestsTo("GET", "/content").empty());
    EXPECT_EQ(RequestsTo("GET", "/pages?").size(), 1u + 15u);

    MRecordingSearchSink last;
    MSearchTask task(context, MSearchOptions {"page 1450", true, true}, &last);
    OnWorker([&] { task.ThreadRun(); });
    EXPECT_EQ(last.titles, QStringList {"Huge page 1450"});
    EXPECT_EQ(task.PagesFound(), 1);
}

TEST_F(ReplaceService, APatternInAnyCaseOrTheTextLiterallyWithMatchCase)
{
    Start(QJsonArray {Notebook("Book",
        {Section("S",
            {Page("abc", "<p>1</p>"), Page("ABC", "<p>2</p>"), Page("Trip", "<p>3</p>"),
                Page("Costs (draft", "<p>4</p>")})})});
    Check("Book/S");
    MReplaceTask pattern(context, MReplaceOptions {"a.c", "X", false});
    OnWorker([&] { pattern.ThreadRun(); });
    EXPECT_EQ(StateTitles("S"), QStringList({"X", "X", "Trip", "Costs (draft"}));
    EXPECT_EQ(pattern.PagesRetitled(), 2);
    EXPECT_EQ(RequestsTo("PATCH", "/content").size(), 2u);
    EXPECT_EQ(pattern.ResultText(), QStringLiteral("abc Success\nABC Success\n"));
    ASSERT_EQ(FinalRows().size(), 2);
    EXPECT_EQ(FinalRows()[0].text, QStringLiteral("abc → X"));
    EXPECT_EQ(FinalRows()[0].outcome, MItemOutcome::Created);

    emulator->ClearRequests();
    reporter.Clear();
    OnWorker([&] { MReplaceTask(context, MReplaceOptions {"Trip", "Journey", true}).ThreadRun(); });
    OnWorker([&] { MReplaceTask(context, MReplaceOptions {"trip", "nope", true}).ThreadRun(); });
    EXPECT_EQ(StateTitles("S"), QStringList({"X", "X", "Journey", "Costs (draft"}));
    EXPECT_EQ(RequestsTo("PATCH", "/content").size(), 1u) << "match case keeps trip from matching Journey's Trip";

    // No pattern can be made of "(draft": nothing is sent and the row says why.
    emulator->ClearRequests();
    reporter.Clear();
    OnWorker([&] { MReplaceTask(context, MReplaceOptions {"(draft", "final", false}).ThreadRun(); });
    EXPECT_TRUE(RequestsTo("PATCH", "/content").empty());
    ASSERT_EQ(FinalRows().size(), 1);
    EXPECT_EQ(FinalRows()[0].outcome, MItemOutcome::Failed);
    EXPECT_EQ(FinalRows()[0].reason, QStringLiteral("invalid pattern"));
    EXPECT_EQ(StateTitles("S").last(), QStringLiteral("Costs (draft"));
}

TEST_F(ReplaceService, ARefusedUpdateIsAFailedRowWithTheServicesReason)
{
    Start(QJsonArray {Notebook("Book", {Section("S", {Page("Old one", "<p>1</p>"), Page("Old two", "<p>2</p>")})})});
    Check("Book/S");
    ASSERT_FALSE(emulator->AddFault(
        QStringLiteral("PATCH */content error status=403 code=40004 message=Read+only+notebook count=1")));
    MReplaceTask task(context, MReplaceOptions {"Old", "New", true});
    OnWorker([&] { task.ThreadRun(); });
    EXPECT_EQ(StateTitles("S"), QStringList({"Old one", "New two"}));
    const QList<MTaskItem> rows = FinalRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].outcome, MItemOutcome::Failed);
    EXPECT_TRUE(rows[0].reason.contains(QLatin1String("Read only notebook"))) << rows[0].reason.toStdString();
    EXPECT_EQ(rows[1].outcome, MItemOutcome::Created);
    EXPECT_FALSE(task.ResultText().startsWith(QLatin1String("Old one Success")));
}

TEST_F(ReplaceService, AWorkAccountGetsOneLinePerSectionAndNoPageRequest)
{
    StartWith(MServiceFixture::DemoFixture(), QStringLiteral("work"), MAccount::GlobalWork);
    Check("Team Handbook");
    Check("Projects");
    MReplaceTask task(context, MReplaceOptions {"page", "leaf", false});
    OnWorker([&] { task.ThreadRun(); });
    const QString line = Localized("msgNotSupportSection");
    EXPECT_EQ(task.ResultText(),
        QStringLiteral("'Team Handbook/Onboarding', %1\n'Projects/Roadmap', %1\n'Projects/Q3/Planning', %1\n")
            .arg(line));
    EXPECT_TRUE(RequestsTo("GET", "/pages").empty());
    EXPECT_TRUE(RequestsTo("PATCH", "/pages").empty());
    ASSERT_EQ(FinalRows().size(), 3);
    EXPECT_EQ(FinalRows()[2].reason, line);
}

} // namespace
