#include "../GuiTestSupport.h"

#include "MMainWindow.h"
#include "MTreeModel.h"
#include "model/MNotebookNode.h"

#include <QTreeView>
#include <gtest/gtest.h>

namespace {

MNotebookNode* Add(MNotebookNode* parent, MNodeKind type, const char* name)
{
    const QString n = QString::fromLatin1(name);
    return parent->AddChild(type, n + QStringLiteral("-id"), n);
}

// Notebook A { Section A1, Group G { Section G1, Section G2 } }, Notebook B { Section B1 }.
class OutlineTest : public ::testing::Test
{
protected:
    OutlineTest()
    {
        GuiApp();
        nbA = Add(&root, MNodeKind::Notebook, "A");
        a1 = Add(nbA, MNodeKind::Section, "A1");
        group = Add(nbA, MNodeKind::SectionGroup, "G");
        g1 = Add(group, MNodeKind::Section, "G1");
        g2 = Add(group, MNodeKind::Section, "G2");
        nbB = Add(&root, MNodeKind::Notebook, "B");
        b1 = Add(nbB, MNodeKind::Section, "B1");
        window = std::make_unique<MMainWindow>(&root);
        window->show();
        window->OutlineTree()->expandAll();
    }

    // Toggles a row's check box the way the user does from the keyboard (the view sends the same
    // setData as a mouse click on the box).
    void Toggle(MNotebookNode* node)
    {
        QTreeView* view = window->OutlineTree();
        view->setCurrentIndex(window->TreeModel()->IndexOf(node));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Space);
    }

    MNotebookNode root;
    MNotebookNode *nbA, *a1, *group, *g1, *g2, *nbB, *b1;
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
    EXPECT_TRUE(group->checked);
    EXPECT_TRUE(g1->checked);
    EXPECT_TRUE(g2->checked);
    EXPECT_TRUE(nbA->checked); // an ancestor is checked when any child is
    EXPECT_FALSE(a1->checked); // siblings are left alone
    EXPECT_FALSE(nbB->checked);
    EXPECT_EQ(window->TreeModel()->data(window->TreeModel()->IndexOf(g2), Qt::CheckStateRole).toInt(), Qt::Checked);
}

TEST_F(OutlineTest, UncheckingTheLastCheckedChildUnchecksTheAncestors)
{
    Toggle(g1);
    EXPECT_TRUE(group->checked);
    EXPECT_TRUE(nbA->checked);
    Toggle(a1);
    Toggle(g1); // A1 still holds notebook A, G has no checked child left
    EXPECT_FALSE(group->checked);
    EXPECT_TRUE(nbA->checked);
    Toggle(a1);
    EXPECT_FALSE(nbA->checked);
}

TEST_F(OutlineTest, CheckAllAndUncheckAllReachEveryRow)
{
    window->TreeModel()->SetAllChecked(true);
    for (const MNotebookNode* node : {nbA, a1, group, g1, g2, nbB, b1})
        EXPECT_TRUE(node->checked) << qPrintable(node->name);
    window->TreeModel()->SetAllChecked(false);
    for (const MNotebookNode* node : {nbA, a1, group, g1, g2, nbB, b1})
        EXPECT_FALSE(node->checked) << qPrintable(node->name);
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
    EXPECT_TRUE(nbA->checked) << "the checked state itself stays on or off";
    EXPECT_EQ(model->data(model->IndexOf(nbA), Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
    EXPECT_EQ(model->data(model->IndexOf(group), Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
    EXPECT_EQ(model->data(model->IndexOf(g1), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    Toggle(g2);
    EXPECT_EQ(model->data(model->IndexOf(group), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    Toggle(nbA); // partly checked: the click checks everything below
    EXPECT_TRUE(a1->checked);
    EXPECT_EQ(model->data(model->IndexOf(nbA), Qt::CheckStateRole).toInt(), int(Qt::Checked));
}
