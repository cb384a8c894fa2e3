#pragma once

#include "MOutlinePanel.h"

class QCheckBox;
class QLineEdit;
struct MSearchPageHit;

// Search in pages: the search text, match case and title only (remembered as "Search_MatchCase" and
// "Search_InPageTitle"), and the results as an outline: a row per page that matched, under it a row
// per paragraph and per image text that matched, with the section path beside. Double-clicking (or
// pressing Enter on) a row opens the page or paragraph in OneNote. Pages that could not be read are
// listed under the outline.
class MViewSearch : public MOutlinePanel
{
    Q_OBJECT
public:
    explicit MViewSearch(QWidget* parent = nullptr);

    QLineEdit* mSearch = nullptr;
    QCheckBox* mCheckMatchCase = nullptr;
    QCheckBox* mCheckSearchInPageTitle = nullptr;

protected:
    void StartRun() override;
    void OnRunEnded() override;
    // The found count follows the finish text instead (OnRunEnded).
    QString ClosingLine(const MOutcomeCounts&) const override { return QString(); }

private:
    friend class MSearchPanelSink;
    void LoadConfig();
    void SaveConfig();
    void AddPageHit(const MSearchPageHit& hit);
    void RowActivated(const QModelIndex& index);

    bool m_MatchCase = false;
    bool m_SearchInPageTitle = true;
    qint64 m_ExportFilesCount = 0;
};
