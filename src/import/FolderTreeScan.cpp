#include "FolderTreeScan.h"

#include "model/MResultNode.h"
#include "util/FileUtils.h"
#include "util/TextUtils.h"

#include <QDir>
#include <QFileInfo>

namespace {

QFileInfoList Entries(const QString& folder)
{
    return QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

MResultNode* AddNode(MResultNode& parent, MNodeKind kind, const QFileInfo& entry)
{
    MResultNode* node = parent.AddChild(kind, entry.fileName());
    node->path = entry.filePath();
    return node;
}

bool IsPictureFolderOfAPage(const QString& name)
{
    return name.endsWith(QLatin1String(".files"), Qt::CaseInsensitive)
        || name.endsWith(QLatin1String("_files"), Qt::CaseInsensitive);
}

bool TakesFile(const QString& name, const MImportTreeOptions& options)
{
    const QString extension = QFileInfo(name).suffix();
    if (options.txtFiles && StringEqualsIgnoreCase(extension, QStringLiteral("txt")))
        return true;
    return options.htmlFiles
        && (StringEqualsIgnoreCase(extension, QStringLiteral("html"))
            || StringEqualsIgnoreCase(extension, QStringLiteral("htm")));
}

void CollectNodes(const MResultNode& node, std::vector<MResultNode*>& nodes)
{
    for (const auto& child : node.children()) {
        nodes.push_back(child.get());
        CollectNodes(*child, nodes);
    }
}

} // namespace

void LoopGetFolders_Notebooks(const QString& folder, MResultNode& parent, int level, const MImportTreeOptions& options)
{
    for (const QFileInfo& entry : Entries(folder)) {
        // A link to a folder above would never end.
        if (!entry.isDir() || entry.isSymLink())
            continue;
        if (options.skipHtmlFilesSubFolders && IsPictureFolderOfAPage(entry.fileName()))
            continue;
        if (level == 0 && options.firstSubIsNotebook) {
            MResultNode* notebook = AddNode(parent, MNodeKind::Notebook, entry);
            LoopGetFolders_Notebooks(entry.filePath(), *notebook, 1, options);
            continue;
        }
        if (CountSubpaths(entry.filePath()) == 0) {
            // An empty folder: an empty section.
            AddNode(parent, MNodeKind::Section, entry);
            continue;
        }
        MResultNode* group = AddNode(parent, MNodeKind::SectionGroup, entry);
        if (CountFilesInFolder(entry.filePath()) > 0) {
            MResultNode* section = AddNode(*group, MNodeKind::Section, entry);
            LoopGetFolders_Pages(entry.filePath(), *section, options);
            if (section->childCount() == 0)
                group->clear();
        }
        LoopGetFolders_Notebooks(entry.filePath(), *group, level + 1, options);
    }
}

void LoopGetFolders_Pages(const QString& folder, MResultNode& section, const MImportTreeOptions& options)
{
    for (const QFileInfo& entry : Entries(folder)) {
        if (entry.isDir() || !TakesFile(entry.fileName(), options))
            continue;
        AddNode(section, MNodeKind::Page, entry);
    }
}

void ScanImportTree(const QStringList& folders, MResultNode& root, const MImportTreeOptions& options)
{
    root.clear();
    for (const QString& folder : folders)
        LoopGetFolders_Notebooks(folder, root, 0, options);
}

std::vector<MResultNode*> PlannedNodes(const MResultNode& root)
{
    std::vector<MResultNode*> nodes;
    CollectNodes(root, nodes);
    return nodes;
}

QString PlannedPath(const MResultNode& node)
{
    QStringList names;
    for (const MResultNode* n = &node; n && n->parent(); n = n->parent())
        names.prepend(n->name);
    return names.join(QLatin1Char('/'));
}
