#include "MRunRows.h"

qint64 MRunRows::Begin(const QString& text)
{
    const qint64 index = m_Next;
    BeginAt(index, text);
    return index;
}

void MRunRows::BeginAt(qint64 index, const QString& text)
{
    m_Next = qMax(m_Next, index + 1);
    if (m_Reporter)
        m_Reporter->ReportItem(MTaskItem {index, text, MItemOutcome::Sending, QString(), QString()});
}

void MRunRows::End(
    qint64 index, const QString& text, MItemOutcome outcome, const QString& reason, const QString& target)
{
    m_Counts.Add(outcome);
    if (m_Reporter)
        m_Reporter->ReportItem(MTaskItem {index, text, outcome, reason, target});
}

qint64 MRunRows::Add(const QString& text, MItemOutcome outcome, const QString& reason, const QString& target)
{
    const qint64 index = m_Next++;
    End(index, text, outcome, reason, target);
    return index;
}
