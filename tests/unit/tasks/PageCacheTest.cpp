// The page cache's own rules on a real SQLite file: what is served, what goes first past the limit,
// and two users of one file at once.
#include "FixedClock.h"
#include "TempDir.h"
#include "tasks/MPageCache.h"

#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Text that hardly compresses, so that sizes are predictable: about `bytes` once stored.
QString Noise(int bytes)
{
    QByteArray raw(bytes, Qt::Uninitialized);
    for (char& c : raw)
        c = char(QRandomGenerator::global()->generate());
    return QString::fromLatin1(raw.toBase64().left(bytes * 4 / 3));
}

QString Page(int n)
{
    return QStringLiteral("p%1").arg(n);
}

} // namespace

TEST(PageCache, ServesAPageOnlyForItsAccountAndTimeAndKeepsNoUndatedPage)
{
    MTempDir dir;
    MPageCache cache(dir.FilePath(QStringLiteral("c.sqlite")));
    ASSERT_TRUE(cache.IsOpen()) << cache.Error().toStdString();
    const QString a = QStringLiteral("A"), t1 = QStringLiteral("2024-01-01T10:00:00.000Z"),
                  t2 = QStringLiteral("2024-01-01T10:00:00.001Z");
    EXPECT_TRUE(cache.Store(a, Page(1), t1, QStringLiteral("<p>one</p>")));
    EXPECT_FALSE(cache.Store(a, Page(2), QString(), QStringLiteral("<p>undated</p>")));
    EXPECT_EQ(cache.Find(a, Page(1), t1), QStringLiteral("<p>one</p>"));
    EXPECT_EQ(cache.Find(a, Page(1), t2), std::nullopt);
    EXPECT_EQ(cache.Find(QStringLiteral("B"), Page(1), t1), std::nullopt);
    // A newer version replacing the page, and forgetting an account's pages, are the service test's.
}

TEST(PageCache, PastItsLimitThePagesReadLongestAgoGoFirst)
{
    MFixedClockScope clock(QDateTime(QDate(2024, 6, 1), QTime(10, 0)));
    MTempDir dir;
    const qint64 limit = 20 * 1024;
    MPageCache cache(dir.FilePath(QStringLiteral("c.sqlite")), limit);
    const QString t = QStringLiteral("t");
    for (int n = 0; n < 8; ++n) {
        ASSERT_TRUE(cache.Store(QStringLiteral("A"), Page(n), t, Noise(2000)));
        clock->AdvanceSeconds(1);
    }
    ASSERT_TRUE(cache.Find(QStringLiteral("A"), Page(0), t)); // read again: now the newest
    clock->AdvanceSeconds(1);
    for (int n = 8; n < 12; ++n) {
        ASSERT_TRUE(cache.Store(QStringLiteral("A"), Page(n), t, Noise(2000)));
        clock->AdvanceSeconds(1);
        EXPECT_LE(cache.Usage().bytes, limit);
    }
    QStringList kept;
    for (int n = 0; n < 12; ++n)
        if (cache.Find(QStringLiteral("A"), Page(n), t))
            kept << Page(n);
    EXPECT_EQ(kept.first(), Page(0));
    EXPECT_FALSE(kept.contains(Page(1)));
    EXPECT_EQ(kept.last(), Page(11));
    EXPECT_EQ(cache.Usage().pages, kept.size());
    // A page bigger than the whole cache is not kept at all.
    EXPECT_FALSE(cache.Store(QStringLiteral("A"), Page(99), t, Noise(int(limit) + 1)));
    EXPECT_EQ(cache.Usage().pages, kept.size());
}

TEST(PageCache, TwoUsersOfOneFileAtOnceLoseNothing)
{
    MTempDir dir;
    const QString path = dir.FilePath(QStringLiteral("c.sqlite"));
    auto fill = [&](const QString& account) {
        MPageCache cache(path);
        for (int n = 0; n < 150; ++n) {
            EXPECT_TRUE(cache.Store(account, Page(n), QStringLiteral("t"), Page(n) + account));
            EXPECT_EQ(cache.Find(account, Page(n / 2), QStringLiteral("t")), Page(n / 2) + account);
        }
    };
    // Qt's threads, as the panels run their tasks on: a connection opened on a thread Qt did not
    // start leaves that thread's Qt bookkeeping behind when it ends.
    std::unique_ptr<QThread> first(QThread::create(fill, QStringLiteral("A")));
    std::unique_ptr<QThread> second(QThread::create(fill, QStringLiteral("B")));
    first->start();
    second->start();
    first->wait();
    second->wait();
    MPageCache cache(path);
    EXPECT_EQ(cache.Usage().pages, 300);
    EXPECT_EQ(cache.Clear(), 300);
    EXPECT_EQ(cache.Usage().pages, 0);
    EXPECT_LT(cache.Usage().fileBytes, 64 * 1024) << "a cleared cache gives its space back";
}
