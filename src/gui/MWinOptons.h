#pragma once

#include <QDialog>

class QLineEdit;

// The request pauses: two whole numbers of seconds. OK stores them and saves the settings at once;
// Cancel (or closing the window) changes nothing.
class MWinOptons : public QDialog
{
    Q_OBJECT
public:
    explicit MWinOptons(QWidget* parent = nullptr);

    // The number a field's text starts with, as typed (no range check); 0 when it does not start
    // with digits (after blanks and an optional sign).
    static qint64 LeadingInteger(const QString& text);

    QLineEdit* tfUploadInterval = nullptr;
    QLineEdit* tfDownloadInterval = nullptr;

    void ButtonOKClick();
    void ButtonCancelClick() { reject(); }

private:
    void windowDidLoad();
};
