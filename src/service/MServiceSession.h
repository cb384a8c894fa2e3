#pragma once

#include "MServiceAnswer.h"

#include <QSet>
#include <QString>
#include <atomic>
#include <functional>

class MAccount;

// How long a request may wait and how often it may go again.
struct MRetryRules
{
    // All the waiting one request may do for the service's request limits before it fails.
    qint64 longestThrottleWaitMs = 15 * 60 * 1000;
    // When neither the answer (Retry-After) nor the budget says how long: the first pause, doubled
    // for each refusal in a row up to the longest.
    qint64 firstThrottlePauseMs = 2000;
    qint64 longestThrottlePauseMs = 60 * 1000;
    // A read whose answer was lost goes again this often, after a pause that doubles each time.
    int lostReadRetries = 2;
    qint64 firstLostReadPauseMs = 2000;
    // Before a creation whose answer was lost is looked for: the service may still be making it.
    qint64 lostCreationSettleMs = 5000;
};

// One run's conversation with the service: every request a task makes goes through here, on the
// task's worker thread. It adds the bearer token, keeps the OneNote requests within the request
// budget, waits out the service's throttling (Retry-After when given, else what the budget needs),
// renews an expired token once, sends a read again when its answer was lost, and judges every
// answer (MServiceAnswer). Every wait ends at once when the run is stopped, and shows in the status
// line while it lasts.
class MServiceSession
{
public:
    using Transport = std::function<MHttpResponse(const MHttpRequest&)>;
    using StatusSink = std::function<void(const QString&)>;

    // `running` may be null (a call outside a run: it is never stopped). `transport` replaces the
    // HTTP client (unit tests).
    explicit MServiceSession(MAccount& account, const std::atomic<bool>* running = nullptr, StatusSink status = {},
        Transport transport = {});

    struct Options
    {
        bool authorized = true; // false for pre-authorized download addresses
        // A lost answer (no answer at all) sends the request again: reads, and requests that do the
        // same however often they go. Creations are looked up first by their callers instead.
        std::optional<bool> resendWhenLost; // default: true for GET, PATCH and PUT
    };

    MServiceAnswer Send(MHttpRequest request, MExpect expect, const Options& options);
    MServiceAnswer Send(MHttpRequest request, MExpect expect) { return Send(std::move(request), expect, Options()); }
    // An authorized GET of `url`, percent-encoded with the URL-query characters first.
    MServiceAnswer Get(const QString& url, int timeoutSeconds, MExpect expect, const Options& options);
    MServiceAnswer Get(const QString& url, int timeoutSeconds, MExpect expect)
    {
        return Get(url, timeoutSeconds, expect, Options());
    }

    MAccount& Account() const { return m_Account; }
    bool Running() const { return !m_Running || m_Running->load(); }
    const std::atomic<bool>* RunningFlag() const { return m_Running; }
    // When the session (the run) began, ms since the epoch: what was created before is not ours.
    qint64 RunStartMs() const { return m_RunStartMs; }
    // A run continued after an interruption began with its first part.
    void SetRunStartMs(qint64 ms) { m_RunStartMs = ms; }
    const MRetryRules& Rules() const { return m_Rules; }
    void SetRules(const MRetryRules& rules) { m_Rules = rules; }
    // The rules new sessions start with (tests shorten the pauses; the program keeps the defaults).
    static MRetryRules DefaultRules();
    static void SetDefaultRules(const MRetryRules& rules);

    // The ids of what this run created, so that a lookup after a lost answer never takes one of the
    // run's own earlier pages for the page it is looking for.
    void RememberCreated(const QString& id) { m_Created.insert(id); }
    bool CreatedInThisRun(const QString& id) const { return m_Created.contains(id); }

    // Waits `ms`, the status line saying why and how long is left (`why` makes the text from the
    // seconds left; none shows nothing); false when the run was stopped.
    bool Pause(qint64 ms, const std::function<QString(qint64 secondsLeft)>& why);
    void ShowStatus(const QString& text) const;

    // Answers that told this session to slow down (429 and the like), for the record.
    qint64 RefusedAnswers() const { return m_Refused; }

    // The key the request budget counts this account's requests under.
    QString BudgetKey() const;

private:
    MHttpResponse SendOnce(const MHttpRequest& request, bool authorized);
    bool WaitForBudgetSlot();

    MAccount& m_Account;
    const std::atomic<bool>* m_Running;
    StatusSink m_Status;
    Transport m_Transport;
    MRetryRules m_Rules;
    qint64 m_RunStartMs;
    QSet<QString> m_Created;
    qint64 m_Refused = 0;
};
