#include "MViewAccount.h"

#include "MIcons.h"
#include "account/MAccount.h"
#include "app/MStrings.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel* ValueLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

MViewAccount::MViewAccount(QWidget* parent)
    : MPanelBase(Localized("guiTipAccount"), parent)
{
    SetStartRowVisible(false);
    SetResultAreaVisible(false);

    auto* intro = new QLabel(Localized("guiAccountIntro"), this);
    intro->setWordWrap(true);
    ContentLayout()->addWidget(intro);

    auto* form = new QFormLayout();
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(16);
    form->setVerticalSpacing(10);
    mLabelAccount = ValueLabel(this);
    mLabelAccountId = ValueLabel(this);
    mLabelAccountType = ValueLabel(this);
    form->addRow(Localized("guiAccountName"), mLabelAccount);
    form->addRow(Localized("guiAccountId"), mLabelAccountId);
    form->addRow(Localized("guiAccountType"), mLabelAccountType);
    ContentLayout()->addLayout(form);

    auto* row = new QHBoxLayout();
    mButtonLogin = new QPushButton(this);
    mButtonLogin->setObjectName(QStringLiteral("mButtonLogin"));
    mButtonLogin->setIcon(ResourceIcon(QStringLiteral("Account")));
    connect(mButtonLogin, &QPushButton::clicked, this, &MViewAccount::ButtonReLoginClick);
    row->addWidget(mButtonLogin);
    row->addStretch(1);
    ContentLayout()->addLayout(row);
    ContentLayout()->addStretch(1);

    LoaValue();
}

void MViewAccount::LoaValue()
{
    const MAccount& account = TheAccount();
    mLabelAccount->setText(account.UserPrincipalName());
    mLabelAccountId->setText(account.UserId());
    mLabelAccountType->setText(account.GetAccountDescription());
    // "StrLogin" is the signed-in text ("use another account"), "StrReLogin" the signed-out one.
    mButtonLogin->setText(Localized(account.UserId().isEmpty() ? "StrReLogin" : "StrLogin"));
}

QString MViewAccount::AccountText() const
{
    return mLabelAccount->text();
}

QString MViewAccount::AccountIdText() const
{
    return mLabelAccountId->text();
}

QString MViewAccount::AccountTypeText() const
{
    return mLabelAccountType->text();
}

QString MViewAccount::LoginButtonText() const
{
    return mButtonLogin->text();
}

void MViewAccount::ButtonReLoginClick()
{
    if (m_LoginAction)
        m_LoginAction();
    LoaValue();
}
