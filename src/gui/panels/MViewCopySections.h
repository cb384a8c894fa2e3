#pragma once

#include "MOutlinePanel.h"

#include <atomic>
#include <functional>

// Copies the sections and section groups checked in the notebook tree into one notebook or section
// group chosen when the run starts, as OneDrive files and folders; the outline shows the target and
// every copy with its status. When anything was copied, a message says that OneNote may take a
// while to show it.
class MViewCopySections : public MOutlinePanel
{
    Q_OBJECT
public:
    explicit MViewCopySections(QWidget* parent = nullptr);

    // Asks for the target (the section chooser with notebooks and section groups); "" when none.
    std::function<QString()> ChooseTarget;

protected:
    void StartRun() override;
    void OnRunEnded() override;

private:
    std::atomic<qint64> m_CopySuccessCount {0};
};
