#include "MWinChooseSection.h"

#include "MIcons.h"
#include "WindowSize.h"
#include "app/MStrings.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

bool IsShown(MNodeKind kind, int displayScope)
{
    if (displayScope == 1)
        return kind == MNodeKind::Notebook;
    if (displayScope == 2)
        return kind == MNodeKind::Notebook || kind == MNodeKind::SectionGroup;
    return true;
}

} // namespace

MWinChooseSection::MWinChooseSection(const MNotebookNode* source, int scope, QWidget* parent)
    : QDialog(parent)
    , displayScope(scope)
{
    setWindowTitle(Localized("guiChooseTitle"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    auto* hint = new QLabel(Localized("guiChooseHint"), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    mOutlineTree = new QTreeWidget(this);
    mOutlineTree->setObjectName(QStringLiteral("mOutlineTree"));
    mOutlineTree->setHeaderHidden(true);
    mOutlineTree->setUniformRowHeights(true);
    layout->addWidget(mOutlineTree, 1);
    connect(mOutlineTree, &QTreeWidget::itemSelectionChanged, this, &MWinChooseSection::outlineViewSelectionDidChange);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &MWinChooseSection::ButtonOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    ResizeToFit(this, QSize(440, 520));

    if (source)
        rebuildTreeONObjects(*source, m_TreeObjects, displayScope);
    if (displayScope != 0)
        FillOutline(m_TreeObjects, nullptr);
    mOutlineTree->expandAll();
}

void MWinChooseSection::rebuildTreeONObjects(const MNotebookNode& source, MNotebookNode& copyParent, int scope)
{
    for (const auto& child : source.children()) {
        if (!IsShown(child->kind, scope))
            continue;
        MNotebookNode* copy = copyParent.AddCopy(*child);
        rebuildTreeONObjects(*child, *copy, scope);
    }
}

void MWinChooseSection::FillOutline(const MNotebookNode& node, QTreeWidgetItem* parentItem)
{
    for (const auto& child : node.children()) {
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(mOutlineTree);
        item->setText(0, child->name);
        item->setIcon(0, NodeIcon(*child, false));
        item->setData(0, kIdRole, child->id);
        FillOutline(*child, item);
    }
}

void MWinChooseSection::outlineViewSelectionDidChange()
{
    const QList<QTreeWidgetItem*> selected = mOutlineTree->selectedItems();
    idChoose = selected.isEmpty() ? QString() : selected.first()->data(0, kIdRole).toString();
}

void MWinChooseSection::ButtonOKClick()
{
    if (idChoose.isEmpty())
        return;
    idReturn = idChoose;
    accept();
}
