#include "MResultTable.h"

#include "MListLook.h"
#include "MResultModel.h"
#include "model/MOLONUtils.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

MResultTable::MResultTable(QWidget* parent)
    : QWidget(parent)
    , m_Model(new MResultModel(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    m_View = new QTableView(this);
    m_View->setObjectName(QStringLiteral("mResultTable"));
    m_View->setModel(m_Model);
    // Paths are told apart by their ends, a reason is read from its start.
    ApplyListLook(m_View);
    QHeaderView* header = m_View->horizontalHeader();
    header->setSectionResizeMode(MResultModel::StatusColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(MResultModel::TextColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(MResultModel::ReasonColumn, QHeaderView::Interactive);
    int statusWidth = 0;
    for (const MItemOutcome outcome : {MItemOutcome::Sending, MItemOutcome::Created, MItemOutcome::Reused,
             MItemOutcome::Skipped, MItemOutcome::Failed})
        statusWidth = qMax(statusWidth, m_View->fontMetrics().horizontalAdvance(OutcomeText(outcome)));
    header->resizeSection(MResultModel::StatusColumn, statusWidth + m_View->iconSize().width() + 40);
    ElideAtEnd(m_View, MResultModel::ReasonColumn);
    connect(m_View, &QTableView::doubleClicked, this, &MResultTable::RowActivated);
    layout->addWidget(m_View, 1);

    mSummary = new QLabel(this);
    mSummary->setObjectName(QStringLiteral("mResultSummary"));
    QFont bold = mSummary->font();
    bold.setBold(true);
    mSummary->setFont(bold);
    mSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mSummary->hide();
    layout->addWidget(mSummary);
}

void MResultTable::Report(const MTaskItem& item)
{
    // Follow the run while the user has not scrolled away from its end.
    QScrollBar* bar = m_View->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum() - 2;
    m_Model->Report(item);
    if (!m_HaveReason && !item.reason.isEmpty()) {
        m_HaveReason = true;
        FitColumns();
    }
    if (atEnd)
        m_View->scrollToBottom();
}

void MResultTable::List(qint64 index, const QString& text, const QString& target)
{
    m_Model->List(index, text, target);
}

void MResultTable::SetMultiSelection(bool multi)
{
    m_View->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QList<int> MResultTable::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_View->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MResultTable::Clear()
{
    m_Model->Clear();
    m_HaveReason = false;
    FitColumns();
    mSummary->clear();
    mSummary->hide();
}

void MResultTable::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FitColumns();
}

void MResultTable::FitColumns()
{
    const QFontMetrics metrics = m_View->fontMetrics();
    const int title
        = metrics.horizontalAdvance(m_Model->headerData(MResultModel::ReasonColumn, Qt::Horizontal).toString());
    const int wanted = m_HaveReason ? qMin(36 * metrics.averageCharWidth(), m_View->viewport()->width() * 2 / 5) : 0;
    m_View->horizontalHeader()->resizeSection(MResultModel::ReasonColumn, qMax(wanted, title + 24));
}

void MResultTable::ShowSummary()
{
    mSummary->setText(::SummaryText(m_Model->Counts(), m_CreatedKey));
    mSummary->show();
}

QString MResultTable::SummaryText() const
{
    return mSummary->isHidden() ? QString() : mSummary->text();
}

void MResultTable::RowActivated(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const QString target = m_Model->Item(index.row()).target;
    if (target.isEmpty())
        return;
    emit OpenRequested(target);
    OpenItemTarget(target);
}

void OpenItemTarget(const QString& target)
{
    const QUrl url(target);
    const bool isLink = url.isValid() && url.scheme().size() > 1; // "C:" is a drive, not a scheme
    OpenLinkInOneNote(isLink ? target : QUrl::fromLocalFile(target).toString());
}
