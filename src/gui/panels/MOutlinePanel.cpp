#include "MOutlinePanel.h"

#include "MainThread.h"
#include "MessageBox.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "drive/MDriveTask.h"

#include <QHeaderView>
#include <QPointer>
#include <QTreeView>

class MOutlinePanel::MPoster final : public MOutlineSink
{
public:
    explicit MPoster(MOutlinePanel* panel)
        : m_Panel(panel)
    { }

    void ShowOutline(const MResultNode& root) override
    {
        // Panels live for the process; a worker that outlives its panel at the end posts nowhere.
        MOutlinePanel* panel = m_Panel.data();
        if (panel)
            RunOnThreadOf(panel, [&] { m_Panel->ShowRunTree(root); });
    }

private:
    QPointer<MOutlinePanel> m_Panel;
};

MOutlinePanel::MOutlinePanel(const QString& title, MOutlineModel::Options options, QWidget* parent)
    : MPanelBase(title, parent)
    , m_Poster(std::make_unique<MPoster>(this))
{
    mOutlineTree = new QTreeView(this);
    mOutlineTree->setObjectName(QStringLiteral("mOutlineTree"));
    mOutlineTree->setUniformRowHeights(true);
    mOutlineTree->setAlternatingRowColors(true);
    mOutlineTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_Model = new MOutlineModel(&m_ObjectTree, std::move(options), this);
    mOutlineTree->setModel(m_Model);
    // Names and folders are short; statuses may carry a whole reason: the status takes the rest.
    QHeaderView* header = mOutlineTree->header();
    header->setStretchLastSection(true);
    const int em = mOutlineTree->fontMetrics().horizontalAdvance(QLatin1Char('M'));
    for (int column = 0; column + 1 < m_Model->columnCount(); ++column)
        header->resizeSection(column, column == 0 ? 24 * em : 16 * em);
    SetOwnResultView(mOutlineTree);
    SetResultAreaVisible(false); // every row is in the outline
}

MOutlinePanel::~MOutlinePanel() = default;

MOutlineSink* MOutlinePanel::Sink() const
{
    return m_Poster.get();
}

void MOutlinePanel::ReloadOutline()
{
    m_Model->Reload();
    mOutlineTree->expandAll();
}

void MOutlinePanel::ClearTree()
{
    m_ObjectTree.clear();
    ReloadOutline();
}

bool MOutlinePanel::CheckAccountType()
{
    if (MDriveTask::SupportsAccountType(TheAccount().MSAccountType()))
        return true;
    ShowMessageBox(Localized("msgNotSupportAccountType"));
    return false;
}

void MOutlinePanel::ShowRunTree(const MResultNode& root)
{
    std::unique_ptr<MResultNode> copy = root.CloneTree();
    m_Model->ReplaceChildren(*copy);
    mOutlineTree->expandAll();
}

void MOutlinePanel::OnReportItem(const MTaskItem& item)
{
    // The rows show in the outline; here they are counted for the closing line, and listed as well
    // by a panel that shows its result area.
    if (item.outcome != MItemOutcome::Sending)
        m_Counts.Add(item.outcome);
    if (ResultAreaVisible())
        MPanelBase::OnReportItem(item);
}

void MOutlinePanel::OnReportFinish(const QString& text)
{
    const QString closing = ClosingLine(m_Counts);
    m_Counts = MOutcomeCounts();
    MPanelBase::OnReportFinish(closing.isEmpty() ? text : text + QLatin1Char(' ') + closing);
}

QString MOutlinePanel::ClosingLine(const MOutcomeCounts& counts) const
{
    return counts.Total() > 0 ? SummaryText(counts) : QString();
}
