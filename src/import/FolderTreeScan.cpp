#include "FolderTreeScan.h"

#include "model/MONObject.h"
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

MONObject* AddNode(MONObject& parent, quint64 type, const QFileInfo& entry)
{
    const QString notebook = type == MONObject::Notebook ? entry.fileName() : parent.parentNotebookUrl;
    return parent.addSubObject(type, QString(), entry.fileName(), QString(), QString(), QString(), entry.filePath(),
        QString(), parent.contentUrl, notebook);
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

void CollectNodes(const MONObject& node, std::vector<MONObject*>& nodes)
{
    for (const auto& child : node.children()) {
        nodes.push_back(child.get());
        CollectNodes(*child, nodes);
    }
}

} // namespace

void LoopGetFolders_Notebooks(const QString& folder, MONObject& parent, int level, const MImportTreeOptions& options)
{
    for (const QFileInfo& entry : Entries(folder)) {
        // A link to a folder above would never end.
        if (!entry.isDir() || entry.isSymLink())
            continue;
        if (options.skipHtmlFilesSubFolders && IsPictureFolderOfAPage(entry.fileName()))
            continue;
        if (level == 0 && options.firstSubIsNotebook) {
            MONObject* notebook = AddNode(parent, MONObject::Notebook, entry);
            LoopGetFolders_Notebooks(entry.filePath(), *notebook, 1, options);
            continue;
        }
        if (CountSubpaths(entry.filePath()) == 0) {
            // An empty folder: an empty section.
            AddNode(parent, MONObject::Section, entry);
            continue;
        }
        MONObject* group = AddNode(parent, MONObject::SectionGroup, entry);
        if (CountFilesInFolder(entry.filePath()) > 0) {
            MONObject* section = AddNode(*group, MONObject::Section, entry);
            LoopGetFolders_Pages(entry.filePath(), *section, options);
            if (section->childCount() == 0)
                group->clear();
        }
        LoopGetFolders_Notebooks(entry.filePath(), *group, level + 1, options);
    }
}

void LoopGetFolders_Pages(const QString& folder, MONObject& section, const MImportTreeOptions& options)
{
    for (const QFileInfo& entry : Entries(folder)) {
        if (entry.isDir() || !TakesFile(entry.fileName(), options))
            continue;
        AddNode(section, kPageNode, entry);
    }
}

void ScanImportTree(const QStringList& folders, MONObject& root, const MImportTreeOptions& options)
{
    root.clear();
    for (const QString& folder : folders)
        LoopGetFolders_Notebooks(folder, root, 0, options);
}

std::vector<MONObject*> PlannedNodes(const MONObject& root)
{
    std::vector<MONObject*> nodes;
    CollectNodes(root, nodes);
    return nodes;
}

QString PlannedPath(const MONObject& node)
{
    QStringList names;
    for (const MONObject* n = &node; n && n->parent(); n = n->parent())
        names.prepend(n->name);
    return names.join(QLatin1Char('/'));
}
