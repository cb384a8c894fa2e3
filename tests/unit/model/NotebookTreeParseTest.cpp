#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

// A notebook whose JSON lists a section group before a section, with a group inside the group.
const char* kGraphList = R"({"@odata.context":"x","value":[{
  "id":"1-NB","displayName":"Personal","self":"https://g/notebooks/1-NB","isDefault":true,"userRole":"Owner",
  "isShared":false,"sectionsUrl":"https://g/notebooks/1-NB/sections","sectionGroupsUrl":"https://g/notebooks/1-NB/sectionGroups",
  "createdBy":{"user":{"id":"U1","displayName":"Ann"}},
  "links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/A/Personal"},"oneNoteWebUrl":{"href":"https://web/Personal"}},
  "sectionGroups":[{"id":"1-G1","displayName":"Projects","self":"https://g/sectionGroups/1-G1",
     "sectionsUrl":"https://g/sectionGroups/1-G1/sections","sectionGroupsUrl":"https://g/sectionGroups/1-G1/sectionGroups",
     "sections":[{"id":"1-S2","displayName":"Plan","self":"https://g/sections/1-S2","pagesUrl":"https://g/sections/1-S2/pages"}],
     "sectionGroups":[{"id":"1-G2","displayName":"Old","self":"https://g/sectionGroups/1-G2"}]}],
  "sections":[{"id":"1-S1","displayName":"Quick Notes","self":"https://g/sections/1-S1","pagesUrl":"https://g/sections/1-S1/pages"}]
},{
  "id":"1-SH","displayName":"Team","self":"https://g/notebooks/1-SH","isDefault":false,"userRole":"Contributor","isShared":true,
  "createdBy":{"user":{"id":"U2","displayName":"Bob"}}
}]})";

} // namespace

TEST(NotebookTreeParse, SectionsFirstAndParentAddresses)
{
    MNotebookNode root;
    ASSERT_EQ(MNotebookTree::NotebooksFromJson(S(kGraphList), root, 2), 2);
    EXPECT_EQ(root.child(1)->childCount(), 0u); // missing "sections" and "sectionGroups" are empty
    const MNotebookNode* nb = root.child(0);
    ASSERT_EQ(nb->childCount(), 2u);
    const MNotebookNode* section = nb->child(0);
    // Directly under a notebook both parent addresses are the notebook's.
    EXPECT_EQ(section->parentSectionGroupUrl, S("https://g/notebooks/1-NB"));
    EXPECT_EQ(section->parentNotebookUrl, S("https://g/notebooks/1-NB"));
    EXPECT_EQ(section->webUrl, S("https://g/sections/1-S1"));
    EXPECT_EQ(section->pagesUrl, S("https://g/sections/1-S1/pages"));
    EXPECT_EQ(section->clientUrl, S(""));

    const MNotebookNode* group = nb->child(1);
    EXPECT_EQ(group->kind, MNodeKind::SectionGroup);
    EXPECT_EQ(group->sectionGroupsUrl, S("https://g/sectionGroups/1-G1/sectionGroups"));
    ASSERT_EQ(group->childCount(), 2u);
    EXPECT_EQ(group->child(0)->name, S("Plan"));
    EXPECT_EQ(group->child(0)->parentSectionGroupUrl, S("https://g/sectionGroups/1-G1"));
    EXPECT_EQ(group->child(0)->parentNotebookUrl, S("https://g/notebooks/1-NB"));
    EXPECT_EQ(group->child(1)->kind, MNodeKind::SectionGroup);
    EXPECT_EQ(group->child(1)->parentNotebookUrl, S("https://g/notebooks/1-NB"));
}

TEST(NotebookTreeParse, TextsThatAreNoList)
{
    MNotebookNode root;
    EXPECT_EQ(MNotebookTree::NotebooksFromJson(S(""), root, 1), 0);
    EXPECT_EQ(MNotebookTree::NotebooksFromJson(S(R"({"error":{"code":"20102","message":"x"}})"), root, 1), 0);
    EXPECT_EQ(MNotebookTree::NotebooksFromJson(S("<html><body>Service Unavailable</body></html>"), root, 1), 0);
    EXPECT_EQ(MNotebookTree::NotebooksFromJson(S(R"({"value":[{"id":"1-A","displayName":"Cut)"), root, 1), 0);
    EXPECT_EQ(MNotebookTree::NotebooksFromJson(S(R"({"value":{"id":"1-A"}})"), root, 1), 0);
    EXPECT_EQ(root.childCount(), 0u);
}
