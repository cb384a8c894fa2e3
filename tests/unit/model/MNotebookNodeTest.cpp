#include "model/MNotebookNode.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

MNotebookNode* Add(MNotebookNode* parent, MNodeKind kind, const char* id, const char* name)
{
    MNotebookNode* node = parent->AddChild(kind, S(id), S(name));
    node->selfUrl = S("https://graph/") + S(id);
    return node;
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
    MNotebookNode root;
    MNotebookNode* nb1 = Add(&root, MNodeKind::Notebook, "nb-1", "Personal");
    MNotebookNode* s1 = Add(nb1, MNodeKind::Section, "s-1", "Quick Notes");
    MNotebookNode* g1 = Add(nb1, MNodeKind::SectionGroup, "g-1", "Projects");
    MNotebookNode* g2 = Add(g1, MNodeKind::SectionGroup, "g-2", "Archive");
    MNotebookNode* s2 = Add(g2, MNodeKind::Section, "s-2", "Deep");
    MNotebookNode* nb2 = Add(&root, MNodeKind::Notebook, "nb-2", "Work");
    MNotebookNode* s3 = Add(nb2, MNodeKind::Section, "s-3", "Work");
};

} // namespace

TEST(NotebookNode, CloneAndSwapKeepEveryFieldAndParentLink)
{
    Tree t;
    t.nb1->userRole = S("Contributor");
    EXPECT_TRUE(t.nb2->userRole.isNull()); // absent, not empty
    auto clone = t.root.CloneTree();
    t.root.clear();
    ASSERT_EQ(clone->childCount(), 2u);
    EXPECT_EQ(clone->child(0)->userRole, S("Contributor"));
    const MNotebookNode* deep = MNotebookNode::GetObjectById(S("s-2"), clone.get());
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->parent()->parent()->name, S("Projects"));

    t.root.AddChild(MNodeKind::Notebook, S("n-new"), S("New"));
    t.root.swapChildren(*clone);
    ASSERT_EQ(t.root.childCount(), 2u);
    EXPECT_EQ(MNotebookNode::GetObjectById(S("s-1"), &t.root)->parent()->parent(), &t.root);
    ASSERT_EQ(clone->childCount(), 1u);
    EXPECT_EQ(clone->child(0)->parent(), clone.get());
}

TEST(NotebookNode, FirstCheckedIsPreOrderAndSkipsUncheckedKinds)
{
    Tree t;
    EXPECT_EQ(MNotebookNode::GetFirstCheckedSection(&t.root), nullptr);
    t.s2->checked = t.s3->checked = t.nb2->checked = true;
    EXPECT_EQ(MNotebookNode::GetFirstCheckedSection(&t.root), t.s2);
    EXPECT_EQ(MNotebookNode::GetFirstCheckedNotebook(&t.root), t.nb2);
    EXPECT_EQ(MNotebookNode::GetFirstCheckedSectionGroup(&t.root), nullptr);
    t.g2->checked = true;
    EXPECT_EQ(MNotebookNode::GetFirstCheckedSectionGroup(&t.root), t.g2);
    EXPECT_EQ(MNotebookNode::GetFirstCheckedSection(t.nb2), t.s3); // the start node is excluded
}

TEST(NotebookNode, LookupsDescendAndIgnoreCase)
{
    Tree t;
    const MNotebookNode* none = nullptr;
    const struct
    {
        const MNotebookNode* found;
        const MNotebookNode* expected;
    } cases[] = {
        {MNotebookNode::GetObjectById(S("S-2"), &t.root), t.s2},
        {MNotebookNode::GetObjectById(S(""), &t.root), none},
        {MNotebookNode::GetObjectByUrl(S("HTTPS://GRAPH/g-2"), &t.root), t.g2},
        {MNotebookNode::GetObjectByUrl(S(""), &t.root), none},
        {MNotebookNode::GetObjectByName(S("deep"), t.nb1, MNodeKind::Section, false), t.s2},
        {MNotebookNode::GetObjectByName(S("deep"), t.nb1, MNodeKind::Section, true), none},
        {MNotebookNode::GetObjectByName(S("work"), &t.root, MNodeKind::Section, false), t.s3},
        {MNotebookNode::GetObjectByName(S("work"), &t.root, MNodeKind::Notebook, true), t.nb2},
        {t.root.GetObjectByName(S("DEEP"), S("https://graph/g-2"), MNodeKind::Section, true), t.s2},
        {t.root.GetObjectByName(S("Deep"), S("https://graph/none"), MNodeKind::Section, false), none},
        {t.root.GetObjectByName(S("Personal"), S(""), MNodeKind::Notebook, true), t.nb1},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].found, cases[i].expected) << "case " << i;
}
