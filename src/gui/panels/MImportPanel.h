#pragma once

#include "MPanelBase.h"

#include <atomic>
#include <optional>

class QCheckBox;

// What the three import panels (files, ENEX, folder tree) share: the "skip what was imported
// before" box, the choice of how a run is recorded (resume, skip, again), and the rebuild of the
// notebook outline when a run made sections.
class MImportPanel : public MPanelBase
{
    Q_OBJECT
public:
    using MPanelBase::MPanelBase;

    QCheckBox* mCheckSkipImported = nullptr;

signals:
    // Notebooks, section groups or sections were made: the outline must be rebuilt from the service.
    void SectionsCreated();

protected:
    // The "Skip ... imported before" box (`label` and `tip` are string keys), its state kept under
    // `settingsKey`; it becomes mCheckSkipImported.
    QCheckBox* MakeSkipImportedBox(const QString& settingsKey, const char* label, const char* tip);
    // How an import of `identity` is recorded: an unfinished run of it is offered for resuming (the
    // user says yes or no); a finished one is repeated only as the user answers (everything again,
    // only what it did not import, or not at all) unless the skip box has said so already; else a
    // new run, skipping what earlier runs imported when the box is ticked. Nothing when the user
    // declined.
    std::optional<MRunRecording> ChooseRecording(const MRunJournal::MIdentity& identity);

    // A run starts: no section made yet. The worker adds what it made.
    void ResetNewSections() { m_NewSectionCount = 0; }
    void AddNewSections(qint64 count) { m_NewSectionCount += count; }
    void OnRunEnded() override;

private:
    std::atomic<qint64> m_NewSectionCount {0};
};
