#pragma once

#include "MNodeModel.h"
#include "model/MResultNode.h"

#include <QString>
#include <functional>
#include <vector>

// The outline of a panel that builds a tree of its own (folder-tree import, lost sections, copy,
// restore, section sizes, search results): the node's name with an icon by its type, optionally a
// check box, the panel's own text columns, and a status column by the one rule of NodeStatus.
class MOutlineModel : public MNodeModel<MResultNode>
{
    Q_OBJECT
public:
    // A text column of the panel's own ("path", ...).
    struct Column
    {
        QString title;
        std::function<QString(const MResultNode&)> text;
    };

    struct Options
    {
        QString nameTitle; // header of the name column
        bool checkable = false; // a check box on every row, its state in the node's `checked`
        std::vector<Column> columns; // between the name and the status
        bool status = true; // a status column (last)
        QString statusTitle;
        // The icon name of a node (resources/icons); by default the node kind's.
        std::function<QString(const MResultNode&)> iconName;
    };

    MOutlineModel(MResultNode* root, Options options, QObject* parent = nullptr);

    int StatusColumn() const;
    // A node's status changed (the worker posted it): repaint its row.
    void NodeChanged(const MResultNode* node);
    // Many nodes changed: repaint every row.
    void AllChanged();

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    Options m_Options;
};
