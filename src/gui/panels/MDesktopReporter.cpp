#include "MDesktopReporter.h"

#include "MDesktopMessageBox.h"
#include "MPanelBase.h"
#include "MainThread.h"

void MDesktopReporter::ShowMessage(const QString& result, const QString& status)
{
    RunOnThreadOf(m_Panel, [&] { m_Panel->OnReportMessage(result, status); });
}

void MDesktopReporter::ShowStatus(const QString& status)
{
    RunOnThreadOf(m_Panel, [&] { m_Panel->OnReportStatus(status); });
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
    RunOnThreadOf(m_Panel, [&] { m_Panel->OnReportFinish(text); });
}
