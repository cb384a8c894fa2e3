// The ledger's numbered schema steps: a database an older build wrote is brought up to date with its
// runs kept, and the pages imports made are found by title or by source path within their place.
#include "tasks/MRunLedger.h"

#include "TempDir.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

TEST(LedgerSchema, AnOlderLedgerIsSteppedUpWithItsRunsKeptAndMadePagesAreFoundByNameInTheirPlace)
{
    const MTempDir dir;
    const QString path = dir.FilePath(QStringLiteral("runs.sqlite"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(
            q.exec(QStringLiteral("CREATE TABLE runs (id INTEGER PRIMARY KEY AUTOINCREMENT, task TEXT NOT NULL, "
                                  "source TEXT NOT NULL, target TEXT NOT NULL, settings TEXT NOT NULL, started "
                                  "INTEGER NOT NULL, ended INTEGER NOT NULL DEFAULT 0, state TEXT NOT NULL)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO runs (task, source, target, settings, started, state) VALUES "
                                          "('import-enex', 'a.enex', 'S', '', 1, 'finished')")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
    for (int opening = 0; opening < 2; ++opening) {
        MRunLedger ledger(path);
        ASSERT_TRUE(ledger.IsOpen()) << ledger.Error().toStdString();
        ASSERT_TRUE(ledger.Run(1).has_value());
        const qint64 run = ledger.BeginRun(
            QStringLiteral("import-tree"), QStringLiteral("T"), QStringLiteral("S"), QStringLiteral(""));
        const QString page = QStringLiteral("p%1").arg(run);
        ASSERT_TRUE(ledger.AddMadePage(MMadePage {
            run, 0, QStringLiteral("S"), QStringLiteral("Note"), QStringLiteral("/t/a.html"), page, "l", true}));
        ASSERT_TRUE(ledger.AddMadePage(MMadePage {
            run, 1, QStringLiteral("Other"), QStringLiteral("Note"), QStringLiteral("/t/a.html"), "x", "l"}));
        const QList<MMadePage> byTitle = ledger.MadePagesNamed(QStringLiteral("S"), true, QStringLiteral("Note"));
        ASSERT_EQ(byTitle.size(), opening + 1) << "each opening made one in S, newest first";
        EXPECT_EQ(byTitle.first().pageId, page);
        EXPECT_EQ(ledger.MadePagesNamed(QStringLiteral("S"), false, QStringLiteral("/t/a.html")).size(), opening + 1);
        EXPECT_TRUE(ledger.MadePagesNamed(QStringLiteral("S"), false, QStringLiteral("Note")).isEmpty());
    }
}
