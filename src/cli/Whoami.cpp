#include "Whoami.h"

#include "account/MAccount.h"
#include "app/MStrings.h"

MCliWhoami::MCliWhoami()
{
    name = QStringLiteral("whoami");
    description = Localized("cliWhoamiDescription");
}

int MCliWhoami::Execute(const QCommandLineParser&)
{
    const MAccount& account = TheAccount();
    if (account.UserId().isEmpty()
        || (account.OnlineOneNoteAccessToken().isEmpty() && account.OnlineOneNoteRefreshToken().isEmpty())) {
        PrintErr(Localized("cliNotSignedIn"));
        return kExitFailure;
    }
    PrintOut(Localized("cliWhoamiType").arg(account.GetAccountDescription()));
    PrintOut(Localized("cliWhoamiName").arg(account.UserPrincipalName()));
    PrintOut(Localized("cliWhoamiId").arg(account.UserId()));
    PrintOut(account.IsTokenExpired() ? Localized("cliWhoamiTokenExpired") : Localized("cliWhoamiTokenValid"));
    return kExitSuccess;
}
