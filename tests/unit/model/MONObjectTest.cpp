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
