#include "../GuiTestSupport.h"

#include "MMainWindow.h"
#include "MTreeModel.h"

#include <QAbstractItemModelTester>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// Notebook A { Section A1, Group G { Section G1, Section G2 } }, Notebook B { Section B1 }.
class OutlineTest : public ::testing::Test
{
protected:
    OutlineTest()
    {
        GuiApp();
        nbA = AddNode(&root, MNodeKind::Notebook, "A");
        a1 = AddNode(nbA, MNodeKind::Section, "A1");
        group = AddNode(nbA, MNodeKind::SectionGroup, "G");
        g1 = AddNode(group, MNodeKind::Section, "G1");
        g2 = AddNode(group, MNodeKind::Section, "G2");
        AddNode(AddNode(&root, MNodeKind::Notebook, "B"), MNodeKind::Section, "B1");
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
    MNotebookNode *nbA, *a1, *group, *g1, *g2;
    std::unique_ptr<MMainWindow> window;
};

} // namespace

TEST_F(OutlineTest, RowsShowTheTreeWithNamesAndBoxesAndTheSelectionIsTheSelectedNode)
{
    const QAbstractItemModelTester tester(window->TreeModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    MTreeModel* model = window->TreeModel();
    const QModelIndex a = model->index(0, 0);
    EXPECT_EQ(model->data(model->index(1, 0, a)).toString(), QStringLiteral("G"));
    EXPECT_TRUE(model->flags(a) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model->data(a, Qt::DecorationRole).value<QIcon>().isNull());
    // The selected node follows the selection.
    EXPECT_EQ(window->SelectedNode(), nullptr);
    window->OutlineTree()->setCurrentIndex(window->TreeModel()->IndexOf(g2));
    EXPECT_EQ(window->SelectedNode(), g2);
    window->OutlineTree()->clearSelection();
    EXPECT_EQ(window->SelectedNode(), nullptr);
}

// Which nodes a click checks is the node's own rule, tested with it; here the box in the view reaches
// that rule and the view shows a partly checked container as such.
TEST_F(OutlineTest, ABoxToggledInTheViewChecksTheTreeAndAPartlyCheckedContainerShowsSo)
{
    MTreeModel* model = window->TreeModel();
    const auto shown
        = [&](const MNotebookNode* node) { return model->data(model->IndexOf(node), Qt::CheckStateRole).toInt(); };
    Toggle(g1);
    EXPECT_TRUE(nbA->checked) << "the checked state itself stays on or off";
    EXPECT_FALSE(a1->checked);
    EXPECT_EQ(shown(nbA), int(Qt::PartiallyChecked));
    EXPECT_EQ(shown(group), int(Qt::PartiallyChecked));
    EXPECT_EQ(shown(g1), int(Qt::Checked));
    Toggle(g2);
    EXPECT_EQ(shown(group), int(Qt::Checked));
    Toggle(nbA); // partly checked: the click checks everything below
    EXPECT_TRUE(a1->checked);
    EXPECT_EQ(shown(nbA), int(Qt::Checked));
    Toggle(nbA);
    EXPECT_FALSE(g2->checked);
}
