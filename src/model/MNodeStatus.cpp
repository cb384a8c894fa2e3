#include "MNodeStatus.h"

#include "MONObject.h"
#include "app/MStrings.h"
#include "util/Formats.h"

namespace {

MNodeOutcome OutcomeOf(qint64 value, MNodeTwo two)
{
    switch (value) {
    case 0:
        return MNodeOutcome::None;
    case 1:
        return MNodeOutcome::Success;
    case 2:
        return two == MNodeTwo::Size ? MNodeOutcome::Size : MNodeOutcome::Reused;
    default:
        return MNodeOutcome::Failed;
    }
}

QString TextOf(const MONObject& node, MNodeOutcome outcome)
{
    switch (outcome) {
    case MNodeOutcome::None:
        return QString();
    case MNodeOutcome::Success:
        return Localized("strSuccess");
    case MNodeOutcome::Reused:
        return Localized("strExists");
    case MNodeOutcome::Size:
        return FormatByteSize(node.intValue64);
    case MNodeOutcome::Failed:
        return QStringLiteral("%1: %2").arg(Localized("strFailure")).arg(node.intValue);
    }
    return QString();
}

} // namespace

MNodeStatus NodeStatus(const MONObject& node, MNodeTwo two)
{
    MNodeStatus status;
    status.outcome = OutcomeOf(node.intValue, two);
    status.text = node.strValue.isEmpty() ? TextOf(node, status.outcome) : node.strValue;
    return status;
}
