#include "MDesktopReporter.h"

#include "MDesktopMessageBox.h"
#include "MPanelBase.h"
#include "MainThread.h"

template<class F> void MDesktopReporter::Post(F&& work)
{
    MPanelBase* panel = m_Panel.data();
    if (panel)
        RunOnThreadOf(panel, std::forward<F>(work));
}

void MDesktopReporter::ShowMessage(const QString& result, const QString& status)
{
    Post([&] { m_Panel->OnReportMessage(result, status); });
}

void MDesktopReporter::ShowStatus(const QString& status)
{
    Post([&] { m_Panel->OnReportStatus(status); });
}

void MDesktopReporter::Alert(const QString& text)
{
    ShowMessageBox(text);
}

bool MDesktopReporter::Ask(const QString& text)
{
    return AskYesNo(text) == kAlertSecondButtonReturn;
}

void MDesktopReporter::Finish(const QString& text)
{
    Post([&] {
        m_Panel->m_RunFinished = true;
        m_Panel->OnReportFinish(text);
    });
}

void MDesktopReporter::ShowProgress(const MTaskProgress& progress)
{
    Post([&] { m_Panel->OnReportProgress(progress); });
}

void MDesktopReporter::ReportItem(const MTaskItem& item)
{
    Post([&] { m_Panel->OnReportItem(item); });
}
