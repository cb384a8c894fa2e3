#include "MListLook.h"

#include "app/MStrings.h"

#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTreeView>

namespace {

class MElideAtEndDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideRight;
    }
};

QHeaderView* HeaderOf(QAbstractItemView* view)
{
    if (auto* table = qobject_cast<QTableView*>(view))
        return table->horizontalHeader();
    if (auto* tree = qobject_cast<QTreeView*>(view))
        return tree->header();
    return nullptr;
}

class MColumnShare final : public QObject
{
public:
    MColumnShare(QAbstractItemView* view, int column, int percent)
        : QObject(view)
        , m_View(view)
        , m_Column(column)
        , m_Percent(percent)
    { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize) {
            if (QHeaderView* header = HeaderOf(m_View))
                header->resizeSection(m_Column, m_View->viewport()->width() * m_Percent / 100);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractItemView* m_View;
    int m_Column;
    int m_Percent;
};

} // namespace

void ApplyListLook(QTableView* view)
{
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideMiddle);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->horizontalHeader()->setHighlightSections(false);
}

void ElideAtEnd(QAbstractItemView* view, int column)
{
    view->setItemDelegateForColumn(column, new MElideAtEndDelegate(view));
}

void KeepColumnShare(QAbstractItemView* view, int column, int percent)
{
    view->viewport()->installEventFilter(new MColumnShare(view, column, percent));
}

MCheckActions AddCheckActions(QMenu* menu, const std::function<void(MCheckAll)>& apply, const char* reverseKey)
{
    MCheckActions actions;
    actions.check = menu->addAction(Localized("guiCheckAll"), menu, [apply] { apply(MCheckAll::Check); });
    actions.uncheck = menu->addAction(Localized("guiUncheckAll"), menu, [apply] { apply(MCheckAll::Uncheck); });
    actions.reverse = menu->addAction(Localized(reverseKey), menu, [apply] { apply(MCheckAll::Reverse); });
    return actions;
}
