#include "RestoreTree.h"

#include "model/MNotebookNode.h"
#include "model/MResultNode.h"
#include "util/TextUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

void Walk(const QString& folder, MResultNode& parent, QSet<QString>& seen)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || seen.contains(canonical))
        return;
    seen.insert(canonical);
    const QFileInfoList entries
        = QDir(folder).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            MResultNode* group = parent.AddChild(MNodeKind::SectionGroup, entry.fileName());
            group->path = entry.absoluteFilePath();
            Walk(entry.absoluteFilePath(), *group, seen);
        } else if (IsSectionFileName(entry.fileName())) {
            AddSectionFile(parent, entry.absoluteFilePath());
        }
    }
}

void ClearIds(MResultNode& node)
{
    for (const auto& child : node.children()) {
        child->id.clear();
        ClearIds(*child);
    }
}

} // namespace

bool IsSectionFileName(const QString& name)
{
    return StringEqualsIgnoreCase(QFileInfo(name).suffix(), QStringLiteral("one"));
}

MResultNode* AddTreeRoot(MResultNode& listRoot, const MNotebookNode& target)
{
    MResultNode* node = listRoot.AddChild(target.kind, target.name);
    node->address = target.webUrl;
    node->id = target.id;
    return node;
}

MResultNode* getSelectedOrAddRoot(MResultNode& listRoot, MResultNode* selected, const MNotebookNode* target)
{
    if (selected && selected->kind == MNodeKind::Section)
        selected = selected->parent();
    if (selected && selected != &listRoot)
        return selected;
    if (listRoot.childCount() > 0)
        return listRoot.child(0);
    return target ? AddTreeRoot(listRoot, *target) : nullptr;
}

MResultNode* AddSectionFile(MResultNode& parent, const QString& path)
{
    const QFileInfo file(path);
    MResultNode* node = parent.AddChild(MNodeKind::Section, file.completeBaseName());
    node->path = file.absoluteFilePath();
    return node;
}

void LoopGetAFolderFiles(const QString& folder, MResultNode& parent)
{
    QSet<QString> seen;
    Walk(folder, parent, seen);
}

void ResetRestoreList(MResultNode& list)
{
    list.ClearOutcomes();
    for (const auto& target : list.children())
        ClearIds(*target);
}
