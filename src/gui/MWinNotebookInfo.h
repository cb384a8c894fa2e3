#pragma once

#include <QDialog>

class MNotebookNode;
class QPlainTextEdit;

// A read-only text with a notebook's name and links and, for a notebook shared with the account,
// who created it.
class MWinNotebookInfo : public QDialog
{
    Q_OBJECT
public:
    explicit MWinNotebookInfo(QWidget* parent = nullptr);

    void SetONObj(const MNotebookNode* notebook);
    static QString DisplayMessage(const MNotebookNode& notebook);
    QString Text() const;

private:
    QPlainTextEdit* m_NSTVInfo = nullptr;
};
