#pragma once

#include "Command.h"

// Exit statuses of the device-code sign-in's endings, beside those of every command.
inline constexpr int kExitDeclined = 3; // the user declined on the verification page
inline constexpr int kExitExpired = 4; // the code expired before it was entered
inline constexpr int kExitBadCode = 5; // the platform did not recognise the device code

// signin --type personal|work|china|onenote [--redirect URL | --device]
// Without an option prints the sign-in address (and keeps its PKCE verifier and state in the
// settings); --redirect finishes with the address the browser landed on; --device signs in with a
// code entered in a browser on any device. Without an application id for the kind it says what to
// set and exits 2.
class MCliSignin final : public MCliCommand
{
public:
    MCliSignin();

protected:
    int Execute(const QCommandLineParser& parser) override;

private:
    int SignInWithDevice(int type);
    int FinishWithRedirect(int type, const QString& redirect);

    const QCommandLineOption m_Type;
    const QCommandLineOption m_Redirect;
    const QCommandLineOption m_Device;
};

// signout: removes the tokens from the keyring and the settings file, and the account's pages from
// the page cache.
class MCliSignout final : public MCliCommand
{
public:
    MCliSignout();

protected:
    int Execute(const QCommandLineParser& parser) override;
};

// "personal" 1, "work" 2, "china" 3, "onenote" 100; absent for any other word.
std::optional<int> AccountTypeFromWord(const QString& word);
