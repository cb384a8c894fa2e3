#pragma once

#include <QString>
#include <QStringList>

class MResultNode;
class MNotebookNode;

// The restore list: a tree whose root's one child is the target (a notebook or section group of the
// notebook tree: its kind and name, its OneNote id, its web address), under which the local folders
// (section groups) and ".one" files (sections) to upload hang, each with its local path.

// The node that receives added items: `selected` when it is the target or a folder, the folder of a
// selected file, else the target; a new target made from `target` when the list is empty. Null when
// there is no target to make.
MResultNode* getSelectedOrAddRoot(MResultNode& listRoot, MResultNode* selected, const MNotebookNode* target);
MResultNode* AddTreeRoot(MResultNode& listRoot, const MNotebookNode& target);

// A ".one" file as a section node (its name without the extension).
MResultNode* AddSectionFile(MResultNode& parent, const QString& path);
// The contents of a local folder, folders and ".one" files (any case) at every depth, in name order;
// other files are left out, and a folder reached twice through links is walked once.
void LoopGetAFolderFiles(const QString& folder, MResultNode& parent);
// Whether a file name is a section file's: extension "one", any case.
bool IsSectionFileName(const QString& name);

// Forgets what a run made of the list (outcomes, sizes, and the ids a run found; each target keeps
// its OneNote id).
void ResetRestoreList(MResultNode& list);
