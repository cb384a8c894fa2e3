#include "DriveServiceFixture.h"
#include "drive/MCopySectionsTask.h"

namespace {

class CopySectionsTest : public DriveServiceTest
{
protected:
    // A source notebook, a second one with a section of the same name, and a target that holds a
    // "Plan" section and a folder "work".
    void StartWithNotebooks(const QJsonObject& limits = {})
    {
        Start(
            QJsonObject {{"notebooks",
                QJsonArray {Group("Source", {Section("Plan", 1111), Section("Notes", 2222)},
                                {Group("Work", {Section("Deep", 3333)}), Group("Bob's notes", {Section("Idea", 44)})}),
                    Group("Other", {Section("Plan", 5555)}),
                    Group("Target", {Section("Plan", 10)}, {Group("work", {Section("Deep", 20)})})}}},
            {}, limits);
    }

    MCopySectionsTask Task()
    {
        return MCopySectionsTask(context, Node(QStringLiteral("Target"))->id, nullptr, Quick());
    }

    static MCopyRules Quick() { return MCopyRules {5, 20, 5000}; }

    qint64 Size(const QString& path) const { return Item(path).value(QLatin1String("size")).toInteger(-1); }
};

TEST_F(CopySectionsTest, AWholeNotebookLandsInTheTargetWithoutAFolderOfItsOwnAndNothingThereIsReplaced)
{
    StartWithNotebooks(QJsonObject {{"copyMonitorPolls", 2}});
    Check(QStringLiteral("Source"));
    MCopySectionsTask task(context, Node(QStringLiteral("Target"))->id, nullptr, Quick());
    OnWorker([&] { task.ThreadViewRun(); });

    const QString target = QStringLiteral("Documents/Target");
    EXPECT_EQ(Names(target),
        QStringList({QStringLiteral("Bob's notes"), QStringLiteral("Notes.one"), QStringLiteral("Plan (1).one"),
            QStringLiteral("Plan.one"), QStringLiteral("work")}));
    EXPECT_EQ(Size(target + QStringLiteral("/Plan.one")), 10) << "the target's own section is untouched";
    EXPECT_EQ(Size(target + QStringLiteral("/Plan (1).one")), 1111);
    EXPECT_EQ(Size(target + QStringLiteral("/Notes.one")), 2222);
    // The group Work joins the folder work that is there, beside its own Deep.
    EXPECT_EQ(Names(target + QStringLiteral("/work")),
        QStringList({QStringLiteral("Deep (1).one"), QStringLiteral("Deep.one")}));
    EXPECT_EQ(Size(target + QStringLiteral("/work/Deep (1).one")), 3333);
    // A name with a quote makes a folder of that name.
    EXPECT_EQ(Names(target + QStringLiteral("/Bob's notes")), QStringList {QStringLiteral("Idea.one")});
    EXPECT_EQ(task.CopySuccessCount(), 5); // four sections and one folder made

    // Every copy was followed to its end: the monitor said "inProgress" twice, then "completed".
    EXPECT_EQ(RequestsTo("GET", QStringLiteral("/_monitor/")).size(), 4u * 3u);
    const MResultNode& result = *task.Tree().child(0);
    EXPECT_EQ(result.name, QStringLiteral("Target"));
    EXPECT_FALSE(result.child(0)->id.isEmpty()) << "the copy's id, as the monitor named it";
    EXPECT_EQ(task.Counts().created, 5);
    EXPECT_EQ(task.Counts().reused, 1);
    EXPECT_EQ(task.Counts().failed, 0);
}

TEST_F(CopySectionsTest, TwoSectionsOfOneNameCopiedIntoOneFolderInOneRunGetTwoNames)
{
    StartWithNotebooks();
    Check(QStringLiteral("Source/Plan"));
    Check(QStringLiteral("Other/Plan"));
    MCopySectionsTask task = Task();
    OnWorker([&] { task.ThreadViewRun(); });
    EXPECT_EQ(Size(QStringLiteral("Documents/Target/Plan (1).one")), 1111);
    EXPECT_EQ(Size(QStringLiteral("Documents/Target/Plan (2).one")), 5555);
    EXPECT_EQ(task.Counts().failed, 0);
}

TEST_F(CopySectionsTest, ACopyTheServiceFailsIsAFailureOnItsRowAndAnIdWithoutHyphenIsNotFound)
{
    StartWithNotebooks();
    Check(QStringLiteral("Source/Plan"));
    Check(QStringLiteral("Source/Notes"));
    Check(QStringLiteral("Other/Plan"));
    Node(QStringLiteral("Other/Plan"))->id = QStringLiteral("NOHYPHEN");
    ASSERT_FALSE(
        emulator->AddFault(QStringLiteral("GET /_monitor/* failed code=quotaLimitReached message=No+room+left count=1"))
            .has_value());
    MCopySectionsTask task = Task();
    OnWorker([&] { task.ThreadViewRun(); });

    const QList<MTaskItem> rows = FinalRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].text, QStringLiteral("Target/Plan"));
    EXPECT_EQ(rows[0].outcome, MItemOutcome::Failed);
    EXPECT_TRUE(rows[0].reason.contains(QLatin1String("No room left"))) << rows[0].reason.toStdString();
    EXPECT_EQ(rows[1].outcome, MItemOutcome::Created);
    EXPECT_EQ(rows[2].outcome, MItemOutcome::Failed);
    EXPECT_EQ(rows[2].reason, QStringLiteral("Not found"));
    const MResultNode& result = *task.Tree().child(0);
    EXPECT_EQ(result.child(0)->code, -4);
    EXPECT_EQ(result.child(2)->reason, QStringLiteral("Not found"));
    EXPECT_EQ(Names(QStringLiteral("Documents/Target")),
        QStringList({QStringLiteral("Notes.one"), QStringLiteral("Plan.one"), QStringLiteral("work")}));
    EXPECT_EQ(RequestsTo("POST", QStringLiteral("/copy")).size(), 2u) << "nothing is sent for the unknown id";
    EXPECT_EQ(task.CopySuccessCount(), 1);
}

TEST_F(CopySectionsTest, ACopyWhoseAnswerWasLostIsLookedForBeforeItGoesAgain)
{
    StartWithNotebooks(QJsonObject {{"copyMonitorPolls", 0}});
    Check(QStringLiteral("Source/Notes"));
    // The copy is made, but its answer never arrives.
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("POST */copy delay ms=3000 count=1")).has_value());
    MHttpClient::SetTimeoutCapMs(500);
    MCopySectionsTask task = Task();
    OnWorker([&] { task.ThreadViewRun(); });
    MHttpClient::SetTimeoutCapMs(0);
    EXPECT_EQ(task.Counts().failed, 0) << FinalRows().value(0).reason.toStdString();
    EXPECT_EQ(RequestsTo("POST", QStringLiteral("/copy")).size(), 1u) << "found, so not sent again";
    EXPECT_EQ(Names(QStringLiteral("Documents/Target")),
        QStringList({QStringLiteral("Notes.one"), QStringLiteral("Plan.one"), QStringLiteral("work")}));
}

TEST_F(CopySectionsTest, ATargetWithoutItsFolderFailsOnItsRowAndNothingIsSent)
{
    StartWithNotebooks();
    Check(QStringLiteral("Source/Plan"));
    MCopySectionsTask task(context, QStringLiteral("1-NOSUCHITEM"), nullptr, Quick());
    OnWorker([&] { task.ThreadViewRun(); });
    ASSERT_EQ(FinalRows().size(), 1);
    EXPECT_EQ(FinalRows()[0].outcome, MItemOutcome::Failed);
    EXPECT_TRUE(RequestsTo("POST", QStringLiteral("/copy")).empty());
    EXPECT_EQ(task.Tree().child(0)->code, -4);
}

} // namespace
