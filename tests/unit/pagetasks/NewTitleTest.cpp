#include "app/MStrings.h"
#include "pagetasks/MReplaceTask.h"

#include <gtest/gtest.h>

namespace {

MNewTitle New(const char* title, const char* search, const char* replacement, bool matchCase)
{
    return MReplaceTask::NewTitle(QString::fromUtf8(title),
        MReplaceOptions {QString::fromUtf8(search), QString::fromUtf8(replacement), matchCase});
}

} // namespace

// Patterns in any case, literal text with match case, a pattern that cannot be made and the title
// sent as a JSON string are walked against the emulator by the replace service tests; here the
// templates and what a literal search must not read as a pattern.
TEST(NewTitle, ReplacementsAreTemplatesOnlyForAPatternSearch)
{
    SetStringTableLanguage(QStringLiteral("en"));
    EXPECT_EQ(New("Trip 2024 notes", "(\\d+)", "[$1]", false).title, QStringLiteral("Trip [2024] notes"));
    const MNewTitle badTemplate = New("abc", "b", "$7", false);
    EXPECT_TRUE(badTemplate.matches);
    EXPECT_FALSE(badTemplate.title.has_value());
    EXPECT_FALSE(badTemplate.problem.isEmpty());
    EXPECT_FALSE(New("Costs", "(draft", "final", false).matches);
    EXPECT_EQ(New("a.c and a.c", "a.c", "$1", true).title, QStringLiteral("$1 and $1"));
    EXPECT_FALSE(New("abc", "a.c", "X", true).matches);
}
