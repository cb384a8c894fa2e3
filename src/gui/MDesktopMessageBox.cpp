#include "MDesktopMessageBox.h"

#include "MainThread.h"
#include "app/AppPaths.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

QWidget* DialogParent()
{
    return QApplication::activeWindow();
}

} // namespace

void MDesktopMessageBox::ShowMessage(const QString& text)
{
    RunOnMainThread([&text] {
        QMessageBox box(
            QMessageBox::Information, QLatin1String(kApplicationName), text, QMessageBox::Ok, DialogParent());
        box.exec();
    });
}

int MDesktopMessageBox::AskYesNo(const QString& text)
{
    int answer = kAlertFirstButtonReturn;
    RunOnMainThread([&text, &answer] {
        QMessageBox box(
            QMessageBox::Question, QLatin1String(kApplicationName), text, QMessageBox::NoButton, DialogParent());
        box.addButton(QMessageBox::No);
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        box.setDefaultButton(yes);
        box.exec();
        if (box.clickedButton() == yes)
            answer = kAlertSecondButtonReturn;
    });
    return answer;
}

int MDesktopMessageBox::AskChoice(const QString& text, const QStringList& answers)
{
    int answer = -1;
    RunOnMainThread([&text, &answers, &answer] {
        QMessageBox box(
            QMessageBox::Question, QLatin1String(kApplicationName), text, QMessageBox::NoButton, DialogParent());
        QList<QPushButton*> buttons;
        for (const QString& label : answers)
            buttons.append(box.addButton(label, QMessageBox::AcceptRole));
        if (buttons.isEmpty())
            return;
        box.setDefaultButton(buttons.first());
        box.setEscapeButton(buttons.last());
        box.exec();
        answer = int(buttons.indexOf(static_cast<QPushButton*>(box.clickedButton())));
    });
    return answer;
}

void MDesktopLinkOpener::OpenLink(const QString& link)
{
    const QString target = link;
    RunOnMainThread([target] {
        // QDesktopServices answers false when no program is registered for the "onenote" scheme.
        if (target.startsWith(QLatin1String("onenote:")) && QDesktopServices::openUrl(QUrl(target)))
            return;
        QDesktopServices::openUrl(QUrl(OneNoteLinkWebPart(target)));
    });
}

void InstallDesktopHandlers()
{
    SetMessageBoxHandler(std::make_shared<MDesktopMessageBox>());
    SetLinkOpener(std::make_shared<MDesktopLinkOpener>());
}

void OpenInBrowser(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}
