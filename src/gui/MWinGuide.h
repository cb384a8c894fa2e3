#pragma once

#include <QDialog>

class QTextBrowser;

// The registration guide "Use it with your Microsoft account" (docs/microsoft-account.md, compiled in),
// shown in a window of its own so that it can stay open beside the sign-in window while the user
// works in the admin center. Its links open in the browser.
class MWinGuide : public QDialog
{
    Q_OBJECT
public:
    explicit MWinGuide(QWidget* parent = nullptr);

    // Shows the one guide window, made on first use.
    static void Open(QWidget* parent);
    // The guide's Markdown text, "" when the resource is missing.
    static QString Text();

    QTextBrowser* Browser() const { return m_Browser; }

private:
    QTextBrowser* m_Browser = nullptr;
};
