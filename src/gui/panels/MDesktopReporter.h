#pragma once

#include "MPanelBase.h"
#include "tasks/MTaskReporter.h"

#include <QPointer>

// A worker's reports to its panel: each call is posted to the main thread and the worker waits
// until it has run there, so what the task reads back (an answer, the panel's state) is current.
class MDesktopReporter final : public MTaskReporter
{
public:
    explicit MDesktopReporter(MPanelBase* panel)
        : m_Panel(panel)
    { }

    void ShowMessage(const QString& result, const QString& status) override;
    void ShowStatus(const QString& status) override;
    void Alert(const QString& text) override;
    bool Ask(const QString& text) override;
    void Finish(const QString& text) override;
    void ShowProgress(const MTaskProgress& progress) override;
    void ReportItem(const MTaskItem& item) override;

private:
    template<class F> void Post(F&& work);

    // Panels live for the process; at its end a worker may outlive its panel, and then reports go
    // nowhere.
    QPointer<MPanelBase> m_Panel;
};
