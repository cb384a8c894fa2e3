#include "../GuiTestSupport.h"

#include "MFeatureButtons.h"
#include "RecordingMessageBox.h"
#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "panels/MViewExport.h"

#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

class ExportPanel : public ::testing::Test
{
protected:
    ExportPanel()
    {
        GuiApp();
        SetStringTableLanguage(QStringLiteral("en"));
        InitAppPaths(
            f.AppFolder(), f.Folder().FilePath(QStringLiteral("Pagewright.log"))); // loads the signed-in account
        GlobalSettings().DownloadInterval = 0;
        GlobalSettings().UploadInterval = 0;
        tree = f.FetchTree();
        MPanelBase::SetSharedTree(tree.get());
    }
    ~ExportPanel() override
    {
        MPanelBase::SetSharedTree(nullptr);
        GlobalSettings().DownloadInterval = 3;
        GlobalSettings().UploadInterval = 3;
    }

    void Check(const char* path)
    {
        MONObject* node = const_cast<MONObject*>(MServiceFixture::FindPath(*tree, QString::fromLatin1(path)));
        ASSERT_NE(node, nullptr);
        SetCheckState(node, 1);
    }

    bool Run(MViewExport& panel)
    {
        QSignalSpy ended(&panel, &MPanelBase::RunEnded);
        panel.StartButton()->click();
        return WaitUntil([&] { return ended.count() == 1; }, 30000);
    }

    MServiceFixture f;
    std::shared_ptr<MONObject> tree;
};

TEST_F(ExportPanel, ExportsTheCheckedSectionsAsTheButtonSaysAndRemembersTheFolder)
{
    Check("Travel Journal/Lisbon 2024");
    MTempDir out;
    MViewExport panel;
    panel.mFolder->setText(out.Path());
    SetCurrentFeature(QStringLiteral("btnExportToTxt"));
    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(FilesBelow(out.Path()),
        QStringList({QStringLiteral("Travel Journal/Lisbon 2024/2.txt"),
            QStringLiteral("Travel Journal/Lisbon 2024/Café list — 咖啡馆.txt"),
            QStringLiteral("Travel Journal/Lisbon 2024/Costs so far.txt"),
            QStringLiteral("Travel Journal/Lisbon 2024/Day one: Alfama.txt")}))
        << FilesBelow(out.Path()).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(panel.StatusText(), Localized("strFinish"));
    EXPECT_EQ(MConfig(AppPaths().settingsFile).ReadValue(QStringLiteral("Export_Folder"), ""), out.Path());
    EXPECT_EQ(MViewExport().mFolder->text(), out.Path()) << "a new panel shows the last folder";

    MTempDir html;
    panel.mFolder->setText(html.Path());
    SetCurrentFeature(QStringLiteral("btnExportToHtml"));
    ASSERT_TRUE(Run(panel));
    EXPECT_TRUE(FilesBelow(html.Path()).contains(QStringLiteral("Travel Journal/Lisbon 2024/Costs so far.html")));
    SetCurrentFeature(QString());
}

TEST_F(ExportPanel, NoCheckedSectionOrNoFolderIsToldAndNothingStarts)
{
    MRecordingMessageBoxScope boxes;
    MViewExport panel;
    panel.mFolder->clear();
    panel.StartButton()->click();
    Check("Recipes/Baking");
    panel.StartButton()->click();
    EXPECT_EQ(boxes->Messages(), QStringList({Localized("strSelectASection"), Localized("strSpecifyStoreFolder")}));
    EXPECT_FALSE(panel.IsBusy());
}

} // namespace
