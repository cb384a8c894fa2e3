#include "DriveServiceFixture.h"
#include "drive/MRestoreTask.h"
#include "drive/RestoreTree.h"

#include <QFile>
#include <QRandomGenerator>

namespace {

QByteArray Bytes(qint64 size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char& c : bytes)
        c = char(random.generate() & 0xFF);
    return bytes;
}

class RestoreTest : public DriveServiceTest
{
protected:
    // The notebook Book with a group Group that holds Plan.one and a folder "archive" with Old.one.
    void StartWithGroup(const QJsonObject& limits = {})
    {
        Start(QJsonObject {{"notebooks",
                  QJsonArray {Group(
                      "Book", {}, {Group("Group", {Section("Plan", 10)}, {Group("archive", {Section("Old", 20)})})})}}},
            {}, limits);
        target = AddTreeRoot(list, *Node(QStringLiteral("Book/Group")));
    }

    MResultNode list;
    MResultNode* target = nullptr;
    const QString group = QStringLiteral("Documents/Book/Group");
};

TEST_F(RestoreTest, FilesAndFoldersGoBesideWhatIsThereUnderFreeNamesAndNothingIsReplaced)
{
    StartWithGroup();
    const QByteArray plan = Bytes(3000, 1);
    out.WriteFile(QStringLiteral("Plan.one"), plan);
    out.WriteFile(QStringLiteral("Archive/Old.one"), Bytes(400, 2));
    out.WriteFile(QStringLiteral("Archive/New.ONE"), Bytes(500, 3));
    out.WriteFile(QStringLiteral("Archive/Lost.onetmp"), "not a section");
    out.WriteFile(QStringLiteral("My notes #1.one"), Bytes(600, 4));
    LoopGetAFolderFiles(out.Path(), *target);

    MRestoreTask task(context, list);
    OnWorker([&] { task.ThreadViewRun(); });
    EXPECT_EQ(Names(group),
        QStringList({QStringLiteral("My notes #1.one"), QStringLiteral("Plan (1).one"), QStringLiteral("Plan.one"),
            QStringLiteral("archive")}));
    EXPECT_EQ(Item(group + QStringLiteral("/Plan.one")).value(QLatin1String("size")).toInteger(), 10);
    EXPECT_EQ(Content(group + QStringLiteral("/Plan (1).one")), plan);
    // The local folder Archive fills the folder archive that is there.
    EXPECT_EQ(Names(group + QStringLiteral("/archive")),
        QStringList({QStringLiteral("New.one"), QStringLiteral("Old (1).one"), QStringLiteral("Old.one")}));
    const std::vector<MEmuLoggedRequest> puts = RequestsTo("PUT", QStringLiteral(":/content"));
    ASSERT_EQ(puts.size(), 4u);
    for (const MEmuLoggedRequest& put : puts)
        EXPECT_TRUE(put.path.endsWith(QLatin1String("conflictBehavior=fail"))) << put.path.toStdString();
    EXPECT_EQ(task.Counts().created, 4);
    EXPECT_EQ(task.Counts().reused, 1);
    EXPECT_EQ(task.SuccessCount(), 4);
}

TEST_F(RestoreTest, ALargeFileGoesUpInFragmentsAndALostFragmentIsAskedForBeforeItGoesAgain)
{
    StartWithGroup();
    const QByteArray big = Bytes(1500000, 5);
    AddSectionFile(*target, out.WriteFile(QStringLiteral("Big.one"), big));
    // The third fragment's answer is lost.
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("PUT /_upload/* drop after=2 count=1")).has_value());
    MUploadRules rules;
    rules.sessionThreshold = 1000000;
    rules.fragmentBytes = 320 * 1024;
    MRestoreTask task(context, list, nullptr, rules);
    OnWorker([&] { task.ThreadViewRun(); });
    EXPECT_EQ(task.Counts().failed, 0) << FinalRows().value(0).reason.toStdString();
    EXPECT_EQ(Content(group + QStringLiteral("/Big.one")), big);
    EXPECT_EQ(RequestsTo("POST", QStringLiteral(":/createUploadSession")).size(), 1u);
    EXPECT_TRUE(RequestsTo("PUT", QStringLiteral(":/content")).empty());
    const std::vector<MEmuLoggedRequest> fragments = RequestsTo("PUT", QStringLiteral("/_upload/"));
    ASSERT_EQ(fragments.size(), 6u); // five fragments, the lost one twice
    EXPECT_EQ(RequestsTo("GET", QStringLiteral("/_upload/")).size(), 1u) << "the session was asked where it stood";
    EXPECT_EQ(fragments[0].Header(QStringLiteral("content-range")), QStringLiteral("bytes 0-327679/1500000"));
    EXPECT_EQ(fragments[5].Header(QStringLiteral("content-range")), QStringLiteral("bytes 1310720-1499999/1500000"));
    for (const MEmuLoggedRequest& fragment : fragments)
        EXPECT_TRUE(fragment.Header(QStringLiteral("authorization")).isEmpty());
}

TEST_F(RestoreTest, AFileThatCannotBeReadFailsItsRowAndTheFilesOfAFolderThatCannotBeMadeAreSkipped)
{
    StartWithGroup();
    const QString gone = out.WriteFile(QStringLiteral("Gone.one"), "x");
    AddSectionFile(*target, gone);
    QFile::remove(gone);
    MResultNode* bad = target->AddChild(MNodeKind::SectionGroup, QStringLiteral("Bad:Name"));
    AddSectionFile(*bad, out.WriteFile(QStringLiteral("Inner.one"), "inner"));
    MRestoreTask task(context, list);
    OnWorker([&] { task.ThreadViewRun(); });
    const QList<MTaskItem> rows = FinalRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].outcome, MItemOutcome::Failed);
    EXPECT_TRUE(rows[0].reason.contains(QLatin1String("cannot read"))) << rows[0].reason.toStdString();
    EXPECT_EQ(rows[1].outcome, MItemOutcome::Failed);
    EXPECT_TRUE(rows[1].reason.contains(QLatin1String("invalid characters"))) << rows[1].reason.toStdString();
    EXPECT_EQ(rows[2].outcome, MItemOutcome::Skipped) << "the folder's file is named, not passed over";
    EXPECT_TRUE(RequestsTo("PUT", QStringLiteral("/content")).empty()) << "nothing empty was sent";
    EXPECT_EQ(Names(group), QStringList({QStringLiteral("Plan.one"), QStringLiteral("archive")}));
}

TEST_F(RestoreTest, ATargetWithoutItsFolderSaysSoAndUploadsNothing)
{
    StartWithGroup();
    target->id = QStringLiteral("NOHYPHEN");
    AddSectionFile(*target, out.WriteFile(QStringLiteral("Plan.one"), "x"));
    MRestoreTask task(context, list);
    OnWorker([&] { task.ThreadViewRun(); });
    ASSERT_EQ(FinalRows().size(), 1);
    EXPECT_EQ(FinalRows()[0].outcome, MItemOutcome::Failed);
    EXPECT_EQ(task.Tree().child(0)->reason, QStringLiteral("Not found"));
    EXPECT_TRUE(RequestsTo("PUT", QString()).empty());
}

} // namespace
