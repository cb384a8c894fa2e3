#include "RecordingReporter.h"

void MRecordingReporter::ShowMessage(const QString& result, const QString& status)
{
    const std::lock_guard lock(m_Mutex);
    m_Result = result;
    m_Statuses.append(status);
}

void MRecordingReporter::ShowStatus(const QString& status)
{
    const std::lock_guard lock(m_Mutex);
    m_Statuses.append(status);
}

void MRecordingReporter::Alert(const QString& text)
{
    const std::lock_guard lock(m_Mutex);
    m_Alerts.append(text);
}

bool MRecordingReporter::Ask(const QString& text)
{
    const std::lock_guard lock(m_Mutex);
    m_Questions.append(text);
    return m_Answer;
}

void MRecordingReporter::Finish(const QString& text)
{
    const std::lock_guard lock(m_Mutex);
    m_Finish = text;
    m_Finished = true;
}

void MRecordingReporter::ShowProgress(const MTaskProgress& progress)
{
    const std::lock_guard lock(m_Mutex);
    m_Progress.append(progress);
}

void MRecordingReporter::ReportItem(const MTaskItem& item)
{
    const std::lock_guard lock(m_Mutex);
    m_Items.append(item);
}

QList<MTaskProgress> MRecordingReporter::Progress() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Progress;
}

QList<MTaskItem> MRecordingReporter::Items() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Items;
}

QString MRecordingReporter::LastResult() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Result;
}

QStringList MRecordingReporter::Statuses() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Statuses;
}

QStringList MRecordingReporter::Alerts() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Alerts;
}

QStringList MRecordingReporter::Questions() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Questions;
}

QString MRecordingReporter::FinishText() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Finish;
}

bool MRecordingReporter::Finished() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Finished;
}

void MRecordingReporter::Clear()
{
    const std::lock_guard lock(m_Mutex);
    m_Result.clear();
    m_Statuses.clear();
    m_Alerts.clear();
    m_Questions.clear();
    m_Finish.clear();
    m_Finished = false;
    m_Items.clear();
    m_Progress.clear();
}
