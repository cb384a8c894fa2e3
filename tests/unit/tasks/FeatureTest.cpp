#include "tasks/MFeature.h"

#include <QSet>
#include <gtest/gtest.h>

// The names of the table are what recorded runs, buttons and scripts are found by: each is one
// feature's, and each leads back to it.
TEST(FeatureTest, EveryFeatureHasOneRowAndItsNamesLeadBackToIt)
{
    QSet<QString> buttons, ledgerNames, commands;
    for (const MFeatureInfo& row : Features()) {
        EXPECT_EQ(FeatureInfo(row.feature).buttonId, row.buttonId);
        EXPECT_EQ(FeatureOfButton(ButtonId(row.feature)), row.feature);
        EXPECT_EQ(FeatureOfLedgerName(LedgerName(row.feature)), row.feature);
        buttons.insert(QLatin1String(row.buttonId));
        ledgerNames.insert(QLatin1String(row.ledgerName));
        const QString command = QLatin1String(row.command) + QLatin1Char(' ') + QLatin1String(row.kind);
        if (*row.command) {
            EXPECT_EQ(FeatureOfCommand(QLatin1String(row.command), QLatin1String(row.kind)), row.feature);
            commands.insert(command);
        }
    }
    EXPECT_EQ(buttons.size(), Features().size());
    EXPECT_EQ(ledgerNames.size(), Features().size());
    EXPECT_EQ(commands.size(), Features().size() - 1); // the account has no command
    EXPECT_EQ(int(Features().size()), int(MFeature::Account) + 1);

    EXPECT_EQ(CommandKinds(QStringLiteral("export")), QStringList({"txt", "html", "md", "backup"}));
    EXPECT_EQ(FeatureOfCommand(QStringLiteral("export")), std::nullopt); // the kind is wanted
    EXPECT_EQ(FeatureOfCommand(QStringLiteral(""), QStringLiteral("")), std::nullopt);
    EXPECT_EQ(ReportName(MFeature::ImportEvernote), QStringLiteral("importevernote"));
}
