#include "DriveServiceFixture.h"
#include "drive/MSectionSizeTask.h"

namespace {

class SectionSizeTest : public DriveServiceTest
{
protected:
    // Book: Plan (1000 bytes) and the group G holding Deep (500); Team Handbook shared by "work".
    void StartWithBooks()
    {
        const QJsonObject work {{"key", "work"}, {"kind", "work"},
            {"notebooks", QJsonArray {Group("Team Handbook", {Section("Onboarding", 77)})}}};
        Start(QJsonObject {{"notebooks",
                               QJsonArray {Group("Book", {Section("Plan", 1000)}, {Group("G", {Section("Deep", 500)})}),
                                   Group("Other", {Section("Loose", 300)})}},
                  {"sharedNotebooks",
                      QJsonArray {QJsonObject {{"owner", "work"}, {"name", "Team Handbook"}, {"userRole", "Reader"}}}}},
            QJsonArray {work});
    }

    // "path=status" for every row, depth first.
    static QStringList Rows(const MResultNode& node, const QString& path = QString())
    {
        QStringList rows;
        for (const auto& child : node.children()) {
            const QString p = path.isEmpty() ? child->name : path + QLatin1Char('/') + child->name;
            rows << p + QLatin1Char('=') + (child->size ? QString::number(*child->size) : child->reason);
            rows += Rows(*child, p);
        }
        return rows;
    }
};

TEST_F(SectionSizeTest, SizesAreOneDrivesOwnASharedNotebookIsNonCreatorAndWhatIsNotFoundIsNotEntered)
{
    StartWithBooks();
    Check(QStringLiteral("Book"));
    Check(QStringLiteral("Team Handbook"));
    Check(QStringLiteral("Other"));
    // A section named as its file but for the letter case, a group whose folder bears another name,
    // and a notebook whose id names no drive item.
    Node(QStringLiteral("Book/Plan"))->name = QStringLiteral("PLAN");
    Node(QStringLiteral("Book/G"))->name = QStringLiteral("Elsewhere");
    Node(QStringLiteral("Other"))->id = QStringLiteral("NOHYPHEN");
    MSectionSizeTask task(context);
    OnWorker([&] { task.ThreadViewRun(); });
    EXPECT_EQ(Rows(task.Tree()),
        QStringList(
            {QStringLiteral("Book=1500"), QStringLiteral("Book/PLAN=1000"), QStringLiteral("Book/Elsewhere=Not found"),
                QStringLiteral("Other=Not found"), QStringLiteral("Team Handbook=Non-creator")}));
    EXPECT_EQ(task.Counts().failed, 0);
    EXPECT_EQ(task.Counts().skipped, 3);
}

TEST_F(SectionSizeTest, ANotebookThatCannotBeReadIsListedWithTheReason)
{
    StartWithBooks();
    Check(QStringLiteral("Book"));
    Check(QStringLiteral("Other"));
    ASSERT_FALSE(emulator
                     ->AddFault(QStringLiteral(
                         "GET /v1.0/me/drive/items/* error status=500 code=generalException message=Broken count=1"))
                     .has_value());
    MSectionSizeTask task(context);
    OnWorker([&] { task.ThreadViewRun(); });
    const QStringList rows = Rows(task.Tree());
    ASSERT_EQ(rows.size(), 3) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rows[0].startsWith(QLatin1String("Book=HTTP 500"))) << rows[0].toStdString();
    EXPECT_EQ(rows[1], QStringLiteral("Other=300"));
    EXPECT_EQ(task.ReadsFailed(), 1);
    EXPECT_EQ(reporter.Alerts().size(), 1);
    EXPECT_EQ(task.Counts().failed, 1);
}

} // namespace
