#pragma once

#include "MTreeNode.h"

#include <QString>

// The addresses of a notebook or section group (or a section, which has pages) on the service:
// where its own children are listed and made.
struct MContainerUrls
{
    QString selfUrl;
    QString sectionsUrl;
    QString sectionGroupsUrl;
    QString pagesUrl;
};

// One node of the notebook tree as the service lists it: the invisible root, a notebook, a section
// group or a section, with the check box the user ticks to choose what a feature works on.
class MNotebookNode : public MTreeNode<MNotebookNode>, public MContainerUrls
{
public:
    MNodeKind kind = MNodeKind::Root;
    bool checked = false;
    bool isDefault = false;
    QString id;
    QString name;
    QString embedUrl;
    QString clientUrl;
    QString webUrl;
    QString contentUrl;
    QString parentSectionGroupUrl;
    QString parentNotebookUrl;
    QString userRole; // a null QString means absent
    QString createdBy; // absent until the tree builder sets it
    QString creatorId; // absent until the tree builder sets it

    // A notebook with a role other than "Owner": another account's, shared with this one.
    bool Shared() const { return !userRole.isEmpty() && userRole != QLatin1String("Owner"); }

    // Appends a child of the kind with its id and name.
    MNotebookNode* AddChild(MNodeKind kind, const QString& id, const QString& name);
    using MTreeNode::AddChild;

    // First checked node of the kind in depth-first pre-order below `node` (the node itself excluded).
    static MNotebookNode* GetFirstCheckedNotebook(const MNotebookNode* node);
    static MNotebookNode* GetFirstCheckedSectionGroup(const MNotebookNode* node);
    static MNotebookNode* GetFirstCheckedSection(const MNotebookNode* node);

    // Case-insensitive lookups in depth-first pre-order below `start`; an empty key finds nothing.
    static MNotebookNode* GetObjectById(const QString& id, const MNotebookNode* start);
    static MNotebookNode* GetObjectByUrl(const QString& url, const MNotebookNode* start);
    // A child of `parent` of the kind whose name matches ignoring case; with onlySub false a
    // non-matching child is searched before the next child is looked at.
    static MNotebookNode* GetObjectByName(
        const QString& name, const MNotebookNode* parent, MNodeKind kind, bool onlySub);
    // As above with the parent found by its selfUrl below this node (this node when the URL is empty).
    MNotebookNode* GetObjectByName(
        const QString& name, const QString& parentSelfUrl, MNodeKind kind, bool onlySub) const;
};

// Ticks every node below `node` as the node is ticked.
void CheckChildrenCheckBox(MNotebookNode* node);
// Recomputes every ancestor of `node`: checked when any child is checked.
void CheckParentCheckBox(MNotebookNode* node);
// What a click on a row's check box does: set, push down, recompute up.
void SetCheckState(MNotebookNode* node, bool checked);
