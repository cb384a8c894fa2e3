#include "app/MStrings.h"
#include "model/MResultNode.h"

#include <gtest/gtest.h>

namespace {

struct StatusRow
{
    MItemOutcome outcome;
    const char* reason;
    qint64 code;
    std::optional<qint64> size;
    std::optional<MItemOutcome> mark;
    QString text;
};

} // namespace

TEST(NodeStatus, TheReasonElseTheOutcomeOrSizeGivesTheText)
{
    SetStringTableLanguage(QStringLiteral("en"));
    const QString failure = Localized("strFailure");
    const std::vector<StatusRow> rows = {
        {MItemOutcome::NotAttempted, "", 0, {}, {}, QString()},
        {MItemOutcome::Created, "", 0, {}, MItemOutcome::Created, Localized("strSuccess")},
        {MItemOutcome::Reused, "", 0, {}, MItemOutcome::Reused, Localized("strExists")},
        {MItemOutcome::NotAttempted, "", 0, 2048, {}, QStringLiteral("2 KB")},
        {MItemOutcome::Failed, "", -4, {}, MItemOutcome::Failed, failure + QStringLiteral(": -4")},
        // The node's own text wins; the mark still comes from the outcome.
        {MItemOutcome::Failed, "The section name is too long", -4, {}, MItemOutcome::Failed,
            QStringLiteral("The section name is too long")},
    };
    for (const StatusRow& row : rows) {
        MResultNode node;
        node.SetOutcome(row.outcome, QString::fromUtf8(row.reason), row.code);
        node.size = row.size;
        const MOutlineStatus status = NodeStatus(node);
        EXPECT_EQ(status.text, row.text) << row.reason << row.code;
        EXPECT_EQ(status.mark, row.mark) << row.reason << row.code;
    }
}

TEST(NodeStatus, ACopyHasNoChildrenAndRemovingTakesOnlyOwnChildren)
{
    MResultNode root;
    MResultNode* group = root.AddChild(MNodeKind::SectionGroup, QStringLiteral("Projects"));
    group->SetOutcome(MItemOutcome::Failed, QStringLiteral("note"), -4);
    MResultNode* inner = group->AddChild(MNodeKind::Section, QStringLiteral("Deep"));
    MResultNode* copy = root.AddCopy(*group);
    EXPECT_EQ(copy->parent(), &root);
    EXPECT_EQ(copy->reason, QStringLiteral("note"));
    EXPECT_EQ(copy->childCount(), 0u);
    EXPECT_FALSE(root.RemoveChild(inner)) << "a grandchild is not the root's to remove";
    EXPECT_TRUE(group->RemoveChild(inner));
    EXPECT_EQ(group->childCount(), 0u);
}
