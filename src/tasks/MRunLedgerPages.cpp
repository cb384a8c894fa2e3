// The pages imports made, which the link pass between imported notes
// reads and marks.
#include "MRunLedger.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString kPageColumns = QStringLiteral(
    "run, idx, place, title, source, page_id, link, holds_links, linked, rewritten, ambiguous, missing");

MMadePage PageFrom(const QSqlQuery& q)
{
    MMadePage page;
    page.run = q.value(0).toLongLong();
    page.index = q.value(1).toLongLong();
    page.place = q.value(2).toString();
    page.title = q.value(3).toString();
    page.source = q.value(4).toString();
    page.pageId = q.value(5).toString();
    page.link = q.value(6).toString();
    page.holdsLinks = q.value(7).toBool();
    page.linked = q.value(8).toBool();
    page.rewritten = q.value(9).toInt();
    page.ambiguous = q.value(10).toInt();
    page.missing = q.value(11).toInt();
    return page;
}

QString Text(const QString& value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

} // namespace

bool MRunLedger::AddMadePage(const MMadePage& page)
{
    if (!m_Open || page.run == 0)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO made_pages (run, idx, place, title, source, page_id, link, "
                             "holds_links) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(page.run);
    q.addBindValue(page.index);
    for (const QString& value : {page.place, page.title, page.source, page.pageId, page.link})
        q.addBindValue(Text(value));
    q.addBindValue(page.holdsLinks ? 1 : 0);
    if (q.exec())
        return true;
    m_Error = q.lastError().text();
    return false;
}

QList<MMadePage> MRunLedger::MadePages(qint64 run) const
{
    QList<MMadePage> pages;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM made_pages WHERE run = ? ORDER BY idx").arg(kPageColumns));
    q.addBindValue(run);
    if (q.exec())
        while (q.next())
            pages.append(PageFrom(q));
    return pages;
}

QList<MMadePage> MRunLedger::MadePagesNamed(const QString& place, bool byTitle, const QString& value) const
{
    QList<MMadePage> pages;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("SELECT %1 FROM made_pages WHERE place = ? AND %2 = ? ORDER BY run DESC, idx")
                  .arg(kPageColumns, byTitle ? QStringLiteral("title") : QStringLiteral("source")));
    q.addBindValue(Text(place));
    q.addBindValue(Text(value));
    if (q.exec())
        while (q.next())
            pages.append(PageFrom(q));
    return pages;
}

bool MRunLedger::SetPageLinked(const MMadePage& page, const QList<MLeftLink>& left)
{
    QSqlDatabase db = QSqlDatabase::database(m_Connection, false);
    if (!m_Open || !db.transaction())
        return false;
    QSqlQuery q(db);
    bool ok = true;
    for (const MLeftLink& link : left) {
        q.prepare(QStringLiteral("INSERT INTO left_links (run, idx, page_title, text, href, why) VALUES (?, ?, ?, ?, "
                                 "?, ?)"));
        q.addBindValue(page.run);
        q.addBindValue(page.index);
        for (const QString& value : {link.pageTitle, link.text, link.href, link.why})
            q.addBindValue(Text(value));
        ok = ok && q.exec();
    }
    q.prepare(QStringLiteral(
        "UPDATE made_pages SET linked = 1, rewritten = ?, ambiguous = ?, missing = ? WHERE run = ? AND idx = ?"));
    for (const qint64 value :
        {qint64(page.rewritten), qint64(page.ambiguous), qint64(page.missing), page.run, page.index})
        q.addBindValue(value);
    ok = ok && q.exec();
    if (ok && db.commit())
        return true;
    m_Error = q.lastError().text();
    db.rollback();
    return false;
}

QList<MLeftLink> MRunLedger::LeftLinks(qint64 run) const
{
    QList<MLeftLink> links;
    QSqlQuery q(QSqlDatabase::database(m_Connection, false));
    q.prepare(QStringLiteral("SELECT page_title, text, href, why FROM left_links WHERE run = ? ORDER BY idx, rowid"));
    q.addBindValue(run);
    if (q.exec())
        while (q.next())
            links.append(
                MLeftLink {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    return links;
}
