#pragma once

#include <QString>
#include <QStringList>

class MONObject;
class MNotebookNode;

// The restore list: a tree whose root's one child is the target (a notebook or section group of the
// notebook tree: its type and name, its OneNote id in contentUrl, its webUrl), under which the local
// folders (type 2) and ".one" files (type 3) to upload hang, each with its local path in contentUrl.

// The node that receives added items: `selected` when it is the target or a folder, the folder of a
// selected file, else the target; a new target made from `target` when the list is empty. Null when
// there is no target to make.
MONObject* getSelectedOrAddRoot(MONObject& listRoot, MONObject* selected, const MNotebookNode* target);
MONObject* AddTreeRoot(MONObject& listRoot, const MNotebookNode& target);

// A ".one" file as a section node (its name without the extension).
MONObject* AddSectionFile(MONObject& parent, const QString& path);
// The contents of a local folder, folders and ".one" files (any case) at every depth, in name order;
// other files are left out, and a folder reached twice through links is walked once.
void LoopGetAFolderFiles(const QString& folder, MONObject& parent);
// Whether a file name is a section file's: extension "one", any case.
bool IsSectionFileName(const QString& name);

// Resets every status below `node` before a run (intValue, intValue64, strValue, and the ids a run
// found; the target keeps its OneNote id).
void InitONObjectState(MONObject& node);
