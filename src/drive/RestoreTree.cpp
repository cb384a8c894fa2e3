#include "RestoreTree.h"

#include "model/MNotebookNode.h"
#include "model/MONObject.h"
#include "util/TextUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

void Walk(const QString& folder, MONObject& parent, QSet<QString>& seen)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || seen.contains(canonical))
        return;
    seen.insert(canonical);
    const QFileInfoList entries
        = QDir(folder).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            MONObject* group = parent.addSubObject(
                MONObject::SectionGroup, {}, entry.fileName(), {}, {}, {}, entry.absoluteFilePath(), {}, {}, {});
            Walk(entry.absoluteFilePath(), *group, seen);
        } else if (IsSectionFileName(entry.fileName())) {
            AddSectionFile(parent, entry.absoluteFilePath());
        }
    }
}

} // namespace

bool IsSectionFileName(const QString& name)
{
    return StringEqualsIgnoreCase(QFileInfo(name).suffix(), QStringLiteral("one"));
}

MONObject* AddTreeRoot(MONObject& listRoot, const MNotebookNode& target)
{
    MONObject* node
        = listRoot.addSubObject(quint64(target.kind), {}, target.name, {}, {}, target.webUrl, target.id, {}, {}, {});
    return node;
}

MONObject* getSelectedOrAddRoot(MONObject& listRoot, MONObject* selected, const MNotebookNode* target)
{
    if (selected && selected->objType == MONObject::Section)
        selected = selected->parent();
    if (selected && selected != &listRoot)
        return selected;
    if (listRoot.childCount() > 0)
        return listRoot.child(0);
    return target ? AddTreeRoot(listRoot, *target) : nullptr;
}

MONObject* AddSectionFile(MONObject& parent, const QString& path)
{
    const QFileInfo file(path);
    return parent.addSubObject(
        MONObject::Section, {}, file.completeBaseName(), {}, {}, {}, file.absoluteFilePath(), {}, {}, {});
}

void LoopGetAFolderFiles(const QString& folder, MONObject& parent)
{
    QSet<QString> seen;
    Walk(folder, parent, seen);
}

void InitONObjectState(MONObject& node)
{
    for (const auto& child : node.children()) {
        child->intValue = 0;
        child->intValue64 = 0;
        child->strValue.clear();
        child->objId.clear();
        InitONObjectState(*child);
    }
}
