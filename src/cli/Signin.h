#pragma once

#include "Command.h"

// signin --type personal|work|china|onenote [--redirect URL]: without --redirect prints the sign-in
// address; with it, exchanges the address's code for tokens and fetches the user's identity.
class MCliSignin final : public MCliCommand
{
public:
    MCliSignin();

protected:
    int Execute(const QCommandLineParser& parser) override;

private:
    const QCommandLineOption m_Type;
    const QCommandLineOption m_Redirect;
};

// "personal" 1, "work" 2, "china" 3, "onenote" 100; absent for any other word.
std::optional<int> AccountTypeFromWord(const QString& word);
