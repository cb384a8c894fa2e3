#pragma once

#include "MessageBox.h"
#include "model/MOLONUtils.h"

// The core's alerts and yes/no questions as modal message boxes. Callable from any thread: a worker
// waits until the user has answered on the main thread.
class MDesktopMessageBox final : public MMessageBoxHandler
{
public:
    void ShowMessage(const QString& text) override;
    int AskYesNo(const QString& text) override;
    // The last answer is the one Escape gives.
    int AskChoice(const QString& text, const QStringList& answers) override;
};

// "onenote:" links to the registered desktop client; where none is registered, the https part opens
// in the browser.
class MDesktopLinkOpener final : public MLinkOpener
{
public:
    void OpenLink(const QString& link) override;
};

// Installs both for the process.
void InstallDesktopHandlers();
// Opens an http(s) or mailto address with the desktop's default program.
void OpenInBrowser(const QString& url);
