#include "MResultNode.h"

#include "app/MStrings.h"
#include "util/Formats.h"

MResultNode* MResultNode::AddChild(MNodeKind kind_, const QString& name_)
{
    MResultNode* node = AddChild();
    node->kind = kind_;
    node->name = name_;
    return node;
}

void MResultNode::SetOutcome(MItemOutcome outcome_, const QString& reason_, qint64 code_)
{
    outcome = outcome_;
    reason = reason_;
    code = code_;
}

void MResultNode::ClearOutcomes()
{
    for (const auto& child : children()) {
        child->SetOutcome(MItemOutcome::NotAttempted);
        child->size.reset();
        child->ClearOutcomes();
    }
}

namespace {

QString TextOf(const MResultNode& node)
{
    if (node.size)
        return FormatByteSize(*node.size);
    switch (node.outcome) {
    case MItemOutcome::Failed:
        return QStringLiteral("%1: %2").arg(OutcomeText(node.outcome)).arg(node.code);
    case MItemOutcome::Skipped: // the reason says why
        return QString();
    case MItemOutcome::NotAttempted:
    case MItemOutcome::Sending:
    case MItemOutcome::Created:
    case MItemOutcome::Reused:
        break;
    }
    return OutcomeText(node.outcome);
}

} // namespace

MOutlineStatus NodeStatus(const MResultNode& node)
{
    MOutlineStatus status;
    const bool marked = node.outcome == MItemOutcome::Created || node.outcome == MItemOutcome::Reused
        || node.outcome == MItemOutcome::Failed;
    if (marked && !node.size)
        status.mark = node.outcome;
    status.text = node.reason.isEmpty() ? TextOf(node) : node.reason;
    return status;
}
