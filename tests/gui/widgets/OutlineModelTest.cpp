#include "../GuiTestSupport.h"

#include "app/MStrings.h"
#include "model/MResultNode.h"
#include "widgets/MOutlineModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

MResultNode* Add(
    MResultNode* parent, MNodeKind kind, const char* name, MItemOutcome outcome, qint64 code = 0, const char* text = "")
{
    MResultNode* node = parent->AddChild(kind, QString::fromUtf8(name));
    node->SetOutcome(outcome, QString::fromUtf8(text), code);
    return node;
}

} // namespace

TEST(OutlineModel, RowsShowTheNodeIconOwnColumnsAndTheStatusByTheOneRule)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    MResultNode root;
    MResultNode* nb = Add(&root, MNodeKind::Notebook, "Archive", MItemOutcome::Reused);
    MResultNode* group = Add(nb, MNodeKind::SectionGroup, "2019", MItemOutcome::Created);
    MResultNode* section = Add(group, MNodeKind::Section, "March", MItemOutcome::Failed, -4, "The name is too long");
    MResultNode* page = Add(section, MNodeKind::Page, "Receipt", MItemOutcome::Failed, -3);
    page->address = QStringLiteral("onenote:https://x/Receipt");

    MOutlineModel::Options options;
    options.columns.push_back({QStringLiteral("Link"), [](const MResultNode& n) { return n.address; }});
    MOutlineModel model(&root, options);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.StatusColumn(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Link"));

    const QModelIndex pageRow = model.IndexOf(page);
    EXPECT_EQ(pageRow.data().toString(), QStringLiteral("Receipt"));
    EXPECT_FALSE(pageRow.data(Qt::DecorationRole).value<QIcon>().isNull()) << "pages have an icon too";
    EXPECT_EQ(model.IndexOf(page, 1).data().toString(), QStringLiteral("onenote:https://x/Receipt"));
    EXPECT_EQ(model.IndexOf(page, 2).data().toString(), Localized("strFailure") + QStringLiteral(": -3"));
    EXPECT_EQ(model.IndexOf(section, 2).data().toString(), QStringLiteral("The name is too long"));
    EXPECT_EQ(model.IndexOf(group, 2).data().toString(), Localized("strSuccess"));
    EXPECT_EQ(model.IndexOf(nb, 2).data().toString(), Localized("strExists"));
    EXPECT_FALSE(model.IndexOf(section, 2).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(pageRow.flags() & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.setData(pageRow, Qt::Checked, Qt::CheckStateRole));

    // A status change posted by a worker repaints that row, every column.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    group->SetOutcome(MItemOutcome::Failed, QString(), -1);
    model.NodeChanged(group);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model.IndexOf(group, 0));
    EXPECT_EQ(changed.at(0).at(1).toModelIndex(), model.IndexOf(group, 2));
}

TEST(OutlineModel, CheckBoxesHoldTheirStateInTheNodeAndSizesShowAsTheStatus)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    MResultNode root;
    MResultNode* lost = Add(&root, MNodeKind::Section, "Lost section", MItemOutcome::NotAttempted);
    lost->size = 5 * 1024 * 1024;
    MOutlineModel::Options options;
    options.checkable = true;
    options.iconName = [](const MResultNode&) { return QStringLiteral("LostSection"); };
    MOutlineModel model(&root, options);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QModelIndex row = model.IndexOf(lost);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.IndexOf(lost, 1).data().toString(), QStringLiteral("5 MB"));
    EXPECT_TRUE(model.IndexOf(lost, 1).data(Qt::DecorationRole).isNull()) << "a size is no outcome";
    EXPECT_EQ(row.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    EXPECT_TRUE(model.setData(row, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(lost->checked);
    EXPECT_EQ(lost->size, 5 * 1024 * 1024) << "the check box leaves the status alone";
}
