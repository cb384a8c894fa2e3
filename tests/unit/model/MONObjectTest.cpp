#include "model/MONObject.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

MONObject* Add(MONObject* parent, quint64 type, const char* id, const char* name)
{
    const QString self = S("https://graph/") + S(id);
    return parent->addSubObject(type, S(id), S(name), S(""), S(""), S(""), S(""), self, parent->selfUrl,
        type == MONObject::Notebook ? self : parent->parentNotebookUrl);
}

// root
//   nb1 (Notebook)
//     s1 (Section)
//     g1 (SectionGroup)
//       g2 (SectionGroup)
//         s2 (Section, "Deep")
//   nb2 (Notebook)
//     s3 (Section, "Work")
struct Tree
{
    MONObject root;
    MONObject* nb1;
    MONObject* s1;
    MONObject* g1;
    MONObject* g2;
    MONObject* s2;
    MONObject* nb2;
    MONObject* s3;
    Tree()
    {
        nb1 = Add(&root, MONObject::Notebook, "nb-1", "Personal");
        s1 = Add(nb1, MONObject::Section, "s-1", "Quick Notes");
        g1 = Add(nb1, MONObject::SectionGroup, "g-1", "Projects");
        g2 = Add(g1, MONObject::SectionGroup, "g-2", "Archive");
        s2 = Add(g2, MONObject::Section, "s-2", "Deep");
        nb2 = Add(&root, MONObject::Notebook, "nb-2", "Work");
        s3 = Add(nb2, MONObject::Section, "s-3", "Work");
    }
};

} // namespace

TEST(TreeNode, CopyAddLeavesOutChildrenAndIdentityFields)
{
    Tree t;
    t.g1->intValue = 1;
    t.g1->strValue = S("note");
    t.g1->sectionsUrl = S("u/sections");
    t.g1->userRole = S("Owner");
    t.g1->intValue64 = 99;
    MONObject copyRoot;
    MONObject* copy = copyRoot.copyAdd(*t.g1);
    EXPECT_EQ(copy->parent(), &copyRoot);
    EXPECT_EQ(copy->name, S("Projects"));
    EXPECT_EQ(copy->sectionsUrl, S("u/sections"));
    EXPECT_EQ(copy->intValue, 1);
    EXPECT_EQ(copy->strValue, S("note"));
    EXPECT_EQ(copy->childCount(), 0u);
    EXPECT_TRUE(copy->userRole.isNull());
    EXPECT_EQ(copy->intValue64, 0);
}

TEST(TreeNode, CloneTreeCopiesEverythingAndIsIndependent)
{
    Tree t;
    t.nb1->userRole = S("Contributor");
    auto clone = t.root.CloneTree();
    t.root.clear();
    ASSERT_EQ(clone->childCount(), 2u);
    EXPECT_EQ(clone->child(0)->userRole, S("Contributor"));
    const MONObject* deep = MONObject::GetObjectByObjId(S("s-2"), clone.get());
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->parent()->parent()->name, S("Projects"));
}

TEST(TreeNode, SwappingChildrenMovesTheWholeTreeWithItsParentLinks)
{
    Tree t;
    MONObject fresh;
    fresh.addSubObject(MONObject::Notebook, S("n-new"), S("New"), {}, {}, {}, {}, {}, {}, {});
    t.root.swapChildren(fresh);
    ASSERT_EQ(t.root.childCount(), 1u);
    EXPECT_EQ(t.root.child(0)->parent(), &t.root);
    ASSERT_EQ(fresh.childCount(), 2u);
    EXPECT_EQ(fresh.child(0)->parent(), &fresh);
    EXPECT_EQ(MONObject::GetObjectByObjId(S("s-1"), &fresh)->parent()->parent(), &fresh);
}

TEST(TreeNode, FirstCheckedIsPreOrderAndSkipsUncheckedKinds)
{
    Tree t;
    EXPECT_EQ(MONObject::GetFirstCheckedSection(&t.root), nullptr);
    t.s2->intValue = 1;
    t.s3->intValue = 1;
    t.nb2->intValue = 1;
    EXPECT_EQ(MONObject::GetFirstCheckedSection(&t.root), t.s2);
    EXPECT_EQ(MONObject::GetFirstCheckedNotebook(&t.root), t.nb2);
    EXPECT_EQ(MONObject::GetFirstCheckedSectionGroup(&t.root), nullptr);
    t.g2->intValue = 1;
    EXPECT_EQ(MONObject::GetFirstCheckedSectionGroup(&t.root), t.g2);
    EXPECT_EQ(MONObject::GetFirstCheckedSection(t.nb2), t.s3); // the start node is excluded
}

TEST(TreeNode, LookupsDescendAndIgnoreCase)
{
    Tree t;
    EXPECT_EQ(MONObject::GetObjectByObjId(S("S-2"), &t.root), t.s2);
    EXPECT_EQ(MONObject::GetObjectByObjId(S(""), &t.root), nullptr);
    EXPECT_EQ(MONObject::GetObjectByUrl(S("HTTPS://GRAPH/g-2"), &t.root), t.g2);
    EXPECT_EQ(MONObject::GetObjectByUrl(S(""), &t.root), nullptr);
    EXPECT_EQ(MONObject::GetObjectByObjId(S("nope"), &t.root), nullptr);
}

TEST(TreeNode, NameLookupHonoursOnlySub)
{
    Tree t;
    EXPECT_EQ(MONObject::GetObjectByName(S("deep"), t.nb1, MONObject::Section, false), t.s2);
    EXPECT_EQ(MONObject::GetObjectByName(S("deep"), t.nb1, MONObject::Section, true), nullptr);
    EXPECT_EQ(MONObject::GetObjectByName(S("work"), &t.root, MONObject::Section, false), t.s3);
    EXPECT_EQ(MONObject::GetObjectByName(S("work"), &t.root, MONObject::Notebook, true), t.nb2);
    EXPECT_EQ(t.root.GetObjectByName(S("DEEP"), S("https://graph/g-2"), MONObject::Section, true), t.s2);
    EXPECT_EQ(t.root.GetObjectByName(S("Deep"), S("https://graph/none"), MONObject::Section, false), nullptr);
    EXPECT_EQ(t.root.GetObjectByName(S("Personal"), S(""), MONObject::Notebook, true), t.nb1);
}

TEST(TreeNode, DeleteByOutlineIndex)
{
    Tree t;
    qint64 counter = 0;
    EXPECT_FALSE(MONObject::delObjectByIndex(8, &t.root, counter)); // seven nodes only
    EXPECT_EQ(t.root.childCount(), 2u);
    counter = 0;
    ASSERT_TRUE(MONObject::delObjectByIndex(3, &t.root, counter)); // nb1, s1, g1
    EXPECT_EQ(t.nb1->childCount(), 1u);
    EXPECT_EQ(t.nb1->child(0), t.s1);
    counter = 0;
    ASSERT_TRUE(MONObject::delObjectByIndex(3, &t.root, counter)); // nb1, s1, nb2
    EXPECT_EQ(t.root.childCount(), 1u);
}

TEST(CheckState, PushedDownAndRecomputedUp)
{
    Tree t;
    SetCheckState(t.nb1, 1);
    EXPECT_EQ(t.s1->intValue, 1);
    EXPECT_EQ(t.s2->intValue, 1);
    EXPECT_EQ(t.root.intValue, 1);
    EXPECT_EQ(t.nb2->intValue, 0);

    SetCheckState(t.s1, 0);
    EXPECT_EQ(t.nb1->intValue, 1); // g1 still checked

    // Unchecking the only checked section under a group unchecks the group, the notebook, the root.
    SetCheckState(t.g1, 0);
    EXPECT_EQ(t.g2->intValue, 0);
    EXPECT_EQ(t.s2->intValue, 0);
    EXPECT_EQ(t.nb1->intValue, 0);
    EXPECT_EQ(t.root.intValue, 0);

    SetCheckState(t.s2, 1);
    EXPECT_EQ(t.g2->intValue, 1);
    EXPECT_EQ(t.g1->intValue, 1);
    EXPECT_EQ(t.nb1->intValue, 1);
    EXPECT_EQ(t.s1->intValue, 0);

    t.root.intValue = 0;
    CheckChildrenCheckBox(&t.root); // uncheck all
    EXPECT_EQ(t.s2->intValue, 0);
    EXPECT_EQ(t.nb1->intValue, 0);
}
