#include "MStrings.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <mutex>

static void InitStringResources()
{
    Q_INIT_RESOURCE(strings);
}

namespace {

struct MTables
{
    std::mutex mutex;
    QString language;
    QHash<QString, QString> chosen;
    QHash<QString, QString> english;
    bool loaded = false;
};

MTables& Tables()
{
    static MTables tables;
    return tables;
}

QHash<QString, QString> LoadTable(const QString& language)
{
    QFile file(QStringLiteral(":/strings/%1.json").arg(language));
    QHash<QString, QString> table;
    if (!file.open(QIODevice::ReadOnly))
        return table;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = object.begin(); it != object.end(); ++it)
        table.insert(it.key(), it.value().toString());
    return table;
}

QString PreferredLanguage()
{
    const QStringList languages = QLocale::system().uiLanguages();
    if (!languages.isEmpty() && languages.first().startsWith(QLatin1String("zh-Hans")))
        return QStringLiteral("zh-Hans");
    return QStringLiteral("en");
}

void EnsureLoaded(MTables& t)
{
    if (t.loaded)
        return;
    InitStringResources();
    if (t.language.isEmpty())
        t.language = PreferredLanguage();
    t.english = LoadTable(QStringLiteral("en"));
    t.chosen = t.language == QLatin1String("en") ? t.english : LoadTable(t.language);
    t.loaded = true;
}

} // namespace

QString Localized(const QString& key)
{
    MTables& t = Tables();
    const std::lock_guard lock(t.mutex);
    EnsureLoaded(t);
    const auto it = t.chosen.constFind(key);
    if (it != t.chosen.cend())
        return *it;
    return t.english.value(key);
}

QString Localized(const char* key)
{
    return Localized(QString::fromUtf8(key));
}

void SetStringTableLanguage(const QString& language)
{
    MTables& t = Tables();
    const std::lock_guard lock(t.mutex);
    t.language = language;
    t.loaded = false;
}
