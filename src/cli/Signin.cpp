#include "Signin.h"

#include "account/MAccount.h"
#include "app/MStrings.h"

#include <QUrl>

namespace {

// The identity service's own reason when it redirects with an error instead of a code.
QString RedirectError(const QString& redirect)
{
    const QString error = GetFieldValueFromURL(redirect, QStringLiteral("error"));
    if (error.isEmpty())
        return QString();
    QString description = GetFieldValueFromURL(redirect, QStringLiteral("error_description"));
    description = QUrl::fromPercentEncoding(description.replace(QLatin1Char('+'), QLatin1Char(' ')).toUtf8());
    return description.isEmpty() ? error : QStringLiteral("%1: %2").arg(error, description);
}

} // namespace

std::optional<int> AccountTypeFromWord(const QString& word)
{
    if (word == QLatin1String("personal"))
        return MAccount::Personal;
    if (word == QLatin1String("work"))
        return MAccount::GlobalWork;
    if (word == QLatin1String("china"))
        return MAccount::ChinaWork;
    if (word == QLatin1String("onenote"))
        return MAccount::OneNotePersonal;
    return std::nullopt;
}

MCliSignin::MCliSignin()
    : m_Type(QStringLiteral("type"), Localized("cliSigninOptionType"), QStringLiteral("personal|work|china|onenote"))
    , m_Redirect(QStringLiteral("redirect"), Localized("cliSigninOptionRedirect"), QStringLiteral("URL"))
{
    name = QStringLiteral("signin");
    description = Localized("cliSigninDescription");
    options = {m_Type, m_Redirect};
}

int MCliSignin::Execute(const QCommandLineParser& parser)
{
    const std::optional<int> type = AccountTypeFromWord(parser.value(m_Type));
    if (!type) {
        PrintErr(Localized("cliSigninNeedsType"));
        return kExitUsage;
    }
    MAccount& account = TheAccount();
    if (!parser.isSet(m_Redirect)) {
        // Only the address: the stored sign-in stays as it is until the code comes back.
        account.setMSAccountType(*type);
        PrintOut(account.GetLoginUrl());
        return kExitSuccess;
    }

    const QString redirect = parser.value(m_Redirect);
    const QString code = redirect.contains(QLatin1String("code="))
        ? GetFieldValueFromURL(redirect, QStringLiteral("code"))
        : QString();
    if (code.isEmpty()) {
        const QString reason = RedirectError(redirect);
        PrintErr(reason.isEmpty() ? Localized("cliSigninNoCode") : Localized("cliSigninRefused").arg(reason));
        return kExitFailure;
    }
    // As in the desktop's sign-in window: choosing the kind of account starts from a clean account.
    account.setMSAccountType(*type);
    account.Reset();
    account.setOnlineOneNoteCode(code);
    account.GetTokens(true, QString());
    if (account.OnlineOneNoteAccessToken().isEmpty() || account.UserId().isEmpty()) {
        PrintErr(Localized("cliSigninFailed"));
        return kExitFailure;
    }
    PrintOut(Localized("cliSignedIn").arg(account.UserPrincipalName(), account.GetAccountDescription()));
    return kExitSuccess;
}
