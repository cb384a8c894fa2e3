#include "Config.h"

#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "app/PropertyList.h"

#include <QFile>

namespace {

// The stored value as it is in the file (MConfig converts on reading, so its kind would be lost).
QVariant StoredValue(const QString& file, const QString& key)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return QVariant();
    return ParsePropertyList(in.readAll()).value_or(QVariantMap()).value(key);
}

int Get(const QString& key)
{
    const QVariant value = StoredValue(AppPaths().settingsFile, key);
    if (!value.isValid()) {
        PrintErr(Localized("cliConfigNotSet").arg(key));
        return kExitFailure;
    }
    if (value.typeId() == QMetaType::Bool)
        PrintOut(value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
    else
        PrintOut(value.toString());
    return kExitSuccess;
}

int Set(const QString& key, const QString& text)
{
    // An id that is no GUID would only fail later, on Microsoft's sign-in page.
    if (key.startsWith(QLatin1String("ClientId_")) && !text.trimmed().isEmpty() && !IsApplicationId(text)) {
        PrintErr(Localized("msgNotApplicationId").arg(text));
        return kExitUsage;
    }
    const QString file = AppPaths().settingsFile;
    const QVariant old = StoredValue(file, key);
    MConfig config(file);
    bool isNumber = false;
    const qint64 number = text.toLongLong(&isNumber);
    if (old.typeId() == QMetaType::Bool && (text == QLatin1String("true") || text == QLatin1String("false")))
        config.WriteValue(key, text == QLatin1String("true"));
    else if ((old.typeId() == QMetaType::LongLong || old.typeId() == QMetaType::Int) && isNumber)
        config.WriteValue(key, number);
    else
        config.WriteValue(key, text);
    if (!config.Save()) {
        PrintErr(Localized("cliConfigNotSaved").arg(file));
        return kExitFailure;
    }
    return kExitSuccess;
}

} // namespace

MCliConfig::MCliConfig()
{
    name = QStringLiteral("config");
    description = Localized("cliConfigDescription");
    positionals = {
        {QStringLiteral("action"), Localized("cliConfigArgAction"), QStringLiteral("get|set")},
        {QStringLiteral("key"), Localized("cliConfigArgKey"), QStringLiteral("KEY")},
        {QStringLiteral("value"), Localized("cliConfigArgValue"), QStringLiteral("[VALUE]")},
    };
}

std::optional<QString> MCliConfig::CheckArguments(const QCommandLineParser& parser) const
{
    const QStringList args = parser.positionalArguments();
    if (args.size() == 2 && args.at(0) == QLatin1String("get"))
        return std::nullopt;
    if (args.size() == 3 && args.at(0) == QLatin1String("set"))
        return std::nullopt;
    return Localized("cliConfigUsage");
}

int MCliConfig::Execute(const QCommandLineParser& parser)
{
    const QStringList args = parser.positionalArguments();
    return args.at(0) == QLatin1String("get") ? Get(args.at(1)) : Set(args.at(1), args.at(2));
}
