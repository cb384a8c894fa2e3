// libsecret before any Qt header: GLib's D-Bus headers name a member "signals", which Qt defines
// as a keyword.
#pragma push_macro("signals")
#undef signals
#include <libsecret/secret.h>
#pragma pop_macro("signals")

#include "MTokenStore.h"

#include "app/Log.h"

#include <QFileInfo>
#include <cstdio>
#include <mutex>

namespace {

const SecretSchema* Schema()
{
    static const SecretSchema schema = {"com.brindlecraft.Pagewright.Token", SECRET_SCHEMA_NONE,
        {{"settings", SECRET_SCHEMA_ATTRIBUTE_STRING}, {"token", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &schema;
}

// libsecret's calls may run on any thread, but one at a time keeps the order of a save's writes.
std::mutex& KeyringMutex()
{
    static std::mutex mutex;
    return mutex;
}

QByteArray AbsolutePath(const QString& settingsFile)
{
    return QFileInfo(settingsFile).absoluteFilePath().toUtf8();
}

// Takes the GError's text and frees it; false for the caller to return.
bool Failed(GError* error, QString* text)
{
    if (text)
        *text = error ? QString::fromUtf8(error->message) : QStringLiteral("the keyring did not answer");
    if (error)
        g_error_free(error);
    return false;
}

// Absent with `error` set when the keyring did not answer; "" when it holds no such item.
std::optional<QString> Lookup(const QByteArray& path, const char* token, QString* error)
{
    GError* failure = nullptr;
    gchar* secret = secret_password_lookup_sync(
        Schema(), nullptr, &failure, "settings", path.constData(), "token", token, static_cast<char*>(nullptr));
    if (failure) {
        Failed(failure, error);
        return std::nullopt;
    }
    const QString value = secret ? QString::fromUtf8(secret) : QString();
    secret_password_free(secret);
    return value;
}

bool StoreOne(const QByteArray& path, const char* token, const QString& value, const QString& who, QString* error)
{
    GError* failure = nullptr;
    if (value.isEmpty()) {
        secret_password_clear_sync(
            Schema(), nullptr, &failure, "settings", path.constData(), "token", token, static_cast<char*>(nullptr));
        return failure ? Failed(failure, error) : true;
    }
    const QByteArray label
        = QStringLiteral("Pagewright %1 token%2")
              .arg(QLatin1String(token), who.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(who))
              .toUtf8();
    const QByteArray secret = value.toUtf8();
    const bool stored
        = secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label.constData(), secret.constData(),
            nullptr, &failure, "settings", path.constData(), "token", token, static_cast<char*>(nullptr));
    return stored && !failure ? true : Failed(failure, error);
}

struct MWarningState
{
    std::mutex mutex;
    std::function<void(const QString&)> handler;
    QString reported;
};

MWarningState& Warnings()
{
    static MWarningState state;
    return state;
}

} // namespace

MTokenStoreMode TokenStoreModeFromSetting(const QString& text)
{
    const QString mode = text.trimmed().toLower();
    if (mode == QLatin1String("keyring"))
        return MTokenStoreMode::Keyring;
    if (mode == QLatin1String("file"))
        return MTokenStoreMode::File;
    return MTokenStoreMode::Auto;
}

std::optional<MKeyring::Tokens> MKeyring::Read(const QString& settingsFile, QString* error)
{
    const QByteArray path = AbsolutePath(settingsFile);
    const std::lock_guard lock(KeyringMutex());
    const std::optional<QString> access = Lookup(path, "access", error);
    if (!access)
        return std::nullopt;
    const std::optional<QString> refresh = Lookup(path, "refresh", error);
    if (!refresh)
        return std::nullopt;
    return Tokens {*access, *refresh};
}

bool MKeyring::Write(const QString& settingsFile, const Tokens& tokens, const QString& who, QString* error)
{
    const QByteArray path = AbsolutePath(settingsFile);
    const std::lock_guard lock(KeyringMutex());
    return StoreOne(path, "access", tokens.access, who, error) && StoreOne(path, "refresh", tokens.refresh, who, error);
}

void ReportTokenStoreWarning(const QString& text)
{
    std::function<void(const QString&)> handler;
    {
        MWarningState& state = Warnings();
        const std::lock_guard lock(state.mutex);
        if (!state.reported.isEmpty())
            return;
        state.reported = text;
        handler = state.handler;
    }
    WriteLog(text);
    if (handler)
        handler(text);
    else
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
}

void SetTokenStoreWarningHandler(std::function<void(const QString&)> handler)
{
    MWarningState& state = Warnings();
    const std::lock_guard lock(state.mutex);
    state.handler = std::move(handler);
}

QString TokenStoreWarning()
{
    MWarningState& state = Warnings();
    const std::lock_guard lock(state.mutex);
    return state.reported;
}
