#include "FixedClock.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "net/MRequestBudget.h"
#include "service/MServiceSession.h"
#include "util/MSleeper.h"

#include <QStringList>
#include <deque>
#include <gtest/gtest.h>

namespace {

constexpr qint64 kStart = 1'700'000'000'000;

// Sleeps by moving the fixed clock, and stops the run when told to at a given moment.
class MClockSleeper final : public MSleeper
{
public:
    explicit MClockSleeper(MFixedClock& clock)
        : m_Clock(clock)
    { }
    bool Sleep(qint64 ms, const std::atomic<bool>* running) override
    {
        if (running && !running->load())
            return false;
        const qint64 now = m_Clock.CurrentTime().toMSecsSinceEpoch();
        if (stopAt > 0 && now + ms >= stopAt) {
            m_Clock.Set(QDateTime::fromMSecsSinceEpoch(stopAt));
            slept += stopAt - now;
            const_cast<std::atomic<bool>*>(running)->store(false);
            return false;
        }
        m_Clock.Set(QDateTime::fromMSecsSinceEpoch(now + ms));
        slept += ms;
        return true;
    }
    qint64 slept = 0;
    qint64 stopAt = 0;

private:
    MFixedClock& m_Clock;
};

MHttpResponse Answer(long status, const QByteArray& body, QList<std::pair<QByteArray, QByteArray>> headers = {})
{
    MHttpResponse response;
    response.sent = true;
    response.status = status;
    response.body = body;
    response.headers = std::move(headers);
    return response;
}

const QByteArray kThrottled = R"({"error":{"code":"20166","message":"Too many requests."}})";
const QByteArray kList = R"({"value":[]})";

class ServiceSessionTest : public ::testing::Test
{
protected:
    ServiceSessionTest()
        : clock(QDateTime::fromMSecsSinceEpoch(kStart))
        , sleeper(std::make_shared<MClockSleeper>(*clock))
    {
        SetStringTableLanguage(QStringLiteral("en"));
        MSleeper::SetInstance(sleeper);
        GlobalSettings().SetRequestBudget(QStringLiteral("off"));
        TheRequestBudget().Clear();
        account.setOnlineOneNoteAccessToken(QStringLiteral("token"));
        account.setUserId(QStringLiteral("me"));
    }
    ~ServiceSessionTest() override { MSleeper::SetInstance(nullptr); }

    MServiceSession Session()
    {
        return MServiceSession(
            account, &running, [this](const QString& status) { statuses.append(status); },
            [this](const MHttpRequest& request) {
                sent.append(clock->CurrentTime().toMSecsSinceEpoch() - kStart);
                urls.append(request.url);
                if (answers.empty())
                    return Answer(200, kList);
                MHttpResponse next = answers.front();
                answers.pop_front();
                return next;
            });
    }

    MHttpRequest Get(const QString& url = QStringLiteral("https://g/v1.0/me/onenote/sections/1-s/pages"))
    {
        MHttpRequest request;
        request.url = url;
        return request;
    }

    MFixedClockScope clock;
    std::shared_ptr<MClockSleeper> sleeper;
    MAccount account;
    std::atomic<bool> running {true};
    std::deque<MHttpResponse> answers;
    QList<qint64> sent; // ms after the start, per request
    QStringList urls;
    QStringList statuses;
};

TEST_F(ServiceSessionTest, ThrottlingIsWaitedOutByRetryAfterElseByAGrowingPause)
{
    MServiceSession session = Session();
    answers = {Answer(429, kThrottled), Answer(429, kThrottled), Answer(503, "busy", {{"Retry-After", "7"}}),
        Answer(200, kList)};
    const MServiceAnswer answer = session.Send(Get(), MExpect::List);
    EXPECT_TRUE(answer.Ok()) << qPrintable(answer.reason);
    // No Retry-After: 2 s, then 4 s; then the service's own 7 s.
    EXPECT_EQ(sent, (QList<qint64> {0, 2000, 6000, 13000}));
    EXPECT_EQ(session.RefusedAnswers(), 3);
    EXPECT_TRUE(statuses.contains(QStringLiteral("Waiting 7 s: the service's request limit is reached")));
}

TEST_F(ServiceSessionTest, AThrottledRequestGivesUpAfterFifteenMinutesOfWaitingAndSaysSo)
{
    MServiceSession session = Session();
    for (int i = 0; i < 100; ++i)
        answers.push_back(Answer(429, kThrottled));
    const MServiceAnswer answer = session.Send(Get(), MExpect::List);
    EXPECT_FALSE(answer.Ok());
    EXPECT_LE(sleeper->slept, 15 * 60 * 1000);
    EXPECT_GT(sleeper->slept, 14 * 60 * 1000);
    EXPECT_TRUE(
        answer.reason.startsWith(QStringLiteral("HTTP 429, 20166: Too many requests. (still refused after waiting ")))
        << qPrintable(answer.reason);
}

TEST_F(ServiceSessionTest, WithTheBudgetOnAThrottlingWaitLastsUntilTheBudgetFreesARequest)
{
    GlobalSettings().SetRequestBudget(QStringLiteral("2/30s"));
    MServiceSession session = Session();
    // Two go at once; the service refuses the second (another program used the account meanwhile).
    answers = {Answer(200, kList), Answer(429, kThrottled), Answer(200, kList)};
    EXPECT_TRUE(session.Send(Get(), MExpect::List).Ok());
    EXPECT_TRUE(session.Send(Get(), MExpect::List).Ok());
    // The refused one waits until a place is free in the window, then takes that place.
    EXPECT_EQ(sent, (QList<qint64> {0, 0, 30250}));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Waiting 31 s: the service's request limit is reached")));
}

TEST_F(ServiceSessionTest, TheBudgetPacesOneNoteRequestsOnlyAndShowsLongWaits)
{
    GlobalSettings().SetRequestBudget(QStringLiteral("2/10s"));
    MServiceSession session = Session();
    for (int i = 0; i < 3; ++i)
        session.Send(Get(), MExpect::List);
    session.Send(Get(QStringLiteral("https://g/v1.0/me/drive/items/A!1")), MExpect::Json);
    EXPECT_EQ(sent, (QList<qint64> {0, 0, 10250, 10250}));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Waiting 11 s to stay within the service's request limit")));
}

TEST_F(ServiceSessionTest, StoppingEndsAWaitAtOnceAndGivesBackTheBudgetSlot)
{
    GlobalSettings().SetRequestBudget(QStringLiteral("1/60s"));
    MServiceSession session = Session();
    EXPECT_TRUE(session.Send(Get(), MExpect::List).Ok());
    sleeper->stopAt = kStart + 5000;
    const MServiceAnswer stopped = session.Send(Get(), MExpect::List);
    EXPECT_EQ(stopped.failure, MAnswerFailure::Stopped);
    EXPECT_EQ(sent.size(), 1);
    EXPECT_EQ(sleeper->slept, 5000);
    EXPECT_EQ(TheRequestBudget().SentWithin(QStringLiteral("me"), 3600 * 1000, kStart + 120000), 1);

    // A stopped run sends nothing more.
    EXPECT_EQ(session.Send(Get(), MExpect::List).failure, MAnswerFailure::Stopped);
    EXPECT_EQ(sent.size(), 1);
}

TEST(ServiceAnswer, RetryAfterIsReadAsSecondsOrAsAnHttpDate)
{
    MHttpResponse response;
    response.headers = {{"retry-after", "12"}};
    EXPECT_EQ(RetryAfterMs(response, kStart), 12000);
    const QDateTime now = QDateTime::fromString(QStringLiteral("2015-10-21T07:27:30Z"), Qt::ISODate);
    response.headers = {{"Retry-After", "Wed, 21 Oct 2015 07:28:00 GMT"}};
    EXPECT_EQ(RetryAfterMs(response, now.toMSecsSinceEpoch()), 30000);
    response.headers = {{"Retry-After", "soon"}};
    EXPECT_FALSE(RetryAfterMs(response, kStart));
}

} // namespace
