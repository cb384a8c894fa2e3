#include "FeatureServiceTest.h"
#include "pagetasks/MReplaceTask.h"
#include "pagetasks/MSearchTask.h"

#include <mutex>

namespace {

class MRecordingSearchSink final : public MSearchSink
{
public:
    void AddPageHit(const MSearchPageHit& hit) override { hits.append(hit); }
    QStringList Titles() const
    {
        QStringList titles;
        for (const MSearchPageHit& hit : hits)
            titles.append(hit.title);
        return titles;
    }
    QList<MSearchPageHit> hits;
};

using SearchService = FeatureServiceTest;
using ReplaceService = FeatureServiceTest;

QJsonArray SearchPages()
{
    return QJsonArray {FeatureServiceTest::Page("Fruit", "<p>An apple, red and ripe</p><p>Only red here</p>"),
        FeatureServiceTest::Page("Codes A-Z", "<p>Gate %41 opens</p><p>Gate B opens</p>"),
        FeatureServiceTest::Page("Plain", "<p>nothing to see</p>"),
        FeatureServiceTest::Page("SHOUTING TITLE", "<p>x</p>")};
}

QStringList ElementTexts(const MSearchPageHit& hit)
{
    QStringList texts;
    for (const MSearchHit& element : hit.elements)
        texts.append(element.text);
    return texts;
}

TEST_F(SearchService, ContentSearchReadsThePagesTextNotItsMarkupThenListsTheElementsHoldingEveryWord)
{
    Start(QJsonArray {Notebook("Book", {Section("S", SearchPages())})});
    Check("Book/S");

    // Every page the service gives back is made of divs, styles and data attributes.
    for (const char* markup : {"div", "style", "data-id", "lang"}) {
        MRecordingSearchSink none;
        OnWorker([&] { MSearchTask(context, MSearchOptions {markup, false, false}, &none).ThreadRun(); });
        EXPECT_TRUE(none.hits.isEmpty()) << markup;
    }
    // The words may lie in different paragraphs: the page is a hit, no paragraph is.
    MRecordingSearchSink across;
    OnWorker([&] { MSearchTask(context, MSearchOptions {"here apple", false, false}, &across).ThreadRun(); });
    ASSERT_EQ(across.Titles(), QStringList {"Fruit"});
    EXPECT_TRUE(across.hits[0].elements.isEmpty());
    EXPECT_EQ(across.hits[0].sectionPath, QStringLiteral("Book/S"));
    EXPECT_TRUE(across.hits[0].clientUrl.startsWith(QLatin1String("onenote:https://")));

    MRecordingSearchSink fruit;
    OnWorker([&] { MSearchTask(context, MSearchOptions {"red apple", false, false}, &fruit).ThreadRun(); });
    ASSERT_EQ(fruit.Titles(), QStringList {"Fruit"});
    EXPECT_EQ(ElementTexts(fruit.hits[0]), QStringList {"An apple, red and ripe"});
    EXPECT_TRUE(fruit.hits[0].elements[0].link.contains(QLatin1String("&object-id=")));

    MRecordingSearchSink gate;
    OnWorker([&] { MSearchTask(context, MSearchOptions {"Gate A", true, false}, &gate).ThreadRun(); });
    ASSERT_EQ(gate.Titles(), QStringList {"Codes A-Z"});
    EXPECT_EQ(ElementTexts(gate.hits[0]), QStringList {"Gate A opens"}) << "%41 is compared as A";
    EXPECT_EQ(reporter.Finished(), true);
    EXPECT_TRUE(FinalRows().isEmpty()) << "every page was read";
}

TEST_F(SearchService, TitleSearchReadsNoContentAndSeesTheLastPageOfABigSection)
{
    Start(QJsonArray {Notebook("Book", {Section("S", SearchPages()), Generated("Huge", 1450)})});
    Check("Book");
    MRecordingSearchSink loud;
    OnWorker([&] { MSearchTask(context, MSearchOptions {"shouting", false, true}, &loud).ThreadRun(); });
    EXPECT_EQ(loud.Titles(), QStringList {"SHOUTING TITLE"});
    EXPECT_TRUE(RequestsTo("GET", "/content").empty());
    EXPECT_EQ(RequestsTo("GET", "/pages?").size(), 1u + 15u);

    MRecordingSearchSink last;
    MSearchTask task(context, MSearchOptions {"page 1450", true, true}, &last);
    OnWorker([&] { task.ThreadRun(); });
    EXPECT_EQ(last.Titles(), QStringList {"Huge page 1450"});
    EXPECT_EQ(task.PagesFound(), 1);
}

TEST_F(SearchService, APageThatCannotBeReadIsAFailedRowAndTheOthersAreStillSearched)
{
    Start(QJsonArray {Notebook("Book", {Section("S", SearchPages()), Section("Gone", {})})});
    Check("Book");
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("GET */content error status=404 code=20102 message=Page+gone")));
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("GET */sections/*/pages error status=403 code=40004 after=1")));
    MRecordingSearchSink sink;
    MSearchTask task(context, MSearchOptions {"e", false, false}, &sink); // on every page
    OnWorker([&] { task.ThreadRun(); });
    EXPECT_EQ(sink.Titles(), QStringList({"Codes A-Z", "Plain", "SHOUTING TITLE"}));
    const QList<MTaskItem> rows = FinalRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].text, QStringLiteral("Book/S/Fruit"));
    EXPECT_EQ(rows[0].outcome, MItemOutcome::Failed);
    EXPECT_TRUE(rows[0].reason.contains(QLatin1String("404"))) << rows[0].reason.toStdString();
    EXPECT_EQ(rows[1].text, QStringLiteral("Book/Gone"));
    EXPECT_EQ(rows[1].outcome, MItemOutcome::Failed);
    EXPECT_EQ(reporter.Alerts().size(), 1);
    EXPECT_TRUE(reporter.Alerts().first().startsWith(QLatin1String("Retrieve page list of section 'Gone'  error: ")));
}

QStringList Titles(const QList<QJsonObject>& pages)
{
    QStringList titles;
    for (const QJsonObject& page : pages)
        titles.append(page.value(QLatin1String("title")).toString());
    return titles;
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
    EXPECT_EQ(Titles(StatePages("S")), QStringList({"X", "X", "Trip", "Costs (draft"}));
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
    EXPECT_EQ(Titles(StatePages("S")), QStringList({"X", "X", "Journey", "Costs (draft"}));
    EXPECT_EQ(RequestsTo("PATCH", "/content").size(), 1u) << "match case keeps trip from matching Journey's Trip";

    // No pattern can be made of "(draft": nothing is sent and the row says why.
    emulator->ClearRequests();
    reporter.Clear();
    OnWorker([&] { MReplaceTask(context, MReplaceOptions {"(draft", "final", false}).ThreadRun(); });
    EXPECT_TRUE(RequestsTo("PATCH", "/content").empty());
    ASSERT_EQ(FinalRows().size(), 1);
    EXPECT_EQ(FinalRows()[0].outcome, MItemOutcome::Failed);
    EXPECT_EQ(FinalRows()[0].reason, QStringLiteral("invalid pattern"));
    EXPECT_EQ(Titles(StatePages("S")).last(), QStringLiteral("Costs (draft"));
}

TEST_F(ReplaceService, TitlesWithQuotesAndBackslashesAreSentAndKeptExactly)
{
    Start(QJsonArray {Notebook("Book", {Section("S", {Page("Plan \"A\" \\ B draft", "<p>1</p>")})})});
    Check("Book/S");
    MReplaceTask task(context, MReplaceOptions {"draft", "\"final\" \\ v2', x", true});
    OnWorker([&] { task.ThreadRun(); });
    EXPECT_EQ(task.PagesRetitled(), 1);
    EXPECT_EQ(Titles(StatePages("S")), QStringList {"Plan \"A\" \\ B \"final\" \\ v2', x"});
    const auto patches = RequestsTo("PATCH", "/content");
    ASSERT_EQ(patches.size(), 1u);
    EXPECT_EQ(patches[0].Header(QStringLiteral("content-type")), QStringLiteral("application/json"));
}

TEST_F(ReplaceService, AHundredAndFiftyPagesCostTwoListRequestsAndTheSecondBatchIsRetitled)
{
    Start(QJsonArray {Notebook("Book", {Generated("Batch", 150)})});
    Check("Book/Batch");
    MReplaceTask task(context, MReplaceOptions {"page", "leaf", true});
    OnWorker([&] { task.ThreadRun(); });
    EXPECT_EQ(RequestsTo("GET", "/pages?").size(), 2u);
    EXPECT_EQ(task.PagesRetitled(), 150);
    const QStringList titles = Titles(StatePages("Batch"));
    ASSERT_EQ(titles.size(), 150);
    EXPECT_EQ(titles[100], QStringLiteral("Batch leaf 101"));
    EXPECT_EQ(titles[149], QStringLiteral("Batch leaf 150"));
    EXPECT_EQ(pacer.UploadWaits(), 2 + 150) << "after each list and after each page";
}

TEST_F(ReplaceService, ARefusedUpdateIsAFailedRowWithTheServicesReason)
{
    Start(QJsonArray {Notebook("Book", {Section("S", {Page("Old one", "<p>1</p>"), Page("Old two", "<p>2</p>")})})});
    Check("Book/S");
    ASSERT_FALSE(emulator->AddFault(
        QStringLiteral("PATCH */content error status=403 code=40004 message=Read+only+notebook count=1")));
    MReplaceTask task(context, MReplaceOptions {"Old", "New", true});
    OnWorker([&] { task.ThreadRun(); });
    EXPECT_EQ(Titles(StatePages("S")), QStringList({"Old one", "New two"}));
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
