#include "app/MStrings.h"
#include "pagetasks/MReplaceTask.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

MNewTitle New(const char* title, const char* search, const char* replacement, bool matchCase)
{
    return MReplaceTask::NewTitle(QString::fromUtf8(title),
        MReplaceOptions {QString::fromUtf8(search), QString::fromUtf8(replacement), matchCase});
}

} // namespace

TEST(NewTitle, WithoutMatchCaseTheSearchIsAPatternAndTheReplacementATemplate)
{
    SetStringTableLanguage(QStringLiteral("en"));
    EXPECT_EQ(New("abc", "a.c", "X", false).title, QStringLiteral("X"));
    EXPECT_EQ(New("ABC", "a.c", "X", false).title, QStringLiteral("X"));
    EXPECT_EQ(New("Trip 2024 notes", "(\\d+)", "[$1]", false).title, QStringLiteral("Trip [2024] notes"));
    EXPECT_FALSE(New("Trip", "a.c", "X", false).matches);

    // No pattern: the page is named on its row when its title holds the text, and never retitled.
    const MNewTitle broken = New("Costs (draft", "(draft", "final", false);
    EXPECT_TRUE(broken.matches);
    EXPECT_FALSE(broken.title.has_value());
    EXPECT_EQ(broken.problem, QStringLiteral("invalid pattern"));
    EXPECT_FALSE(New("Costs", "(draft", "final", false).matches);
    const MNewTitle badTemplate = New("abc", "b", "$7", false);
    EXPECT_TRUE(badTemplate.matches);
    EXPECT_FALSE(badTemplate.title.has_value());
    EXPECT_FALSE(badTemplate.problem.isEmpty());
}

TEST(NewTitle, WithMatchCaseTheTextIsReplacedLiterallyAndExactly)
{
    EXPECT_FALSE(New("abc", "Abc", "X", true).matches);
    EXPECT_EQ(New("a.c and a.c", "a.c", "$1", true).title, QStringLiteral("$1 and $1"));
    EXPECT_FALSE(New("abc", "a.c", "X", true).matches);
}

TEST(NewTitle, TheUpdateBodyCarriesAnyTitleAsOneJsonString)
{
    const QString title = QStringLiteral("He said \"go\" \\ then ', left");
    const QJsonDocument body = QJsonDocument::fromJson(MReplaceTask::TitlePatchBody(title));
    ASSERT_TRUE(body.isArray());
    ASSERT_EQ(body.array().size(), 1);
    const QJsonObject change = body.array().first().toObject();
    EXPECT_EQ(change.size(), 3);
    EXPECT_EQ(change.value(QLatin1String("target")).toString(), QStringLiteral("title"));
    EXPECT_EQ(change.value(QLatin1String("action")).toString(), QStringLiteral("replace"));
    EXPECT_EQ(change.value(QLatin1String("content")).toString(), title);
}
