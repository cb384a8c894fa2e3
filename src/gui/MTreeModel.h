#pragma once

#include <QAbstractItemModel>

class MONObject;

// The notebook outline over the shared tree: one column, the node's name with its icon and a check
// box. Checking a row pushes the state down to every descendant and recomputes the ancestors (one is
// checked when any of its children is). The model does not own the tree; call Reload after the tree
// has been rebuilt.
class MTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit MTreeModel(MONObject* root, QObject* parent = nullptr);

    MONObject* Root() const { return m_Root; }
    MONObject* NodeAt(const QModelIndex& index) const;
    QModelIndex IndexOf(const MONObject* node) const;

    // The tree changed shape (rebuilt, emptied): every view forgets its rows.
    void Reload();
    // Sets the root's state, pushes it through the whole tree and repaints every row.
    void SetAllChecked(bool checked);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Check states changed anywhere: repaint every row (no row is added or removed).
    void EmitAllChanged(const QModelIndex& parent);

    MONObject* m_Root;
};
