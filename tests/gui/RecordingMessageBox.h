#pragma once

#include "MessageBox.h"

#include <QStringList>
#include <mutex>

// Records every message the core would show, and answers questions with a preset answer.
class MRecordingMessageBox final : public MMessageBoxHandler
{
public:
    void ShowMessage(const QString& text) override
    {
        const std::lock_guard lock(m_Mutex);
        m_Messages.append(text);
    }
    int AskYesNo(const QString& text) override
    {
        const std::lock_guard lock(m_Mutex);
        m_Questions.append(text);
        return m_Answer ? kAlertSecondButtonReturn : kAlertFirstButtonReturn;
    }
    int AskChoice(const QString& text, const QStringList& answers) override
    {
        const std::lock_guard lock(m_Mutex);
        m_Questions.append(text + QStringLiteral(" [") + answers.join(QStringLiteral(" | ")) + QLatin1Char(']'));
        return m_Choice;
    }
    QStringList Messages() const
    {
        const std::lock_guard lock(m_Mutex);
        return m_Messages;
    }
    QStringList Questions() const
    {
        const std::lock_guard lock(m_Mutex);
        return m_Questions;
    }
    void SetAnswer(bool yes) { m_Answer = yes; }
    void SetChoice(int index) { m_Choice = index; }

private:
    mutable std::mutex m_Mutex;
    QStringList m_Messages;
    QStringList m_Questions;
    bool m_Answer = false;
    int m_Choice = -1;
};

// Installs a recording handler for one scope.
class MRecordingMessageBoxScope
{
public:
    MRecordingMessageBoxScope()
        : m_Box(std::make_shared<MRecordingMessageBox>())
    {
        SetMessageBoxHandler(m_Box);
    }
    ~MRecordingMessageBoxScope() { SetMessageBoxHandler(nullptr); }
    MRecordingMessageBox* operator->() { return m_Box.get(); }

private:
    std::shared_ptr<MRecordingMessageBox> m_Box;
};
