#include "MItemOutcome.h"

#include "app/MStrings.h"

QString OutcomeText(MItemOutcome outcome)
{
    switch (outcome) {
    case MItemOutcome::Sending:
        return Localized("taskSending");
    case MItemOutcome::Created:
        return Localized("strSuccess");
    case MItemOutcome::Reused:
        return Localized("strExists");
    case MItemOutcome::Skipped:
        return Localized("taskSkipped");
    case MItemOutcome::Failed:
        return Localized("strFailure");
    case MItemOutcome::NotAttempted:
        break;
    }
    return QString();
}
