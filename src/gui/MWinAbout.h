#pragma once

#include <QDialog>

class QLabel;

// The program's version and two ways to reach the maker: the web site and a support e-mail.
class MWinAbout : public QDialog
{
    Q_OBJECT
public:
    explicit MWinAbout(QWidget* parent = nullptr);

    QLabel* tfVersion = nullptr;

    static QString WebsiteUrl();
    static QString SupportMailUrl();
    void buttonLabelWebsiteClick();
    void buttonLabelSupportClick();
};
