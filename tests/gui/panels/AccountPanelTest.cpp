#include "../GuiTestSupport.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "panels/MViewAccount.h"

#include <QPushButton>
#include <gtest/gtest.h>

TEST(AccountPanel, ShowsTheAccountAndSignsInAgainThroughTheController)
{
    GuiApp();
    SetStringTableLanguage(QStringLiteral("en"));
    MAccount& account = TheAccount();
    account.Reset();
    account.setMSAccountType(MAccount::GlobalWork);
    account.setUserId(QStringLiteral("user-7"));
    account.setUserPrincipalName(QStringLiteral("ann@contoso.com"));

    MViewAccount panel;
    EXPECT_EQ(panel.AccountText(), QStringLiteral("ann@contoso.com"));
    EXPECT_EQ(panel.AccountIdText(), QStringLiteral("user-7"));
    EXPECT_EQ(panel.AccountTypeText(), account.GetAccountDescription());
    EXPECT_EQ(panel.LoginButtonText(), Localized("StrLogin"));

    // The controller's sign-in ends signed out: the labels follow at once.
    int runs = 0;
    panel.SetLoginAction([&] {
        ++runs;
        account.Reset();
    });
    panel.findChild<QPushButton*>(QStringLiteral("mButtonLogin"))->click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(panel.AccountText(), QString());
    EXPECT_EQ(panel.LoginButtonText(), Localized("StrReLogin"));
    account.Reset();
    account.setMSAccountType(MAccount::NoAccount);
}
