#pragma once

#include <QDialog>

class MPageCacheOptions;
class QLabel;
class QLineEdit;

// The request pauses, two whole numbers of seconds, and the application ids the user registered
// with Microsoft (ClientId_Graph, ClientId_OneNote). OK stores them and saves the settings at once,
// unless an id is no GUID: then it says so and the window stays; Cancel (or closing the window)
// changes nothing. Below them, the page cache's part (MPageCacheOptions).
class MWinOptions : public QDialog
{
    Q_OBJECT
public:
    explicit MWinOptions(QWidget* parent = nullptr);

    // The number a field's text starts with, as typed (no range check); 0 when it does not start
    // with digits (after blanks and an optional sign).
    static qint64 LeadingInteger(const QString& text);

    QLineEdit* tfUploadInterval = nullptr;
    QLineEdit* tfDownloadInterval = nullptr;
    QLineEdit* tfClientIdGraph = nullptr;
    QLineEdit* tfClientIdOneNote = nullptr;
    MPageCacheOptions* pageCache = nullptr;

    void ButtonOKClick();
    QString Problem() const;
    void ButtonCancelClick() { reject(); }

private:
    void windowDidLoad();
    QLabel* m_Problem = nullptr;
};
