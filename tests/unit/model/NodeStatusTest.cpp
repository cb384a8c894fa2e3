#include "app/MStrings.h"
#include "model/MNodeStatus.h"
#include "model/MONObject.h"

#include <gtest/gtest.h>

namespace {

MNodeStatus StatusOf(qint64 intValue, const QString& strValue, MNodeTwo two, qint64 size = 0)
{
    MONObject node;
    node.intValue = intValue;
    node.strValue = strValue;
    node.intValue64 = size;
    return NodeStatus(node, two);
}

} // namespace

TEST(NodeStatus, TheOutcomeCodeGivesTheTextWhenTheNodeHasNone)
{
    SetStringTableLanguage(QStringLiteral("en"));
    EXPECT_EQ(StatusOf(0, {}, MNodeTwo::Exists).outcome, MNodeOutcome::None);
    EXPECT_EQ(StatusOf(0, {}, MNodeTwo::Exists).text, QString());
    EXPECT_EQ(StatusOf(1, {}, MNodeTwo::Exists).text, Localized("strSuccess"));
    EXPECT_EQ(StatusOf(2, {}, MNodeTwo::Exists).outcome, MNodeOutcome::Reused);
    EXPECT_EQ(StatusOf(2, {}, MNodeTwo::Exists).text, Localized("strExists"));
    EXPECT_EQ(StatusOf(2, {}, MNodeTwo::Size, 2048).outcome, MNodeOutcome::Size);
    EXPECT_EQ(StatusOf(2, {}, MNodeTwo::Size, 2048).text, QStringLiteral("2 KB"));
    // Every other code is a failure, named with its code.
    for (const qint64 code : {-1, -3, -4, 3}) {
        const MNodeStatus status = StatusOf(code, {}, MNodeTwo::Size);
        EXPECT_EQ(status.outcome, MNodeOutcome::Failed) << code;
        EXPECT_EQ(status.text, QStringLiteral("%1: %2").arg(Localized("strFailure")).arg(code));
    }
}

TEST(NodeStatus, TheNodesOwnTextWinsButTheOutcomeStillComesFromTheCode)
{
    const MNodeStatus failed = StatusOf(-4, QStringLiteral("The section name is too long"), MNodeTwo::Exists);
    EXPECT_EQ(failed.text, QStringLiteral("The section name is too long"));
    EXPECT_EQ(failed.outcome, MNodeOutcome::Failed);
    const MNodeStatus pending = StatusOf(0, QStringLiteral("Not found"), MNodeTwo::Size);
    EXPECT_EQ(pending.text, QStringLiteral("Not found"));
    EXPECT_EQ(pending.outcome, MNodeOutcome::None);
}
