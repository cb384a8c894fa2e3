#include "MServiceSession.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "net/MRequestBudget.h"
#include "net/ServiceRequest.h"
#include "util/MSleeper.h"

#include <QLoggingCategory>
#include <mutex>

Q_LOGGING_CATEGORY(lcSession, "pagewright.session", QtWarningMsg)

namespace {

// Budget waits shorter than this go unmentioned: they are the pacing of an ordinary run.
constexpr qint64 kShownWaitMs = 2000;

std::mutex g_RulesMutex;
MRetryRules g_DefaultRules;

qint64 Seconds(qint64 ms)
{
    return (ms + 999) / 1000;
}

} // namespace

MServiceSession::MServiceSession(
    MAccount& account, const std::atomic<bool>* running, StatusSink status, Transport transport)
    : m_Account(account)
    , m_Running(running)
    , m_Status(std::move(status))
    , m_Transport(std::move(transport))
    , m_Rules(DefaultRules())
    , m_RunStartMs(NowMs())
{
    if (!m_Transport)
        m_Transport = [](const MHttpRequest& request) { return MHttpClient::ForCurrentThread().Send(request); };
}

MRetryRules MServiceSession::DefaultRules()
{
    const std::lock_guard lock(g_RulesMutex);
    return g_DefaultRules;
}

void MServiceSession::SetDefaultRules(const MRetryRules& rules)
{
    const std::lock_guard lock(g_RulesMutex);
    g_DefaultRules = rules;
}

QString MServiceSession::BudgetKey() const
{
    return m_Account.UserId();
}

void MServiceSession::ShowStatus(const QString& text) const
{
    if (m_Status)
        m_Status(text);
}

bool MServiceSession::Pause(qint64 ms, const std::function<QString(qint64)>& why)
{
    // Counted down a second at a time, so the status line says how long is left.
    qint64 left = ms;
    while (left > 0) {
        if (!Running())
            return false;
        if (why)
            ShowStatus(why(Seconds(left)));
        const qint64 step = std::min<qint64>(left, 1000);
        if (!MSleeper::Instance().Sleep(step, m_Running))
            return false;
        left -= step;
    }
    return Running();
}

bool MServiceSession::WaitForBudgetSlot()
{
    MRequestBudget& budget = TheRequestBudget();
    const qint64 now = NowMs();
    const qint64 slot = budget.Reserve(BudgetKey(), now);
    const qint64 wait = slot - now;
    if (wait > 0) {
        std::function<QString(qint64)> why;
        if (wait >= kShownWaitMs)
            why = [](qint64 seconds) { return Localized("msgWaitingBudget").arg(seconds); };
        if (!Pause(wait, why)) {
            budget.Release(BudgetKey(), slot);
            return false;
        }
        budget.Restamp(BudgetKey(), slot, NowMs());
    }
    budget.SaveSoon(NowMs());
    return true;
}

MHttpResponse MServiceSession::SendOnce(const MHttpRequest& request, bool authorized)
{
    if (!authorized)
        return m_Transport(request);
    // One read of the token: a refresh on another thread may empty it at any moment.
    const QString token = m_Account.OnlineOneNoteAccessToken();
    if (token.isEmpty())
        return MHttpResponse();
    MHttpRequest withToken = request;
    withToken.headers.append({"Authorization", "Bearer " + token.toUtf8()});
    return m_Transport(withToken);
}

MServiceAnswer MServiceSession::Send(MHttpRequest request, MExpect expect, const Options& options)
{
    const bool budgeted = options.authorized && IsOneNoteAddress(request.url);
    const QByteArray method = request.method.toUpper();
    const bool resendWhenLost
        = options.resendWhenLost.value_or(method == "GET" || method == "PATCH" || method == "PUT");
    qint64 throttleWaited = 0;
    qint64 throttlePause = m_Rules.firstThrottlePauseMs;
    int lostRetries = 0;
    bool tokenRenewed = false;

    for (;;) {
        MServiceAnswer stopped;
        stopped.failure = MAnswerFailure::Stopped;
        stopped.reason = Localized("reasonStopped");
        if (!Running() || (budgeted && !WaitForBudgetSlot()))
            return stopped;

        qCDebug(lcSession).noquote() << NowMs() << request.method << request.url.left(120);
        MServiceAnswer answer = JudgeAnswer(SendOnce(request, options.authorized), expect);
        if (answer.Ok() || answer.failure == MAnswerFailure::NotSent)
            return answer;

        if (IsThrottled(answer)) {
            ++m_Refused;
            const qint64 now = NowMs();
            // The service's own word first; else what the budget needs to free a request, and never
            // less than a pause that grows with every refusal in a row.
            qint64 wait = RetryAfterMs(answer.response, now).value_or(-1);
            if (wait < 0) {
                const qint64 budgetWait = budgeted ? TheRequestBudget().FreeAt(BudgetKey(), now) - now : 0;
                wait = std::max(budgetWait, throttlePause);
                throttlePause = std::min(throttlePause * 2, m_Rules.longestThrottlePauseMs);
            }
            if (throttleWaited + wait > m_Rules.longestThrottleWaitMs) {
                answer.reason
                    = Localized("reasonGaveUpWaiting").arg(answer.reason, QString::number(Seconds(throttleWaited)));
                return answer;
            }
            qCInfo(lcSession).noquote() << "throttled:" << answer.reason << "waiting" << wait << "ms";
            if (!Pause(wait, [](qint64 seconds) { return Localized("msgWaitingLimit").arg(seconds); }))
                return stopped;
            throttleWaited += wait;
            continue;
        }

        if (options.authorized && IsInvalidToken(answer) && !tokenRenewed) {
            // The token ran out during the run: renew it once and ask again.
            tokenRenewed = true;
            const QString before = m_Account.OnlineOneNoteAccessToken();
            m_Account.setTokenExpires_in(0);
            m_Account.RefreshTokens();
            const QString after = m_Account.OnlineOneNoteAccessToken();
            if (!after.isEmpty() && after != before)
                continue;
            return answer;
        }

        if (answer.failure == MAnswerFailure::Transport && resendWhenLost && lostRetries < m_Rules.lostReadRetries) {
            const qint64 pause = m_Rules.firstLostReadPauseMs << lostRetries;
            ++lostRetries;
            const QString lost = answer.reason;
            if (!Pause(pause,
                    [&](qint64 seconds) { return Localized("msgWaitingRetry").arg(QString::number(seconds), lost); }))
                return stopped;
            continue;
        }
        return answer;
    }
}

MServiceAnswer MServiceSession::Get(const QString& url, int timeoutSeconds, MExpect expect, const Options& options)
{
    return Send(ServiceRequestEncoded("GET", url, timeoutSeconds), expect, options);
}
