#include "MViewListAttachments.h"

#include "MAttachmentTableModel.h"
#include "MIcons.h"
#include "MainThread.h"
#include "MessageBox.h"
#include "app/MStrings.h"
#include "pagetasks/MListAttachmentsTask.h"
#include "pagetasks/MSaveAttachmentsTask.h"
#include "tasks/TaskTexts.h"
#include "widgets/MListLook.h"
#include "widgets/MResultTable.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

// The attachments of each page, handed to the panel on the main thread.
class MAttachmentPanelSink final : public MAttachmentSink
{
public:
    explicit MAttachmentPanelSink(MViewListAttachments* panel)
        : m_Panel(panel)
    { }
    void AddAttachments(const QList<MAttachment>& items) override
    {
        if (MViewListAttachments* panel = m_Panel.data())
            RunOnThreadOf(panel, [&] { panel->AddAttachments(items); });
    }

private:
    QPointer<MViewListAttachments> m_Panel;
};

MViewListAttachments::MViewListAttachments(QWidget* parent)
    : MPanelBase(Localized("guiTipListAttachments"), parent)
{
    mBtnTick = new QPushButton(Localized("guiAttachmentsTick"), this);
    mBtnTick->setObjectName(QStringLiteral("mBtnTick"));
    auto* menu = new QMenu(mBtnTick);
    const MCheckActions checks = AddCheckActions(menu, [this](MCheckAll mode) { CheckAll(mode); });
    mMenuItemCheckAll = checks.check;
    mMenuItemUncheckAll = checks.uncheck;
    mMenuItemReverse = checks.reverse;
    menu->addSeparator();
    mMenuItemCheckByFileType
        = menu->addAction(Localized("guiCheckByFileType"), this, &MViewListAttachments::MenuItemCheckByFileTypeClick);
    mBtnTick->setMenu(menu);
    mBtnSave
        = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), Localized("guiSaveAttachments"), this);
    mBtnSave->setObjectName(QStringLiteral("mBtnSave"));
    connect(mBtnSave, &QPushButton::clicked, this, &MViewListAttachments::ButtonSaveClick);
    // The list's own actions sit with the listing's start button.
    AddToStartRow(mBtnTick);
    AddToStartRow(mBtnSave);

    m_Model = new MAttachmentTableModel(m_List, this);
    connect(m_Model, &MAttachmentTableModel::TicksChanged, this, &MViewListAttachments::ShowCounts);
    mTableView = new QTableView(this);
    mTableView->setObjectName(QStringLiteral("mTableView"));
    mTableView->setModel(m_Model);
    ApplyListLook(mTableView);
    ElideAtEnd(mTableView, MAttachmentTableModel::NameColumn);
    QHeaderView* header = mTableView->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(MAttachmentTableModel::NameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(MAttachmentTableModel::TypeColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(MAttachmentTableModel::PathColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(MAttachmentTableModel::StatusColumn, QHeaderView::Interactive);
    // Widths known before any row arrives: a common type, and the longest status word with its badge.
    const QFontMetrics metrics = mTableView->fontMetrics();
    header->resizeSection(
        MAttachmentTableModel::TypeColumn, metrics.horizontalAdvance(QStringLiteral("application/pdf")) + 16);
    int statusWidth = metrics.horizontalAdvance(Localized("guiColumnStatus"));
    for (const MItemOutcome outcome : {MItemOutcome::Sending, MItemOutcome::Created, MItemOutcome::Failed})
        statusWidth = qMax(statusWidth, metrics.horizontalAdvance(OutcomeText(outcome)));
    header->resizeSection(MAttachmentTableModel::StatusColumn, statusWidth + mTableView->iconSize().width() + 32);
    KeepColumnShare(mTableView, MAttachmentTableModel::PathColumn, 28);
    connect(mTableView, &QTableView::activated, this, &MViewListAttachments::RowActivated);
    SetOwnResultView(mTableView);
}

void MViewListAttachments::StartRun()
{
    if (const std::optional<QString> problem = MListAttachmentsTask::StartProblem(SharedTree())) {
        ShowMessageBox(Localized(*problem));
        return;
    }
    // A listing shows what the pages hold now: added to the last one, every file would be listed
    // (and saved) twice.
    m_Model->Clear();
    m_FilesCount = 0;
    m_Saving = false;
    auto sink = std::make_shared<MAttachmentPanelSink>(this);
    BeginRun(QStringLiteral("ListThread"), [sink](MTaskContext& context) {
        MListAttachmentsTask task(context, sink.get());
        task.ThreadRun();
    });
}

void MViewListAttachments::AddAttachments(const QList<MAttachment>& items)
{
    ++m_FilesCount;
    m_List.append(items);
    m_Model->Appended(int(items.size()));
}

void MViewListAttachments::CheckAll(MCheckAll mode)
{
    CheckAllItems(m_List, mode);
    m_Model->AllChanged();
    ShowCounts();
}

void MViewListAttachments::MenuItemCheckByFileTypeClick()
{
    CheckByFileType(m_List);
    m_Model->AllChanged();
    ShowCounts();
}

void MViewListAttachments::ButtonSaveClick()
{
    if (IsBusy()) {
        StopRun();
        return;
    }
    const QString folder = QFileDialog::getExistingDirectory(this, Localized("guiChooseAttachmentFolder"));
    if (!folder.isEmpty())
        RunThreadSave(folder);
}

void MViewListAttachments::RunThreadSave(const QString& folder)
{
    if (const std::optional<QString> problem = MSaveAttachmentsTask::StartProblem(m_List, folder)) {
        if (!problem->isEmpty())
            ShowMessageBox(Localized(*problem));
        return;
    }
    CleanAllItemsStatus(m_List);
    m_Model->AllChanged();
    const QList<MAttachment> items = m_List;
    m_Saving = true;
    if (!BeginRun(QStringLiteral("SaveThread"), [items, folder](MTaskContext& context) {
            MSaveAttachmentsTask task(context, items, folder);
            task.ThreadRun();
        })) {
        m_Saving = false;
        return;
    }
    ShowSaving(true);
}

void MViewListAttachments::OnReportItem(const MTaskItem& item)
{
    // A save reports on the list's own rows; a listing's rows are what it could not read.
    if (!m_Saving) {
        MPanelBase::OnReportItem(item);
        return;
    }
    if (item.index < 0 || item.index >= m_List.size())
        return;
    MAttachment& attachment = m_List[item.index];
    attachment.outcome = item.outcome;
    attachment.reason = item.reason;
    attachment.savedPath = item.outcome == MItemOutcome::Created ? item.target : QString();
    attachment.status = item.outcome == MItemOutcome::Sending ? QString() : OutcomeText(item.outcome);
    m_Model->RowChanged(int(item.index));
    mTableView->scrollTo(m_Model->index(int(item.index), 0));
}

void MViewListAttachments::OnRunEnded()
{
    if (!m_Saving) {
        // A finish text that says how many pages came from the page cache stays before the counts.
        const QString finish = StatusText();
        ShowCounts();
        if (RunFinished() && finish != Localized("strFinish") && finish != StatusText())
            SetStatus(finish + QLatin1Char(' ') + StatusText());
        return;
    }
    m_Saving = false;
    ShowSaving(false);
    MOutcomeCounts counts;
    for (const MAttachment& item : m_List)
        if (item.outcome && *item.outcome != MItemOutcome::Sending)
            counts.Add(*item.outcome);
    SetStatus(QStringLiteral("%1 %2").arg(Localized("strFinish"), SummaryText(counts, "taskSummarySaved")));
}

void MViewListAttachments::ShowSaving(bool saving)
{
    mBtnSave->setIcon(style()->standardIcon(saving ? QStyle::SP_MediaStop : QStyle::SP_DialogSaveButton));
    mBtnSave->setText(Localized(saving ? "guiStop" : "guiSaveAttachments"));
}

void MViewListAttachments::ShowCounts()
{
    if (IsBusy() || m_List.isEmpty())
        return;
    const auto ticked
        = std::count_if(m_List.begin(), m_List.end(), [](const MAttachment& item) { return item.downloadIt; });
    SetStatus(Localized("guiAttachmentsListed").arg(QString::number(m_List.size()), QString::number(ticked)));
}

void MViewListAttachments::RowActivated(const QModelIndex& index)
{
    if (!index.isValid() || index.row() >= m_List.size())
        return;
    const QString saved = m_List.at(index.row()).savedPath;
    if (!saved.isEmpty())
        OpenItemTarget(saved);
}
