#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "MWinChooseSection.h"
#include "panels/MViewCopySections.h"

#include <QTreeWidget>

namespace {

using CopySectionsPanel = MPanelFixture;

// Answers the section chooser by picking the row of that name and pressing OK.
MModalWatcher PickInChooser(const QString& name, QStringList* offered)
{
    return MModalWatcher([name, offered](QWidget* modal) {
        auto* chooser = qobject_cast<MWinChooseSection*>(modal);
        if (!chooser) {
            modal->close();
            return;
        }
        const QList<QTreeWidgetItem*> items
            = chooser->OutlineTree()->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive);
        for (QTreeWidgetItem* item : items) {
            offered->append(item->text(0));
            if (item->text(0) == name)
                chooser->OutlineTree()->setCurrentItem(item);
        }
        chooser->ButtonOKClick();
    });
}

TEST_F(CopySectionsPanel, CopiesIntoTheChosenTargetAndShowsEachCopyWithItsOutcome)
{
    MRecordingMessageBoxScope boxes;
    Check("Travel Journal/Lisbon 2024");
    Check("Travel Journal/Archive/Older");
    // The first copy fails on the service's side.
    ASSERT_FALSE(
        f.Emulator()
            .AddFault(QStringLiteral("GET /_monitor/* failed code=quotaLimitReached message=No+room+left count=1"))
            .has_value());
    QStringList offered;
    MModalWatcher chooser = PickInChooser(QStringLiteral("Recipes"), &offered);
    MViewCopySections panel;
    panel.show();
    ASSERT_TRUE(Run(panel, panel.StartButton()));
    EXPECT_EQ(chooser.Seen(), QStringList {QStringLiteral("MWinChooseSection")});
    EXPECT_TRUE(offered.contains(QStringLiteral("Archive")) && !offered.contains(QStringLiteral("Lisbon 2024")))
        << "notebooks and section groups are offered, not sections";
    EXPECT_EQ(panel.RunThreadName(), QStringLiteral("TreeThreadCopySections"));

    // What goes where is the copy's own tests' work; the outline shows each copy under the target.
    const QStringList rows = Rows(*panel.OutlineModel());
    ASSERT_EQ(rows.size(), 7) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows[0], QStringLiteral("Recipes | "));
    EXPECT_TRUE(rows[1].startsWith(QLatin1String("  Lisbon 2024 | ")));
    EXPECT_TRUE(rows[1].contains(QLatin1String("No room left"))) << rows[1].toStdString();
    EXPECT_EQ(rows[2], QStringLiteral("  Archive | ") + Localized("strSuccess"));
    const QModelIndex failed = panel.OutlineModel()->index(0, 1, panel.OutlineModel()->index(0, 0));
    EXPECT_FALSE(failed.data(Qt::DecorationRole).isNull()) << "the failure has its badge";
    EXPECT_EQ(boxes->Messages(), QStringList {Localized("msgFinishCopySections")});
    EXPECT_TRUE(panel.StatusText().contains(QLatin1String("1 failed"))) << panel.StatusText().toStdString();
}

TEST_F(CopySectionsPanel, NothingCheckedOrNoTargetChosenStartsNothing)
{
    MRecordingMessageBoxScope boxes;
    MViewCopySections panel;
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList {Localized("strSelectASection")});
    Check("Recipes/Baking");
    panel.ChooseTarget = [] { return QString(); };
    panel.StartButton()->click();
    EXPECT_FALSE(panel.IsBusy());
    TheAccount().setMSAccountType(MAccount::ChinaWork);
    panel.StartButton()->click();
    TheAccount().setMSAccountType(MAccount::Personal);
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection"), Localized("msgNotSupportAccountType")}));
    EXPECT_TRUE(f.Emulator().Requests().empty());
}

} // namespace
