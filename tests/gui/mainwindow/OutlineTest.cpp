#include "../GuiTestSupport.h"

#include "MMainWindow.h"
#include "MTreeModel.h"
#include "model/MONObject.h"

#include <QTreeView>
#include <gtest/gtest.h>

namespace {

MONObject* Add(MONObject* parent, quint64 type, const char* name)
{
    const QString n = QString::fromLatin1(name);
    return parent->addSubObject(type, n + QStringLiteral("-id"), n, {}, {}, {}, {}, {}, {}, {});
}

// Notebook A { Section A1, Group G { Section G1, Section G2 } }, Notebook B { Section B1 }.
class OutlineTest : public ::testing::Test
{
protected:
    OutlineTest()
    {
        GuiApp();
        nbA = Add(&root, MONObject::Notebook, "A");
        a1 = Add(nbA, MONObject::Section, "A1");
        group = Add(nbA, MONObject::SectionGroup, "G");
        g1 = Add(group, MONObject::Section, "G1");
        g2 = Add(group, MONObject::Section, "G2");
        nbB = Add(&root, MONObject::Notebook, "B");
        b1 = Add(nbB, MONObject::Section, "B1");
        window = std::make_unique<MMainWindow>(&root);
        window->show();
        window->OutlineTree()->expandAll();
    }

    // Toggles a row's check box the way the user does from the keyboard (the view sends the same
    // setData as a mouse click on the box).
    void Toggle(MONObject* node)
    {
        QTreeView* view = window->OutlineTree();
        view->setCurrentIndex(window->TreeModel()->IndexOf(node));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Space);
    }

    MONObject root;
    MONObject *nbA, *a1, *group, *g1, *g2, *nbB, *b1;
    std::unique_ptr<MMainWindow> window;
};

} // namespace

TEST_F(OutlineTest, RowsShowTheTreeWithNamesAndBoxes)
{
    MTreeModel* model = window->TreeModel();
    ASSERT_EQ(model->rowCount(), 2);
    const QModelIndex a = model->index(0, 0);
    EXPECT_EQ(model->data(a).toString(), QStringLiteral("A"));
    EXPECT_EQ(model->rowCount(a), 2);
    EXPECT_EQ(model->data(model->index(1, 0, a)).toString(), QStringLiteral("G"));
    EXPECT_EQ(model->data(a, Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(model->flags(a) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model->data(a, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(model->parent(model->index(0, 0, model->index(1, 0, a))), model->index(1, 0, a));
}

TEST_F(OutlineTest, CheckingARowChecksItsSubtreeAndItsAncestors)
{
    Toggle(group);
    EXPECT_EQ(group->intValue, 1);
    EXPECT_EQ(g1->intValue, 1);
    EXPECT_EQ(g2->intValue, 1);
    EXPECT_EQ(nbA->intValue, 1); // an ancestor is checked when any child is
    EXPECT_EQ(a1->intValue, 0); // siblings are left alone
    EXPECT_EQ(nbB->intValue, 0);
    EXPECT_EQ(window->TreeModel()->data(window->TreeModel()->IndexOf(g2), Qt::CheckStateRole).toInt(), Qt::Checked);
}

TEST_F(OutlineTest, UncheckingTheLastCheckedChildUnchecksTheAncestors)
{
    Toggle(g1);
    EXPECT_EQ(group->intValue, 1);
    EXPECT_EQ(nbA->intValue, 1);
    Toggle(a1);
    Toggle(g1); // A1 still holds notebook A, G has no checked child left
    EXPECT_EQ(group->intValue, 0);
    EXPECT_EQ(nbA->intValue, 1);
    Toggle(a1);
    EXPECT_EQ(nbA->intValue, 0);
}

TEST_F(OutlineTest, CheckAllAndUncheckAllReachEveryRow)
{
    window->TreeModel()->SetAllChecked(true);
    for (const MONObject* node : {nbA, a1, group, g1, g2, nbB, b1})
        EXPECT_EQ(node->intValue, 1) << qPrintable(node->name);
    window->TreeModel()->SetAllChecked(false);
    for (const MONObject* node : {nbA, a1, group, g1, g2, nbB, b1})
        EXPECT_EQ(node->intValue, 0) << qPrintable(node->name);
}

TEST_F(OutlineTest, SelectedNodeFollowsTheSelection)
{
    EXPECT_EQ(window->SelectedNode(), nullptr);
    window->OutlineTree()->setCurrentIndex(window->TreeModel()->IndexOf(g2));
    EXPECT_EQ(window->SelectedNode(), g2);
    window->OutlineTree()->clearSelection();
    EXPECT_EQ(window->SelectedNode(), nullptr);
}

TEST_F(OutlineTest, AContainerWithSomeSectionsCheckedShowsPartlyCheckedAndAClickChecksItAll)
{
    MTreeModel* model = window->TreeModel();
    Toggle(g1);
    EXPECT_EQ(nbA->intValue, 1) << "the checked state itself stays on or off";
    EXPECT_EQ(model->data(model->IndexOf(nbA), Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
    EXPECT_EQ(model->data(model->IndexOf(group), Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
    EXPECT_EQ(model->data(model->IndexOf(g1), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    Toggle(g2);
    EXPECT_EQ(model->data(model->IndexOf(group), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    Toggle(nbA); // partly checked: the click checks everything below
    EXPECT_EQ(a1->intValue, 1);
    EXPECT_EQ(model->data(model->IndexOf(nbA), Qt::CheckStateRole).toInt(), int(Qt::Checked));
}
