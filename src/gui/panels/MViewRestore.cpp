#include "MViewRestore.h"

#include "MFolderChooser.h"
#include "MessageBox.h"
#include "app/MStrings.h"
#include "drive/MRestoreTask.h"
#include "drive/RestoreTree.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

MViewRestore::MViewRestore(QWidget* parent)
    : MOutlinePanel(Localized("guiTipRestore"), MOutlineModel::Options {}, parent)
{
    auto* row = new QHBoxLayout();
    const auto button
        = [&](const char* key, const char* name, QStyle::StandardPixmap icon, void (MViewRestore::*click)()) {
              auto* b = new QPushButton(style()->standardIcon(icon), Localized(key), this);
              b->setObjectName(QLatin1String(name));
              connect(b, &QPushButton::clicked, this, click);
              row->addWidget(b);
              return b;
          };
    mBtnAddFiles = button("guiAddFiles", "mBtnAddFiles", QStyle::SP_FileIcon, &MViewRestore::buttonAddFilesClick);
    mBtnAddFolder
        = button("guiAddFolder", "mBtnAddFolder", QStyle::SP_DirIcon, &MViewRestore::buttonAddAFolderWithSubsClick);
    mBtnRemove = button(
        "guiRemoveRows", "mBtnRemove", QStyle::SP_DialogDiscardButton, &MViewRestore::buttonRemoveSelectionsClick);
    mBtnClear = button("guiClearList", "mBtnClear", QStyle::SP_DialogResetButton, &MViewRestore::buttonClearClick);
    row->addStretch(1);
    ContentLayout()->addLayout(row);

    ChooseFiles = [this] {
        return QFileDialog::getOpenFileNames(
            this, Localized("msgChooseFiles"), QString(), Localized("guiSectionFilesFilter"));
    };
    ChooseFolders = [this] { return ::ChooseFolders(this, Localized("msgChooseFolder")); };
}

MResultNode* MViewRestore::ReceivingNode()
{
    const MNotebookNode* target = MNotebookNode::GetFirstCheckedSectionGroup(SharedTree());
    if (!target)
        target = MNotebookNode::GetFirstCheckedNotebook(SharedTree());
    if (!target && Tree().childCount() == 0) {
        ShowMessageBox(Localized("strSelectASection"));
        return nullptr;
    }
    const QModelIndex current = OutlineTree()->currentIndex();
    MResultNode* selected = current.isValid() ? OutlineModel()->NodeAt(current) : nullptr;
    return getSelectedOrAddRoot(Tree(), selected, target);
}

void MViewRestore::buttonAddFilesClick()
{
    MResultNode* into = ReceivingNode();
    if (!into)
        return;
    for (const QString& path : ChooseFiles ? ChooseFiles() : QStringList()) {
        if (IsSectionFileName(path))
            AddSectionFile(*into, path);
    }
    ReloadOutline();
}

void MViewRestore::buttonAddAFolderWithSubsClick()
{
    MResultNode* into = ReceivingNode();
    if (!into)
        return;
    for (const QString& folder : ChooseFolders ? ChooseFolders() : QStringList())
        LoopGetAFolderFiles(folder, *into);
    ReloadOutline();
}

void MViewRestore::buttonRemoveSelectionsClick()
{
    // Deepest first, so that no node goes before one below it that is still to go.
    QList<MResultNode*> nodes;
    for (const QModelIndex& index : OutlineTree()->selectionModel()->selectedRows())
        nodes.append(OutlineModel()->NodeAt(index));
    const auto depth = [](const MResultNode* node) {
        int d = 0;
        for (; node->parent(); node = node->parent())
            ++d;
        return d;
    };
    std::sort(nodes.begin(), nodes.end(), [&](const MResultNode* a, const MResultNode* b) {
        return depth(a) != depth(b) ? depth(a) > depth(b) : a->indexInParent() > b->indexInParent();
    });
    for (MResultNode* node : nodes) {
        if (node && node->parent())
            node->parent()->RemoveChild(node);
    }
    ReloadOutline();
}

void MViewRestore::buttonClearClick()
{
    ClearTree();
}

void MViewRestore::StartRun()
{
    if (!CheckAccountType())
        return;
    if (const std::optional<QString> problem = MRestoreTask::StartProblem(ObjectTree())) {
        ShowMessageBox(Localized(*problem));
        return;
    }
    std::shared_ptr<const MResultNode> list(ObjectTree().CloneTree());
    MOutlineSink* sink = Sink();
    EnableEditing(false);
    BeginRun(QStringLiteral("TreeThreadRestore"),
        [list, sink](MTaskContext& context) { MRestoreTask(context, *list, sink).ThreadViewRun(); });
}

void MViewRestore::OnRunEnded()
{
    EnableEditing(true);
}

void MViewRestore::EnableEditing(bool enabled)
{
    for (QPushButton* button : {mBtnAddFiles, mBtnAddFolder, mBtnRemove, mBtnClear})
        button->setEnabled(enabled);
}
