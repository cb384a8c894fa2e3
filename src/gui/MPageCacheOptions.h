#pragma once

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The page cache's part of the Options window: whether pages read are kept ("PageCache") and how
// much they may take ("PageCacheMB"), stored by Save (the window's OK); what the cache holds now;
// and "Clear the page cache", which empties it at once.
class MPageCacheOptions : public QGroupBox
{
    Q_OBJECT
public:
    explicit MPageCacheOptions(QWidget* parent = nullptr);

    bool Save() const;
    void ClearCache();
    // "Holds 1,234 pages, 12 MB on disk."
    QString SizeText() const;

    QCheckBox* cbPageCache = nullptr;
    QLineEdit* tfPageCacheMB = nullptr;
    QPushButton* btnClearPageCache = nullptr;

private:
    void ShowSize();

    QLabel* m_Size = nullptr;
};
