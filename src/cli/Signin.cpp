#include "Signin.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "tasks/MPageCache.h"

namespace {

// Where the Debian package puts the registration guide (the source tree has it in docs/).
constexpr const char* kGuidePath = "/usr/share/doc/pagewright/microsoft-account.md";

// The message names the id; the second line says how to set another from here.
void PrintUnknownApplication(int type)
{
    PrintErr(UnknownApplicationMessage(TheAccount().GetAPIClientID(type)));
    PrintErr(Localized("cliSigninSetClientId").arg(MAccount::ClientIdKey(type)));
}

QString Reason(const MIdentityError& error)
{
    return error.description.isEmpty() ? error.error : QStringLiteral("%1: %2").arg(error.error, error.description);
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
    , m_Device(QStringLiteral("device"), Localized("cliSigninOptionDevice"))
{
    name = QStringLiteral("signin");
    description = Localized("cliSigninDescription");
    options = {m_Type, m_Redirect, m_Device};
}

int MCliSignin::Execute(const QCommandLineParser& parser)
{
    const std::optional<int> type = AccountTypeFromWord(parser.value(m_Type));
    if (!type) {
        PrintErr(Localized("cliSigninNeedsType"));
        return kExitUsage;
    }
    if (parser.isSet(m_Redirect) && parser.isSet(m_Device)) {
        PrintErr(Localized("cliSigninRedirectOrDevice"));
        return kExitUsage;
    }
    MAccount& account = TheAccount();
    if (account.GetAPIClientID(*type).isEmpty()) {
        PrintErr(Localized("cliSigninNoClientId").arg(QLatin1String(kGuidePath), MAccount::ClientIdKey(*type)));
        return kExitUsage;
    }
    if (parser.isSet(m_Device))
        return SignInWithDevice(*type);
    if (parser.isSet(m_Redirect))
        return FinishWithRedirect(*type, parser.value(m_Redirect));
    // Only the address: the stored sign-in stays as it is until the code comes back; the verifier
    // and state wait in the settings for the second step.
    account.setMSAccountType(*type);
    PrintOut(account.BeginAuthorization());
    return kExitSuccess;
}

int MCliSignin::FinishWithRedirect(int type, const QString& redirect)
{
    MAccount& account = TheAccount();
    const MAuthorizationReply reply = account.ReadAuthorizationReply(redirect);
    if (reply.error && reply.error->IsUnknownApplication()) {
        PrintUnknownApplication(type);
        return kExitUsage;
    }
    if (reply.error) {
        PrintErr(Localized("cliSigninRefused").arg(Reason(*reply.error)));
        return kExitFailure;
    }
    if (reply.code.isEmpty()) {
        PrintErr(Localized("cliSigninNoCode"));
        return kExitFailure;
    }
    if (!reply.stateMatches) {
        PrintErr(Localized("cliSigninWrongState"));
        return kExitFailure;
    }
    // As in the desktop's sign-in window: choosing the kind of account starts from a clean account.
    account.setMSAccountType(type);
    account.Reset();
    account.setOnlineOneNoteCode(reply.code);
    if (const MTokenFailure failure = account.GetTokens(QString()))
        PrintErr(*failure);
    if (account.OnlineOneNoteAccessToken().isEmpty() || account.UserId().isEmpty()) {
        const std::optional<MIdentityError> error = account.LastSignInError();
        if (error && error->IsUnknownApplication()) {
            PrintErr(Localized("cliSigninSetClientId").arg(MAccount::ClientIdKey(type)));
            return kExitUsage;
        }
        PrintErr(Localized("cliSigninFailed"));
        return kExitFailure;
    }
    PrintOut(Localized("cliSignedIn").arg(account.UserPrincipalName(), account.GetAccountDescription()));
    return kExitSuccess;
}

int MCliSignin::SignInWithDevice(int type)
{
    MAccount& account = TheAccount();
    if (account.GetDeviceCodeUrl(type).isEmpty()) {
        PrintErr(Localized("cliSigninDeviceNotForOneNote"));
        return kExitUsage;
    }
    std::atomic<bool> running {true};
    const MStopOnSignal stopOnSignal(running);
    const MDeviceSignInResult result = account.SignInWithDeviceCode(
        type,
        [](const MDeviceCode& code) {
            PrintErr(Localized("cliSigninDeviceCode")
                         .arg(code.verificationUri, code.userCode, QString::number((code.expiresIn + 59) / 60)));
        },
        &running);
    const QString detail = result.detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(result.detail);
    switch (result.end) {
    case MDeviceSignInEnd::SignedIn:
        PrintOut(Localized("cliSignedIn").arg(account.UserPrincipalName(), account.GetAccountDescription()));
        return kExitSuccess;
    case MDeviceSignInEnd::Declined:
        PrintErr(Localized("cliSigninDeclined") + detail);
        return kExitDeclined;
    case MDeviceSignInEnd::Expired:
        PrintErr(Localized("cliSigninExpired") + detail);
        return kExitExpired;
    case MDeviceSignInEnd::BadCode:
        PrintErr(Localized("cliSigninBadCode") + detail);
        return kExitBadCode;
    case MDeviceSignInEnd::UnknownApplication:
        PrintUnknownApplication(type);
        return kExitUsage;
    case MDeviceSignInEnd::Refused:
        PrintErr(Localized("cliSigninRefused").arg(result.detail));
        return kExitFailure;
    case MDeviceSignInEnd::NoAnswer:
        PrintErr(Localized("cliSigninNoAnswer"));
        return kExitFailure;
    case MDeviceSignInEnd::NoIdentity:
        PrintErr(Localized("cliSigninNoIdentity"));
        return kExitFailure;
    case MDeviceSignInEnd::Stopped:
        PrintErr(Localized("cliSigninStopped"));
        return kExitFailure;
    }
    return kExitFailure;
}

MCliSignout::MCliSignout()
{
    name = QStringLiteral("signout");
    description = Localized("cliSignoutDescription");
}

int MCliSignout::Execute(const QCommandLineParser&)
{
    MAccount& account = TheAccount();
    // What was read of the account's pages leaves with its tokens.
    ForgetCachedPages(account.UserId());
    account.Reset();
    account.SaveConfig();
    PrintOut(Localized("cliSignedOut"));
    return kExitSuccess;
}
