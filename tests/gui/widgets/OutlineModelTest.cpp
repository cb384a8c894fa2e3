#include "../GuiTestSupport.h"

#include "app/MStrings.h"
#include "model/MONObject.h"
#include "widgets/MOutlineModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

MONObject* Add(MONObject* parent, quint64 type, const char* name, qint64 outcome = 0, const char* text = "")
{
    MONObject* node = parent->addSubObject(type, {}, QString::fromUtf8(name), {}, {}, {}, {}, {}, {}, {});
    node->intValue = outcome;
    node->strValue = QString::fromUtf8(text);
    return node;
}

} // namespace

TEST(OutlineModel, RowsShowTheNodeIconOwnColumnsAndTheStatusByTheOneRule)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    MONObject root;
    MONObject* nb = Add(&root, MONObject::Notebook, "Archive", 2);
    MONObject* group = Add(nb, MONObject::SectionGroup, "2019", 1);
    MONObject* section = Add(group, MONObject::Section, "March", -4, "The name is too long");
    MONObject* page = Add(section, 4, "Receipt", -3);
    page->clientUrl = QStringLiteral("onenote:https://x/Receipt");

    MOutlineModel::Options options;
    options.columns.push_back({QStringLiteral("Link"), [](const MONObject& n) { return n.clientUrl; }});
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
    group->intValue = -1;
    model.NodeChanged(group);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model.IndexOf(group, 0));
    EXPECT_EQ(changed.at(0).at(1).toModelIndex(), model.IndexOf(group, 2));
}

TEST(OutlineModel, CheckBoxesHoldTheirStateInTheNodeAndSizesShowWhereTwoMeansASize)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    MONObject root;
    MONObject* lost = Add(&root, MONObject::Section, "Lost section", 2);
    lost->intValue64 = 5 * 1024 * 1024;
    MOutlineModel::Options options;
    options.checkable = true;
    options.two = MNodeTwo::Size;
    options.iconName = [](const MONObject&) { return QStringLiteral("LostSection"); };
    MOutlineModel model(&root, options);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QModelIndex row = model.IndexOf(lost);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.IndexOf(lost, 1).data().toString(), QStringLiteral("5 MB"));
    EXPECT_TRUE(model.IndexOf(lost, 1).data(Qt::DecorationRole).isNull()) << "a size is no outcome";
    EXPECT_EQ(row.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    EXPECT_TRUE(model.setData(row, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(lost->boolValue);
    EXPECT_EQ(lost->intValue, 2) << "the check box leaves the outcome alone";
}
