#pragma once

#include "MPanelBase.h"

#include <functional>

class QLabel;
class QPushButton;

// The account panel: who is signed in, with which kind of account, and a button to sign in again.
class MViewAccount : public MPanelBase
{
    Q_OBJECT
public:
    explicit MViewAccount(QWidget* parent = nullptr);

    // What the sign-in button runs (the controller's LoginAccount).
    void SetLoginAction(std::function<void()> action) { m_LoginAction = std::move(action); }

    void ClearAndReload() override { LoaValue(); }
    void LoaValue();

    QString AccountText() const;
    QString AccountIdText() const;
    QString AccountTypeText() const;
    QString LoginButtonText() const;

private:
    void ButtonReLoginClick();

    QLabel* mLabelAccount = nullptr;
    QLabel* mLabelAccountId = nullptr;
    QLabel* mLabelAccountType = nullptr;
    QPushButton* mButtonLogin = nullptr;
    std::function<void()> m_LoginAction;
};
