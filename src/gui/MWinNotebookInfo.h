#pragma once

#include <QDialog>

class MONObject;
class QPlainTextEdit;

// A read-only text with a notebook's name and links and, for a notebook shared with the account,
// who created it.
class MWinNotebookInfo : public QDialog
{
    Q_OBJECT
public:
    explicit MWinNotebookInfo(QWidget* parent = nullptr);

    void SetONObj(const MONObject* notebook);
    static QString DisplayMessage(const MONObject& notebook);
    QString Text() const;

private:
    QPlainTextEdit* m_NSTVInfo = nullptr;
};
