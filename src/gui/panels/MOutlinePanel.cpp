#include "MOutlinePanel.h"

#include "MessageBox.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "drive/MDriveTask.h"

MOutlinePanel::MOutlinePanel(const QString& title, MOutlineModel::Options options, QWidget* parent)
    : MPanelBase(title, parent)
{
    m_Outline = new MOutlineView(std::move(options), this);
    m_Outline->setSelectionMode(QAbstractItemView::ExtendedSelection);
    SetOwnResultView(m_Outline);
    SetResultAreaVisible(false); // every row is in the outline
}

bool MOutlinePanel::CheckAccountType()
{
    if (MDriveTask::SupportsAccountType(TheAccount().MSAccountType()))
        return true;
    ShowMessageBox(Localized("msgNotSupportAccountType"));
    return false;
}

void MOutlinePanel::OnReportItem(const MTaskItem& item)
{
    // The rows show in the outline; here they are counted for the closing line, and listed as well
    // by a panel that shows its result area.
    m_Outline->Count(item.outcome);
    if (ResultAreaVisible())
        MPanelBase::OnReportItem(item);
}

void MOutlinePanel::OnReportFinish(const QString& text)
{
    MPanelBase::OnReportFinish(MOutlineView::FinishText(text, ClosingLine(m_Outline->TakeCounts())));
}
