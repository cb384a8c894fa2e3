#pragma once

#include <QString>
#include <functional>
#include <optional>

// Where the sign-in tokens are kept, by the setting "TokenStore": "keyring" (the desktop's Secret
// Service: GNOME Keyring, KWallet, KeePassXC), "file" (the owner-only settings file) or "auto" (the
// keyring when one answers, else the file). Any other text counts as "auto".
enum class MTokenStoreMode { Auto, Keyring, File };
MTokenStoreMode TokenStoreModeFromSetting(const QString& text);

// The tokens of one settings file in the Secret Service: two items of the schema
// "com.brindlecraft.Pagewright.Token" with the attributes "settings" (the settings file's absolute
// path, so that every settings folder keeps its own sign-in) and "token" ("access" or "refresh").
// Every call is synchronous and serialised (the account saves from worker threads too); none opens a
// window, though the desktop's keyring may ask to be unlocked.
namespace MKeyring {

struct Tokens
{
    QString access;
    QString refresh;
    bool operator==(const Tokens&) const = default;
};

// Absent when no keyring answers (`error` says why); empty texts when it holds none for the file.
std::optional<Tokens> Read(const QString& settingsFile, QString* error);
// An empty token's item is removed. `who` names the account in the items' labels.
bool Write(const QString& settingsFile, const Tokens& tokens, const QString& who, QString* error);

} // namespace MKeyring

// The one warning line of a process whose tokens could not go to the keyring. The first report goes
// to the handler (the command line prints it, the desktop shows it in its status line; by default it
// goes to standard error); later ones are dropped.
void ReportTokenStoreWarning(const QString& text);
void SetTokenStoreWarningHandler(std::function<void(const QString&)> handler);
// The line reported so far in this process, "" when none.
QString TokenStoreWarning();
