#include "../GuiTestSupport.h"

#include "MWinChooseSection.h"
#include "MWinNotebookInfo.h"
#include "app/MStrings.h"
#include "model/MONObject.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

MONObject* Add(MONObject* parent, quint64 type, const char* name)
{
    const QString n = QString::fromLatin1(name);
    return parent->addSubObject(type, n + QStringLiteral("-id"), n, {}, {}, {}, {}, {}, {}, {});
}

// Notebook Plain { Section S1, Section S2 }; Notebook Deep { Section D1, Group Outer { Group Inner
// { Section I1 } } }.
class ChooserTest : public ::testing::Test
{
protected:
    ChooserTest()
    {
        GuiApp();
        MONObject* plain = Add(&root, MONObject::Notebook, "Plain");
        Add(plain, MONObject::Section, "S1");
        Add(plain, MONObject::Section, "S2");
        MONObject* deep = Add(&root, MONObject::Notebook, "Deep");
        Add(deep, MONObject::Section, "D1");
        MONObject* outer = Add(deep, MONObject::SectionGroup, "Outer");
        MONObject* inner = Add(outer, MONObject::SectionGroup, "Inner");
        Add(inner, MONObject::Section, "I1");
    }

    // The copy as "name(children...)" so a whole shape compares in one line.
    static QString Shape(const MONObject& node)
    {
        QStringList parts;
        for (const auto& child : node.children())
            parts.append(
                child->childCount() ? child->name + QLatin1Char('(') + Shape(*child) + QLatin1Char(')') : child->name);
        return parts.join(QLatin1Char(' '));
    }

    MONObject root;
};

} // namespace

TEST_F(ChooserTest, TheScopesFilterTheCopy)
{
    EXPECT_EQ(Shape(MWinChooseSection(&root, 1).TreeObjects()), QStringLiteral("Plain Deep"));
    // A notebook holding sections only shows with no children; nested groups stay reachable.
    EXPECT_EQ(Shape(MWinChooseSection(&root, 2).TreeObjects()), QStringLiteral("Plain Deep(Outer(Inner))"));
    EXPECT_EQ(
        Shape(MWinChooseSection(&root, 3).TreeObjects()), QStringLiteral("Plain(S1 S2) Deep(D1 Outer(Inner(I1)))"));
    EXPECT_EQ(
        Shape(MWinChooseSection(&root, 7).TreeObjects()), QStringLiteral("Plain(S1 S2) Deep(D1 Outer(Inner(I1)))"));
    EXPECT_EQ(MWinChooseSection(&root, 0).OutlineTree()->topLevelItemCount(), 0);
}

TEST_F(ChooserTest, TheOutlineShowsTheCopyAndTheSourceIsUntouched)
{
    MWinChooseSection chooser(&root, 2);
    QTreeWidget* tree = chooser.OutlineTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(1)->child(0)->child(0)->text(0), QStringLiteral("Inner"));
    EXPECT_EQ(root.child(0)->childCount(), 2u);
}

TEST_F(ChooserTest, OkHandsBackOnlyASelectedIdAndClosingWithoutOkNothing)
{
    MWinChooseSection chooser(&root, 2);
    chooser.show();
    chooser.ButtonOKClick();
    EXPECT_TRUE(chooser.isVisible()) << "OK without a selection keeps the window open";
    EXPECT_EQ(chooser.idReturn, QString());
    QTreeWidget* tree = chooser.OutlineTree();
    tree->setCurrentItem(tree->topLevelItem(1)->child(0)->child(0));
    EXPECT_EQ(chooser.idChoose, QStringLiteral("Inner-id"));
    EXPECT_EQ(chooser.idReturn, QString());
    chooser.ButtonOKClick();
    EXPECT_EQ(chooser.idReturn, QStringLiteral("Inner-id"));
    EXPECT_EQ(chooser.result(), QDialog::Accepted);

    MWinChooseSection closed(&root, 3);
    closed.show();
    closed.OutlineTree()->setCurrentItem(closed.OutlineTree()->topLevelItem(0));
    closed.reject();
    EXPECT_EQ(closed.idReturn, QString());
}

TEST(NotebookInfo, OwnedAndSharedNotebooks)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    MONObject root;
    MONObject* nb = Add(&root, MONObject::Notebook, "Work");
    nb->clientUrl = QStringLiteral("onenote:https://x/Work");
    nb->webUrl = QStringLiteral("https://web/Work%1");
    nb->userRole = QStringLiteral("Owner");
    nb->createdBy = QStringLiteral("Ann");
    nb->creatorId = QStringLiteral("U1");
    EXPECT_EQ(MWinNotebookInfo::DisplayMessage(*nb),
        Localized("strNotebookName") + QStringLiteral("\nWork\n\n") + Localized("strClientLink")
            + QStringLiteral("\nonenote:https://x/Work\n\n") + Localized("strWebLink")
            + QStringLiteral("\nhttps://web/Work%1"));

    nb->userRole = QStringLiteral("owner"); // only exactly "Owner" is the account's own notebook
    const QString shared = MWinNotebookInfo::DisplayMessage(*nb);
    EXPECT_EQ(shared,
        Localized("strNotebookName") + QStringLiteral("\nWork\n\n") + Localized("strNotebookCreatedBy")
            + QStringLiteral("\nAnn\n\n") + Localized("strNotebookCreatorId") + QStringLiteral("\nU1\n\n")
            + Localized("strClientLink") + QStringLiteral("\nonenote:https://x/Work\n\n") + Localized("strWebLink")
            + QStringLiteral("\nhttps://web/Work%1"));

    MWinNotebookInfo window;
    window.SetONObj(nb);
    EXPECT_EQ(window.Text(), shared);
}
