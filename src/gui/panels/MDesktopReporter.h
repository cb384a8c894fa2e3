#pragma once

#include "tasks/MTaskReporter.h"

class MPanelBase;

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

private:
    MPanelBase* m_Panel; // panels live for the process
};
