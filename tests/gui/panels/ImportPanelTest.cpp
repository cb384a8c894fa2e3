#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "MFeatureButtons.h"
#include "panels/MViewImport.h"
#include "tasks/PageRequest.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QTableView>

namespace {

class ImportPanel : public MPanelFixture
{
protected:
    static QStringList Rows(const MViewImport& panel) { return TableRows(*panel.ResultTable()); }

    MTempDir files;
};

TEST_F(ImportPanel, TheListTakesEachFileOnceTheButtonsFollowTheFeatureAndAnEmptyStartIsRefused)
{
    MRecordingMessageBoxScope boxes;
    MViewImport panel;
    panel.show();
    SetCurrentFeature(MFeature::ImportNotes);
    panel.ClearAndReload();
    EXPECT_TRUE(panel.mBtnExportMacNotes->isVisible());
    EXPECT_FALSE(panel.mBtnExportGoogleKeep->isVisible());
    SetCurrentFeature(MFeature::ImportGoogleKeep);
    panel.ClearAndReload();
    EXPECT_FALSE(panel.mBtnExportMacNotes->isVisible());
    EXPECT_TRUE(panel.mBtnExportGoogleKeep->isVisible());

    SetCurrentFeature(MFeature::ImportImages);
    panel.ClearAndReload();
    panel.StartButton()->click();
    Check("Travel Journal/Empty section");
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection"), Localized("strAddFilesFirst")}));
    EXPECT_FALSE(panel.IsBusy());
    EXPECT_TRUE(panel.mCheckUTF8Code->isChecked()) << "pictures are not read as text";

    SetCurrentFeature(MFeature::ImportTxt);
    panel.ClearAndReload();
    const QString a = files.WriteFile(QStringLiteral("in/a.txt"), "a");
    const QString b = files.WriteFile(QStringLiteral("in/B.TXT"), "b");
    files.WriteFile(QStringLiteral("in/sub/c.txt"), "c");
    files.WriteFile(QStringLiteral("in/page.html"), "<p>not for this feature</p>");
    panel.AddFiles({a, a});
    panel.AddFolders({files.FilePath(QStringLiteral("in"))}, true);
    // Listed, not yet imported: no status.
    EXPECT_EQ(Rows(panel).mid(0, 2), QStringList({" | " + a + " | ", " | " + b + " | "}));
    ASSERT_EQ(panel.Files().size(), 3);

    QTableView* view = panel.ResultTable()->View();
    for (const int row : {0, 2})
        view->selectionModel()->select(
            view->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    panel.mBtnRemoveSelections->click();
    ASSERT_EQ(panel.Files().size(), 1);
    EXPECT_EQ(panel.Files().first().name, b);
    EXPECT_EQ(panel.ResultTable()->Model()->rowCount(), 1);
    panel.mBtnClear->click();
    EXPECT_EQ(panel.ResultTable()->Model()->rowCount(), 0);
}

TEST_F(ImportPanel, ARunFillsEveryRowWithItsOutcomeAndReason)
{
    Check("Travel Journal/Empty section");
    ASSERT_FALSE(
        f.Emulator().AddFault(QStringLiteral("POST */pages error status=400 code=20117 message=Bad+page count=1")));
    MViewImport panel;
    panel.show();
    SetCurrentFeature(MFeature::ImportTxt);
    panel.ClearAndReload();
    const QString first = files.WriteFile(QStringLiteral("First.txt"), "1");
    const QString second = files.WriteFile(QStringLiteral("Fish & Chips.txt"), "Fish & Chips");
    panel.AddFiles({first, second});
    panel.StartButton()->click();
    EXPECT_FALSE(panel.mBtnAddFiles->isEnabled()) << "the list stays as it is while it is sent";
    ASSERT_TRUE(WaitUntil([&] { return !panel.IsBusy(); }, 30000));

    const QStringList rows = Rows(panel);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows.at(0).startsWith(QStringLiteral("Failure | %1 | -4: HTTP 400").arg(first)))
        << qPrintable(rows.at(0));
    EXPECT_EQ(rows.at(1), QStringLiteral("Success | %1 | ").arg(second));
    EXPECT_EQ(panel.Files().at(0).state, kCreationServiceError);
    EXPECT_EQ(panel.Files().at(1).state, kCreationCreated);
    EXPECT_TRUE(panel.mBtnAddFiles->isEnabled());
}

TEST_F(ImportPanel, AFinishedImportStartedAgainAsksEverythingOnlyWhatIsNewOrNothing)
{
    MRecordingMessageBoxScope boxes;
    Check("Travel Journal/Empty section");
    MViewImport panel;
    panel.show();
    SetCurrentFeature(MFeature::ImportTxt);
    panel.ClearAndReload();
    panel.AddFiles({files.WriteFile(QStringLiteral("a.txt"), "a"), files.WriteFile(QStringLiteral("b.txt"), "b")});
    ASSERT_TRUE(Run(panel));

    // Dismissed: nothing starts.
    panel.StartButton()->click();
    EXPECT_FALSE(panel.IsBusy());
    ASSERT_EQ(boxes->Questions().size(), 1);
    EXPECT_TRUE(boxes->Questions().at(0).contains(QLatin1String("(2 created)")));
    EXPECT_TRUE(boxes->Questions().at(0).endsWith(
        QStringLiteral("[%1 | %2 | %3]")
            .arg(Localized("guiImportAgain"), Localized("guiImportOnlyNew"), Localized("guiCancel"))));
    // Only what is new: both were imported before.
    boxes->SetChoice(1);
    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(panel.ResultTable()->SummaryText(), QStringLiteral("2 skipped"));
    // Everything again, as asked; the question names the run before, which skipped both.
    boxes->SetChoice(0);
    ASSERT_TRUE(Run(panel));
    EXPECT_TRUE(boxes->Questions().at(2).contains(QLatin1String("(2 skipped)")));
    EXPECT_EQ(PageTitles(QStringLiteral("Empty section")), QStringList({"a", "b", "a", "b"}));
}

} // namespace
