#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class MResultNode;

// The planned tree of a folder-tree import: folders become notebooks, section groups and sections,
// text and HTML files pages. A node's path is its local file or folder.

struct MImportTreeOptions
{
    bool txtFiles = true; // take ".txt" files
    bool htmlFiles = true; // take ".htm" and ".html" files
    bool skipHtmlFilesSubFolders = true; // leave out the "<page>_files" folders saved with HTML pages
    bool firstSubIsNotebook = false; // the first folder level makes notebooks
};

// The nodes for the folders in `folder` under `parent`, at `level` (0 for a chosen folder). Files
// directly in a chosen folder, or in one that makes a notebook, are not imported. Entries are taken
// in the order of their names.
void LoopGetFolders_Notebooks(const QString& folder, MResultNode& parent, int level, const MImportTreeOptions& options);
// A page node under `section` for every file of the folder the options take.
void LoopGetFolders_Pages(const QString& folder, MResultNode& section, const MImportTreeOptions& options);
// Empties `root` and plans every chosen folder below it.
void ScanImportTree(const QStringList& folders, MResultNode& root, const MImportTreeOptions& options);

// Every node below `root` in outline order (a node before its children): the run's items, numbered
// as its rows are.
std::vector<MResultNode*> PlannedNodes(const MResultNode& root);
// "Travel/Lisbon/day one.txt": the names from the top of the planned tree down to the node.
QString PlannedPath(const MResultNode& node);
