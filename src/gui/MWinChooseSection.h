#pragma once

#include "model/MNotebookNode.h"

#include <QDialog>

class QTreeWidget;
class QTreeWidgetItem;

// A filtered copy of the shared tree from which the user picks one item. `displayScope`: 0 shows
// nothing, 1 notebooks only, 2 notebooks and section groups, anything else every kind. The opener
// sets the scope, runs the window (exec) and reads `idReturn`: "" means nothing was chosen.
class MWinChooseSection : public QDialog
{
    Q_OBJECT
public:
    MWinChooseSection(const MNotebookNode* source, int displayScope, QWidget* parent = nullptr);

    // Copies the children of `source` that the scope shows under `copyParent`, with their shown
    // descendants; a child that is not shown is skipped with its whole subtree.
    static void rebuildTreeONObjects(const MNotebookNode& source, MNotebookNode& copyParent, int displayScope);

    const MNotebookNode& TreeObjects() const { return m_TreeObjects; }
    QTreeWidget* OutlineTree() const { return mOutlineTree; }
    QString idChoose;
    QString idReturn;

    void ButtonOKClick();

private:
    void FillOutline(const MNotebookNode& node, QTreeWidgetItem* parentItem);
    void outlineViewSelectionDidChange();

    int displayScope;
    MNotebookNode m_TreeObjects;
    QTreeWidget* mOutlineTree = nullptr;
};
