#include "../GuiTestSupport.h"

#include "app/MStrings.h"
#include "widgets/MResultModel.h"
#include "widgets/MResultTable.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

void DoubleClickRow(MResultTable& table, int row)
{
    QTableView* view = table.View();
    const QRect cell = view->visualRect(table.Model()->index(row, MResultModel::TextColumn));
    // The first click of a double click selects, the second opens.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

} // namespace

TEST(ResultTable, ADoubleClickOpensTheFileOrPageTheRowNamesAndNothingElse)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    auto opener = std::make_shared<MRecordingLinkOpener>();
    SetLinkOpener(opener);
    MResultTable table;
    QAbstractItemModelTester tester(table.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    table.resize(600, 300);
    table.show();
    table.Report(
        {0, QStringLiteral("/out/Day one.txt"), MItemOutcome::Created, {}, QStringLiteral("/out/Day one.txt")});
    table.Report({1, QStringLiteral("2: Note"), MItemOutcome::Created, {},
        QStringLiteral("https://www.onenote.example/page?id=1")});
    table.Report({2, QStringLiteral("3: Broken"), MItemOutcome::Failed, QStringLiteral("no answer"), {}});
    QSignalSpy opened(&table, &MResultTable::OpenRequested);

    DoubleClickRow(table, 0);
    DoubleClickRow(table, 1);
    DoubleClickRow(table, 2); // names nothing
    EXPECT_EQ(opened.count(), 2);
    EXPECT_EQ(opener->links,
        QStringList(
            {QStringLiteral("file:///out/Day one.txt"), QStringLiteral("https://www.onenote.example/page?id=1")}));
    SetLinkOpener(nullptr);
}

TEST(ResultTable, RowsCarryTheBadgeOfTheirOutcomeAndFollowTheNewestWhileAtTheEnd)
{
    GuiApp();
    MResultTable table;
    table.resize(500, 160);
    table.show();
    for (int i = 0; i < 200; ++i)
        table.Report(
            {i, QStringLiteral("item %1").arg(i), i % 7 == 0 ? MItemOutcome::Failed : MItemOutcome::Created, {}, {}});
    const QModelIndex failed = table.Model()->index(0, MResultModel::StatusColumn);
    const QModelIndex created = table.Model()->index(1, MResultModel::StatusColumn);
    EXPECT_FALSE(failed.data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_NE(failed.data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage(),
        created.data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage());
    QTest::qWait(50);
    const QRect last = table.View()->visualRect(table.Model()->index(199, MResultModel::TextColumn));
    EXPECT_TRUE(table.View()->viewport()->rect().intersects(last)) << "the newest row is in view";

    // Scrolled up by the user, the view stays where it is.
    table.View()->scrollToTop();
    table.Report({200, QStringLiteral("item 200"), MItemOutcome::Created, {}, {}});
    QTest::qWait(50);
    EXPECT_TRUE(table.View()->viewport()->rect().intersects(
        table.View()->visualRect(table.Model()->index(0, MResultModel::TextColumn))));
}
