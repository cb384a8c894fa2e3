#include "../GuiTestSupport.h"

#include "MWinChooseSection.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// Notebook Plain { Section S1, Section S2 }; Notebook Deep { Section D1, Group Outer { Group Inner
// { Section I1 } } }.
class ChooserTest : public ::testing::Test
{
protected:
    ChooserTest()
    {
        GuiApp();
        MNotebookNode* plain = AddNode(&root, MNodeKind::Notebook, "Plain");
        AddNode(plain, MNodeKind::Section, "S1");
        AddNode(plain, MNodeKind::Section, "S2");
        MNotebookNode* deep = AddNode(&root, MNodeKind::Notebook, "Deep");
        AddNode(deep, MNodeKind::Section, "D1");
        MNotebookNode* outer = AddNode(deep, MNodeKind::SectionGroup, "Outer");
        MNotebookNode* inner = AddNode(outer, MNodeKind::SectionGroup, "Inner");
        AddNode(inner, MNodeKind::Section, "I1");
    }

    // The copy as "name(children...)" so a whole shape compares in one line.
    static QString Shape(const MNotebookNode& node)
    {
        QStringList parts;
        for (const auto& child : node.children())
            parts.append(
                child->childCount() ? child->name + QLatin1Char('(') + Shape(*child) + QLatin1Char(')') : child->name);
        return parts.join(QLatin1Char(' '));
    }

    MNotebookNode root;
};

} // namespace

TEST_F(ChooserTest, TheScopesFilterTheCopy)
{
    EXPECT_EQ(Shape(MWinChooseSection(&root, 1).TreeObjects()), QStringLiteral("Plain Deep"));
    // A notebook holding sections only shows with no children; nested groups stay reachable.
    EXPECT_EQ(Shape(MWinChooseSection(&root, 2).TreeObjects()), QStringLiteral("Plain Deep(Outer(Inner))"));
    EXPECT_EQ(
        Shape(MWinChooseSection(&root, 3).TreeObjects()), QStringLiteral("Plain(S1 S2) Deep(D1 Outer(Inner(I1)))"));
    EXPECT_EQ(MWinChooseSection(&root, 0).OutlineTree()->topLevelItemCount(), 0);
}

TEST_F(ChooserTest, OkHandsBackOnlyASelectedIdAndClosingWithoutOkNothing)
{
    MWinChooseSection chooser(&root, 2);
    chooser.show();
    chooser.ButtonOKClick();
    EXPECT_TRUE(chooser.isVisible()) << "OK without a selection keeps the window open";
    EXPECT_EQ(chooser.idReturn, QString());
    QTreeWidget* tree = chooser.OutlineTree();
    tree->setCurrentItem(tree->topLevelItem(1)->child(0)->child(0)); // the outline shows the copy
    EXPECT_EQ(chooser.idChoose, QStringLiteral("Inner-id"));
    EXPECT_EQ(chooser.idReturn, QString());
    chooser.ButtonOKClick();
    EXPECT_EQ(chooser.idReturn, QStringLiteral("Inner-id"));
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(root.child(0)->childCount(), 2u) << "the source is untouched";

    MWinChooseSection closed(&root, 3);
    closed.show();
    closed.OutlineTree()->setCurrentItem(closed.OutlineTree()->topLevelItem(0));
    closed.reject();
    EXPECT_EQ(closed.idReturn, QString());
}
