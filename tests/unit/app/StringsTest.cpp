#include "app/MStrings.h"

#include "TempDir.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QStringList KeysOf(const char* language)
{
    const QString path
        = QStringLiteral(PAGEWRIGHT_SOURCE_DIR "/resources/strings/%1.json").arg(QLatin1String(language));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(ReadAll(path), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << qPrintable(path) << ": " << qPrintable(error.errorString());
    return doc.object().keys();
}

} // namespace

TEST(Strings, BothTablesHoldTheSameKeys)
{
    const QStringList english = KeysOf("en");
    const QStringList chinese = KeysOf("zh-Hans");
    EXPECT_FALSE(english.isEmpty());
    for (const QString& key : english)
        EXPECT_TRUE(chinese.contains(key)) << "zh-Hans lacks " << qPrintable(key);
    for (const QString& key : chinese)
        EXPECT_TRUE(english.contains(key)) << "en lacks " << qPrintable(key);
}

TEST(Strings, AnUnknownLanguageFallsBackToEnglish)
{
    SetStringTableLanguage(QStringLiteral("en"));
    const QString english = Localized("strSuccess");
    SetStringTableLanguage(QStringLiteral("xx"));
    EXPECT_EQ(Localized("strSuccess"), english);
    SetStringTableLanguage(QStringLiteral("en"));
}
