#pragma once

#include "MPanelBase.h"

class QCheckBox;
class QLineEdit;

// Replace in page titles: the text to find, its replacement and match case. Each retitled page is a
// row with its old and new title; pages that could not be retitled say why.
class MViewReplace : public MPanelBase
{
    Q_OBJECT
public:
    explicit MViewReplace(QWidget* parent = nullptr);

    QLineEdit* mSearch = nullptr;
    QLineEdit* mReplace = nullptr;
    QCheckBox* mCheckMatchCase = nullptr;

protected:
    void StartRun() override;

private:
    bool m_MatchCase = false;
};
