#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// Answer codes of AskYesNo: the first button is "NO", the second "YES". Only the second is consent.
inline constexpr int kAlertFirstButtonReturn = 1000;
inline constexpr int kAlertSecondButtonReturn = 1001;

// How the desktop's windows and reporters show a message to the user: the application installs
// modal alerts (safe to call from a worker: it waits for the answer), tests record. The core never
// calls these: it returns its failures or tells them to its reporter.
class MMessageBoxHandler
{
public:
    virtual ~MMessageBoxHandler() = default;
    virtual void ShowMessage(const QString& text) = 0;
    // Returns kAlertFirstButtonReturn ("NO") or kAlertSecondButtonReturn ("YES").
    virtual int AskYesNo(const QString& text) = 0;
    // A question with more than two answers, one button each in the given order; the index of the
    // answer given, or -1 when the question was dismissed. Where nobody can answer, nothing is chosen.
    virtual int AskChoice(const QString& text, const QStringList& answers)
    {
        Q_UNUSED(answers)
        ShowMessage(text);
        return -1;
    }
};

// Installs the handler for the whole process; nullptr restores the default, which writes to
// standard error and answers "NO".
void SetMessageBoxHandler(std::shared_ptr<MMessageBoxHandler> handler);

void ShowMessageBox(const QString& text);
int AskYesNo(const QString& text);
int AskChoice(const QString& text, const QStringList& answers);
