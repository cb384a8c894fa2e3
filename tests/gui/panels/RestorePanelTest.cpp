#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "panels/MViewRestore.h"

#include <QItemSelectionModel>
#include <QTreeView>

namespace {

using RestorePanel = MPanelFixture;

// Where the files land and under which names is the restore's own tests' work; here the panel builds
// its list from files and folders and shows on each row what became of it.
TEST_F(RestorePanel, TheListIsBuiltFromFilesAndFoldersAndEveryRowShowsWhatBecameOfIt)
{
    MTempDir local;
    const QString a = local.WriteFile(QStringLiteral("Alpha.one"), "alpha");
    const QString b = local.WriteFile(QStringLiteral("Beta.one"), "beta");
    const QString notes = local.WriteFile(QStringLiteral("notes.txt"), "not a section");
    local.WriteFile(QStringLiteral("Tree/Sub/Gamma.ONE"), "gamma");
    local.WriteFile(QStringLiteral("Tree/2019.one"), "a second 2019");
    local.WriteFile(QStringLiteral("More/Delta.one"), "delta");
    MRecordingMessageBoxScope boxes;
    MViewRestore panel;
    panel.show();
    panel.ChooseFiles = [&] { return QStringList({a, b, notes}); };
    // Several folders at once, as the import panels take them.
    panel.ChooseFolders = [&] {
        return QStringList({local.FilePath(QStringLiteral("Tree")), local.FilePath(QStringLiteral("More"))});
    };
    // Without a checked target no file is asked for and nothing starts.
    panel.mBtnAddFiles->click();
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection"), Localized("strSelectASection")}));
    EXPECT_EQ(panel.OutlineModel()->rowCount(), 0);
    EXPECT_FALSE(panel.IsBusy());

    Check("Travel Journal/Archive");
    panel.mBtnAddFiles->click();
    panel.OutlineTree()->setCurrentIndex(QModelIndex());
    panel.mBtnAddFolder->click();
    EXPECT_EQ(Rows(*panel.OutlineModel()),
        QStringList({QStringLiteral("Archive | "), QStringLiteral("  Alpha | "), QStringLiteral("  Beta | "),
            QStringLiteral("  2019 | "), QStringLiteral("  Sub | "), QStringLiteral("    Gamma | "),
            QStringLiteral("  Delta | ")}));

    // Beta goes again.
    const QModelIndex beta = panel.OutlineModel()->index(1, 0, panel.OutlineModel()->index(0, 0));
    panel.OutlineTree()->selectionModel()->select(
        beta, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    panel.mBtnRemove->click();

    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.StartButton()->click();
    EXPECT_FALSE(panel.mBtnAddFiles->isEnabled()) << "the list stays as it is while it is sent";
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 30000));
    EXPECT_TRUE(panel.mBtnAddFiles->isEnabled());
    EXPECT_EQ(panel.RunThreadName(), QStringLiteral("TreeThreadRestore"));
    const QStringList rows = Rows(*panel.OutlineModel());
    ASSERT_EQ(rows.size(), 6) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows[1], QStringLiteral("  Alpha | ") + Localized("strSuccess"));
    EXPECT_EQ(rows[2], QStringLiteral("  2019 | ") + Localized("msgSavedAs").arg(QStringLiteral("2019 (1).one")));

    // Switching to the panel again keeps the list; Clear empties it.
    panel.ClearAndReload();
    EXPECT_EQ(panel.OutlineModel()->rowCount(), 1);
    panel.mBtnClear->click();
    EXPECT_EQ(panel.OutlineModel()->rowCount(), 0);
}

} // namespace
