#include "CopyMonitor.h"

#include "app/MStrings.h"
#include "net/ServiceRequest.h"
#include "service/MServiceSession.h"
#include "util/HtmlText.h"
#include "util/TextUtils.h"

#include <QJsonObject>

namespace {

constexpr int kMonitorTimeout = 30;

// The failure an answer of status "failed" describes: its error's message, else its code.
QString FailureOf(const QJsonObject& status)
{
    const QJsonObject error = status.value(QLatin1String("error")).toObject();
    QString message = StripHtmlToText(error.value(QLatin1String("message")).toString());
    const QString code
        = error.value(QLatin1String("code")).toString(status.value(QLatin1String("errorCode")).toString());
    if (message.isEmpty())
        message = code;
    else if (!code.isEmpty())
        message = code + QStringLiteral(": ") + message;
    return message.isEmpty() ? Localized("reasonCopyFailed")
                             : Localized("reasonCopyFailed") + QStringLiteral(": ") + message;
}

} // namespace

MCopyOutcome FollowCopy(MServiceSession& session, const QString& monitorUrl, const MCopyRules& rules,
    const std::function<void(int)>& percent)
{
    MCopyOutcome outcome;
    MServiceSession::Options options;
    options.authorized = false;
    qint64 waited = 0;
    qint64 pause = rules.firstPollMs;
    for (;;) {
        const MServiceAnswer answer
            = session.Send(ServiceRequest("GET", monitorUrl, kMonitorTimeout), MExpect::Json, options);
        if (!answer.Ok()) {
            outcome.reason = Localized("reasonCopyNotFollowed").arg(answer.reason);
            return outcome;
        }
        const QJsonObject status = answer.Object();
        const QString state = status.value(QLatin1String("status")).toString();
        if (percent && status.contains(QLatin1String("percentageComplete")))
            percent(int(status.value(QLatin1String("percentageComplete")).toDouble()));
        if (StringEqualsIgnoreCase(state, QStringLiteral("completed"))) {
            outcome.done = true;
            outcome.resourceId = status.value(QLatin1String("resourceId")).toString();
            return outcome;
        }
        if (StringEqualsIgnoreCase(state, QStringLiteral("failed"))
            || StringEqualsIgnoreCase(state, QStringLiteral("cancelled"))) {
            outcome.reason = FailureOf(status);
            return outcome;
        }
        // notStarted, inProgress, waiting, updating: not yet.
        if (waited + pause > rules.longestWaitMs) {
            outcome.reason = Localized("reasonCopyUnfinished").arg(QString::number((waited + 999) / 1000));
            return outcome;
        }
        if (!session.Pause(pause, {})) {
            outcome.reason = Localized("reasonCopyStopped");
            return outcome;
        }
        waited += pause;
        pause = std::min(pause * 2, rules.longestPollMs);
    }
}
