#include "DrivePanelSupport.h"

#include "panels/MViewRestore.h"

#include <QItemSelectionModel>
#include <QJsonArray>
#include <QPushButton>

namespace {

using RestorePanel = DrivePanelTest;

TEST_F(RestorePanel, TheListIsBuiltFromFilesAndFoldersAndEveryRowShowsWhatBecameOfIt)
{
    MTempDir local;
    const QString a = local.WriteFile(QStringLiteral("Alpha.one"), "alpha");
    const QString b = local.WriteFile(QStringLiteral("Beta.one"), "beta");
    const QString notes = local.WriteFile(QStringLiteral("notes.txt"), "not a section");
    local.WriteFile(QStringLiteral("Tree/Sub/Gamma.ONE"), "gamma");
    local.WriteFile(QStringLiteral("Tree/2019.one"), "a second 2019");
    local.WriteFile(QStringLiteral("More/Delta.one"), "delta");
    Check("Travel Journal/Archive");

    MViewRestore panel;
    panel.show();
    panel.ChooseFiles = [&] { return QStringList({a, b, notes}); };
    // Several folders at once, as the import panels take them.
    panel.ChooseFolders = [&] {
        return QStringList({local.FilePath(QStringLiteral("Tree")), local.FilePath(QStringLiteral("More"))});
    };
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
    ASSERT_EQ(panel.OutlineModel()->rowCount(panel.OutlineModel()->index(0, 0)), 4);

    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.StartButton()->click();
    EXPECT_FALSE(panel.mBtnAddFiles->isEnabled()) << "the list stays as it is while it is sent";
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 30000));
    EXPECT_TRUE(panel.mBtnAddFiles->isEnabled());
    EXPECT_EQ(panel.RunThreadName(), QStringLiteral("TreeThreadRestore"));
    const QString success = Localized("strSuccess");
    EXPECT_EQ(Rows(*panel.OutlineModel()),
        QStringList({QStringLiteral("Archive | "), QStringLiteral("  Alpha | ") + success,
            QStringLiteral("  2019 | ") + Localized("msgSavedAs").arg(QStringLiteral("2019 (1).one")),
            QStringLiteral("  Sub | ") + success, QStringLiteral("    Gamma | ") + success,
            QStringLiteral("  Delta | ") + success}));
    // Archive held a section 2019 already: the local one went beside it.
    QStringList names;
    for (const QJsonValue& item : f.Emulator().State().value(QLatin1String("items")).toArray())
        names << item.toObject().value(QLatin1String("name")).toString();
    EXPECT_TRUE(names.contains(QStringLiteral("2019 (1).one")));
    EXPECT_TRUE(names.contains(QStringLiteral("Gamma.one")));
    EXPECT_FALSE(names.contains(QStringLiteral("Beta.one")));

    // Switching to the panel again keeps the list; Clear empties it.
    panel.ClearAndReload();
    EXPECT_EQ(panel.OutlineModel()->rowCount(), 1);
    panel.mBtnClear->click();
    EXPECT_EQ(panel.OutlineModel()->rowCount(), 0);
}

TEST_F(RestorePanel, NoTargetCheckedOrAnEmptyListIsTold)
{
    MRecordingMessageBoxScope boxes;
    MViewRestore panel;
    bool asked = false;
    panel.ChooseFiles = [&] {
        asked = true;
        return QStringList();
    };
    panel.mBtnAddFiles->click();
    panel.StartButton()->click();
    EXPECT_FALSE(asked);
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection"), Localized("strSelectASection")}));
    EXPECT_FALSE(panel.IsBusy());
}

} // namespace
