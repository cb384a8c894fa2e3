#include "MOutlineView.h"

#include "MainThread.h"

#include <QHeaderView>
#include <QPointer>
#include <utility>

class MOutlineView::MPoster final : public MOutlineSink
{
public:
    explicit MPoster(MOutlineView* view)
        : m_View(view)
    { }

    void ShowOutline(const MResultNode& root) override
    {
        // Panels live for the process; a worker that outlives its panel at the end posts nowhere.
        if (MOutlineView* view = m_View.data())
            RunOnThreadOf(view, [&] { view->ShowTree(*root.CloneTree()); });
    }

private:
    QPointer<MOutlineView> m_View;
};

MOutlineView::MOutlineView(MOutlineModel::Options options, QWidget* parent)
    : QTreeView(parent)
    , m_Poster(std::make_unique<MPoster>(this))
{
    setObjectName(QStringLiteral("mOutlineTree"));
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    m_Model = new MOutlineModel(&m_Tree, std::move(options), this);
    setModel(m_Model);
    // Names and folders are short; statuses may carry a whole reason: the status takes the rest.
    header()->setStretchLastSection(true);
    const int em = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    for (int column = 0; column + 1 < m_Model->columnCount(); ++column)
        header()->resizeSection(column, column == 0 ? 24 * em : 16 * em);
}

MOutlineView::~MOutlineView() = default;

MOutlineSink* MOutlineView::Sink() const
{
    return m_Poster.get();
}

void MOutlineView::Reload()
{
    m_Model->Reload();
    expandAll();
}

void MOutlineView::ShowTree(MResultNode& fresh)
{
    m_Model->ReplaceChildren(fresh);
    expandAll();
}

void MOutlineView::Clear()
{
    m_Tree.clear();
    Reload();
}

void MOutlineView::Count(MItemOutcome outcome)
{
    m_Counts.Add(outcome);
}

MOutcomeCounts MOutlineView::TakeCounts()
{
    return std::exchange(m_Counts, MOutcomeCounts());
}

QString MOutlineView::CountsLine(const MOutcomeCounts& counts)
{
    return counts.Total() > 0 ? SummaryText(counts) : QString();
}

QString MOutlineView::FinishText(const QString& text, const QString& closing)
{
    return closing.isEmpty() ? text : text + QLatin1Char(' ') + closing;
}
