#pragma once

#include <QString>
#include <memory>
#include <vector>

// One node of the notebook tree: the invisible root (objType 0), a notebook (1), a section group (2)
// or a section (3). Panels also use it as a scratch node through its spare fields. A node owns its
// children; `parent` is a plain back pointer.
class MONObject
{
public:
    enum Type : quint64 { Root = 0, Notebook = 1, SectionGroup = 2, Section = 3 };

    MONObject() = default;
    MONObject(quint64 objType, const QString& objId, const QString& name, const QString& embedUrl,
        const QString& clientUrl, const QString& webUrl, const QString& contentUrl, const QString& selfUrl,
        const QString& parentSectionGroupUrl, const QString& parentNotebookUrl);
    MONObject(const MONObject&) = delete;
    MONObject& operator=(const MONObject&) = delete;

    bool isDefault = false;
    bool boolValue = false;
    quint64 objType = Root;
    QString objId = QStringLiteral("");
    QString name = QStringLiteral("");
    QString embedUrl = QStringLiteral("");
    QString clientUrl = QStringLiteral("");
    QString webUrl = QStringLiteral("");
    QString contentUrl = QStringLiteral("");
    QString selfUrl = QStringLiteral("");
    QString sectionsUrl = QStringLiteral("");
    QString sectionGroupsUrl = QStringLiteral("");
    QString pagesUrl = QStringLiteral("");
    QString parentSectionGroupUrl = QStringLiteral("");
    QString parentNotebookUrl = QStringLiteral("");
    QString userRole; // a null QString means absent
    QString createdBy; // absent until the tree builder sets it
    QString creatorId; // absent until the tree builder sets it
    qint64 intValue = 0; // check state: 0 unchecked, anything else checked
    QString strValue = QStringLiteral("");
    qint64 intValue64 = 0;

    MONObject* parent() const { return m_Parent; }
    const std::vector<std::unique_ptr<MONObject>>& children() const { return m_Children; }
    MONObject* child(size_t index) const { return m_Children.at(index).get(); }
    size_t childCount() const { return m_Children.size(); }
    // Position of this node in its parent's children, or -1 for the root.
    qsizetype indexInParent() const;

    MONObject* addSubObject(quint64 objType, const QString& objId, const QString& name, const QString& embedUrl,
        const QString& clientUrl, const QString& webUrl, const QString& contentUrl, const QString& selfUrl,
        const QString& parentSectionGroupUrl, const QString& parentNotebookUrl);
    // Appends a copy of `source` without its children, isDefault, userRole, createdBy, creatorId and
    // intValue64.
    MONObject* copyAdd(const MONObject& source);
    void clear();
    // Exchanges the children of the two nodes (their parent links follow), so that a tree built
    // elsewhere can take the place of this one's in one step.
    void swapChildren(MONObject& other);

    // A deep copy of this node and its subtree with every field: the snapshot a task walks, so a tree
    // refresh on the main thread never frees nodes under a running task.
    std::unique_ptr<MONObject> CloneTree() const;

    // First checked node of the kind in depth-first pre-order below `node` (the node itself excluded).
    static MONObject* GetFirstCheckedNotebook(const MONObject* node);
    static MONObject* GetFirstCheckedSectionGroup(const MONObject* node);
    static MONObject* GetFirstCheckedSection(const MONObject* node);

    // Case-insensitive lookups in depth-first pre-order below `start`; an empty key finds nothing.
    static MONObject* GetObjectByObjId(const QString& objId, const MONObject* start);
    static MONObject* GetObjectByUrl(const QString& url, const MONObject* start);
    // A child of `parent` of the type whose name matches ignoring case; with onlySub false a
    // non-matching child is searched before the next child is looked at.
    static MONObject* GetObjectByName(const QString& name, const MONObject* parent, quint64 objType, bool onlySub);
    // As above with the parent found by its selfUrl below this node (this node when the URL is empty).
    MONObject* GetObjectByName(const QString& name, const QString& parentSelfUrl, quint64 objType, bool onlySub) const;

    // Removes the node numbered `index` in pre-order below `parent`, counting in `current` (start it
    // at 0 and pass the root: index 1 is the first node, as an outline numbers its rows).
    static bool delObjectByIndex(qint64 index, MONObject* parent, qint64& current);

private:
    MONObject* Append(std::unique_ptr<MONObject> node);

    MONObject* m_Parent = nullptr;
    std::vector<std::unique_ptr<MONObject>> m_Children;
};

// Sets intValue of every node below `node` to the node's own value.
void CheckChildrenCheckBox(MONObject* node);
// Recomputes every ancestor of `node`: checked when any child is checked.
void CheckParentCheckBox(MONObject* node);
// What a click on a row's check box does: set, push down, recompute up.
void SetCheckState(MONObject* node, qint64 state);
