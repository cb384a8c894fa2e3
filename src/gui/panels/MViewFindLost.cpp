#include "MViewFindLost.h"

#include "app/MStrings.h"
#include "drive/MFindLostTask.h"
#include "widgets/MListLook.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

MOutlineModel::Options FindLostOutline()
{
    MOutlineModel::Options options;
    options.checkable = true;
    options.iconName = [](const MResultNode&) { return QStringLiteral("LostSection"); };
    options.columns.push_back(
        {Localized("guiColumnFolder"), [](const MResultNode& node) { return LostSectionFolder(node); }});
    return options;
}

} // namespace

MViewFindLost::MViewFindLost(QWidget* parent)
    : MOutlinePanel(Localized("guiTipFindLost"), FindLostOutline(), parent)
{
    auto* row = new QHBoxLayout();
    mBtnSave = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), Localized("guiSaveLost"), this);
    mBtnSave->setObjectName(QStringLiteral("mBtnSave"));
    connect(mBtnSave, &QPushButton::clicked, this, &MViewFindLost::buttonSaveClick);
    row->addWidget(mBtnSave);

    auto* menu = new QMenu(this);
    AddCheckActions(
        menu, [this](MCheckAll mode) { checkAllItems(mode); }, "guiReverseCheck");
    mBtnCheck = new QToolButton(this);
    mBtnCheck->setObjectName(QStringLiteral("mBtnCheck"));
    mBtnCheck->setText(Localized("guiTicks"));
    mBtnCheck->setMenu(menu);
    mBtnCheck->setPopupMode(QToolButton::InstantPopup);
    row->addWidget(mBtnCheck);
    row->addStretch(1);
    ContentLayout()->addLayout(row);

    OutlineTree()->setRootIsDecorated(false); // a flat list
    OutlineTree()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(OutlineTree(), &QTreeView::customContextMenuRequested, this,
        [this, menu](const QPoint& at) { menu->popup(OutlineTree()->viewport()->mapToGlobal(at)); });

    ChooseSaveFolder = [this] {
        return QFileDialog::getExistingDirectory(this, Localized("msgChooseSaveFolder"), QString(),
            QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    };
}

void MViewFindLost::StartRun()
{
    if (!CheckAccountType())
        return;
    ClearTree();
    m_Searching = true;
    MOutlineSink* sink = Sink();
    BeginRun(
        QStringLiteral("FeatureThread"), [sink](MTaskContext& context) { MFindLostTask(context, sink).ThreadRun(); });
}

void MViewFindLost::buttonSaveClick()
{
    if (IsBusy()) {
        StopRun();
        return;
    }
    const QString folder = ChooseSaveFolder ? ChooseSaveFolder() : QString();
    if (folder.isEmpty())
        return;
    m_Searching = false;
    // The save works on a copy of the list as ticked now; its statuses come back as it goes.
    std::shared_ptr<const MResultNode> found(ObjectTree().CloneTree());
    MOutlineSink* sink = Sink();
    BeginRun(QStringLiteral("SaveThread"),
        [found, folder, sink](MTaskContext& context) { MSaveLostTask(context, *found, folder, sink).ThreadRunSave(); });
}

void MViewFindLost::checkAllItems(MCheckAll mode)
{
    for (const auto& node : Tree().children())
        node->checked = CheckedAfter(mode, node->checked);
    OutlineModel()->AllChanged();
}

QString MViewFindLost::ClosingLine(const MOutcomeCounts& counts) const
{
    if (!m_Searching)
        return MOutlinePanel::ClosingLine(counts);
    // The run's last post has put every file found into the panel's tree by now.
    const QString found = Localized("msgLostFound").arg(qint64(ObjectTree().childCount()));
    return counts.failed > 0 ? found + Localized("taskListSeparator") + SummaryText(counts) : found;
}
