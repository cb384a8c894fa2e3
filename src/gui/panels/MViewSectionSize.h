#pragma once

#include "MOutlinePanel.h"

// How much OneDrive storage the checked notebooks, section groups and sections take: the outline
// mirrors the checked part of the tree with each item's size, "Non-creator" for a notebook of
// another account and "Not found" for an item without its folder or file.
class MViewSectionSize : public MOutlinePanel
{
    Q_OBJECT
public:
    explicit MViewSectionSize(QWidget* parent = nullptr);

protected:
    void StartRun() override;
    QString ClosingLine(const MOutcomeCounts& counts) const override;
};
