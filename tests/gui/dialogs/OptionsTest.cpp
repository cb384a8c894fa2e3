#include "../GuiTestSupport.h"

#include "MPageCacheOptions.h"
#include "MWinOptions.h"
#include "TempDir.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "tasks/MPageCache.h"
#include "util/Formats.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class OptionsTest : public ::testing::Test
{
protected:
    OptionsTest()
    {
        GuiApp();
        InitAppPaths(dir.Path(), dir.FilePath(QStringLiteral("test.log")));
        GlobalSettings().UploadInterval = 3;
        GlobalSettings().DownloadInterval = 4;
        SaveGlobalSettings();
    }
    QString Settings() const { return AppPaths().settingsFile; }

    MTempDir dir;
};

} // namespace

TEST_F(OptionsTest, CancelLeavesTheSettingsAndOkStoresTheValuesAsTypedAndSavesAtOnce)
{
    const QByteArray before = ReadAll(Settings());
    ASSERT_FALSE(before.isEmpty());
    MWinOptions cancelled;
    cancelled.tfUploadInterval->setText(QStringLiteral("77"));
    cancelled.ButtonCancelClick();
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(ReadAll(Settings()), before);

    MWinOptions options;
    EXPECT_EQ(options.tfUploadInterval->text(), QStringLiteral("3"));
    EXPECT_EQ(options.tfDownloadInterval->text(), QStringLiteral("4"));
    options.tfUploadInterval->setText(QStringLiteral("0"));
    options.tfDownloadInterval->setText(QStringLiteral(" 12s"));
    options.ButtonOKClick();
    EXPECT_EQ(options.result(), QDialog::Accepted);
    EXPECT_EQ(GlobalSettings().UploadInterval.load(), 0);
    EXPECT_EQ(GlobalSettings().DownloadInterval.load(), 12);
    const MConfig saved(Settings());
    EXPECT_EQ(saved.ReadValue(QStringLiteral("UploadInterval"), 99), 0);
    EXPECT_EQ(saved.ReadValue(QStringLiteral("DownloadInterval"), 99), 12);
}

TEST_F(OptionsTest, AnApplicationIdIsKeptOnlyWhenItIsAGuid)
{
    const QString id = QStringLiteral("6731de76-14a6-49ae-97bc-6eba6914391e");
    MWinOptions options;
    EXPECT_EQ(options.tfClientIdGraph->text(), QString());
    options.tfClientIdGraph->setText(id);
    options.tfClientIdOneNote->setText(QStringLiteral("my-app"));
    const QByteArray before = ReadAll(Settings());
    options.ButtonOKClick();
    EXPECT_NE(options.result(), QDialog::Accepted);
    EXPECT_TRUE(options.Problem().contains(QLatin1String("my-app")));
    EXPECT_EQ(ReadAll(Settings()), before); // nothing stored, not even the valid one

    options.tfClientIdOneNote->clear();
    options.ButtonOKClick();
    EXPECT_EQ(options.result(), QDialog::Accepted);
    EXPECT_EQ(MConfig(Settings()).ReadValue(QStringLiteral("ClientId_Graph"), ""), id);
    EXPECT_FALSE(MConfig(Settings()).Contains(QStringLiteral("ClientId_OneNote")));
    EXPECT_EQ(MWinOptions().tfClientIdGraph->text(), id);
}

TEST_F(OptionsTest, ThePageCachePartShowsWhatItHoldsClearsItAtOnceAndOkStoresItsSettings)
{
    const QString path = MPageCache::DefaultPath();
    MPageCache(path).Store(QStringLiteral("A"), QStringLiteral("p"), QStringLiteral("t"), QStringLiteral("<p>x</p>"));
    const auto shows = [&](int pages) {
        const qint64 bytes = MPageCache(path, 1, MPageCache::Mode::ExistingOnly).Usage().fileBytes;
        return Localized("guiOptionsPageCacheSize").arg(pages).arg(FormatByteSize(bytes));
    };
    MWinOptions options;
    MPageCacheOptions& cache = *options.pageCache;
    EXPECT_EQ(cache.SizeText(), shows(1));
    EXPECT_TRUE(cache.cbPageCache->isChecked());
    EXPECT_EQ(cache.tfPageCacheMB->text(), QStringLiteral("500"));
    cache.btnClearPageCache->click();
    EXPECT_EQ(cache.SizeText(), shows(0));

    cache.cbPageCache->setChecked(false);
    cache.tfPageCacheMB->setText(QStringLiteral("200"));
    options.ButtonOKClick();
    const MPageCacheSettings saved = MPageCacheSettings::Load(Settings());
    EXPECT_FALSE(saved.on);
    EXPECT_EQ(saved.limitMB, 200);
}

TEST(OptionsField, TakesTheLeadingNumberAndZeroOtherwise)
{
    EXPECT_EQ(MWinOptions::LeadingInteger(QStringLiteral("  7 seconds")), 7);
    EXPECT_EQ(MWinOptions::LeadingInteger(QStringLiteral("-2")), -2); // taken as typed, no range check
    EXPECT_EQ(MWinOptions::LeadingInteger(QStringLiteral("abc")), 0);
    EXPECT_EQ(MWinOptions::LeadingInteger(QStringLiteral("99999999999999999999999")), 999999999999999999);
}
