#include "import/FilePages.h"
#include "import/LocalPageSend.h"

#include "TempDir.h"
#include "app/MStrings.h"
#include "tasks/PageRequest.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 6), QTime(10, 30, 0));

class FilePagesTest : public ::testing::Test
{
protected:
    void SetUp() override { SetStringTableLanguage(QStringLiteral("en")); }
    MTempDir dir;
};

TEST_F(FilePagesTest, AFileThatCannotBeReadMakesNoPage)
{
    for (const MFileImportKind kind : {MFileImportKind::Text, MFileImportKind::Html, MFileImportKind::Images}) {
        const MLocalPage page = BuildFileImportPage(kind, dir.FilePath(QStringLiteral("gone.txt")), false, kNow);
        EXPECT_FALSE(page.Ok());
        EXPECT_TRUE(page.failure.startsWith(QStringLiteral("cannot read "))) << qPrintable(page.failure);
        EXPECT_TRUE(page.html.isEmpty());
    }
    const QString gbk = dir.WriteFile(QStringLiteral("gbk.txt"), QByteArray::fromHex("c4e3bac3cac0bde7"));
    EXPECT_EQ(BuildFileImportPage(MFileImportKind::Text, gbk, true, kNow).failure, Localized("reasonNotUtf8").arg(gbk));
}

TEST_F(FilePagesTest, AnHtmlFileReadInAnotherEncodingNoLongerDeclaresIt)
{
    // A page saved on a Chinese system, in GBK and declared so.
    const QString text = QStringLiteral("中文网页：这是一个在中文系统上保存的网页，编码是国标码。");
    const QString path = dir.WriteFile(QStringLiteral("page.htm"),
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\"></head><body>"
            + QByteArray::fromHex("d6d0cec4cdf8d2b3a3bad5e2cac7d2bbb8f6d4dad6d0cec4cfb5cdb3c9cfb1a3b4e6b5c4cdf8d2b3a3ac"
                                  "b1e0c2ebcac7b9fab1eac2eba1a3")
            + "</body></html>");
    const MLocalPage page = BuildFileImportPage(MFileImportKind::Html, path, false, kNow);
    EXPECT_TRUE(page.html.contains(QStringLiteral("charset=utf-8\"><title>page</title>"))) << qPrintable(page.html);
    EXPECT_TRUE(page.html.contains(QStringLiteral("<body>%1</body>").arg(text)));
}

TEST_F(FilePagesTest, FileTypesFollowTheTableThenTheFirstBytes)
{
    const QString upper = dir.WriteFile(QStringLiteral("SHOT.PNG"), "\x89PNG\r\n");
    EXPECT_EQ(GetFileMime(upper), QStringLiteral("image/png"));
    EXPECT_EQ(GetFileMime(dir.WriteFile(QStringLiteral("scan.img"), "\xFF\xD8\xFF\xE0")), QStringLiteral("image/jpg"));
    EXPECT_EQ(GetFileMime(dir.WriteFile(QStringLiteral("a.pdf"), "GIF89a")), QStringLiteral("application/pdf"));
    // The folder import looks at the extension only, written as the table writes it.
    EXPECT_EQ(MimeTypeOfFileOrOctetStream(upper), QStringLiteral("application/octet-stream"));
    EXPECT_TRUE(HasFileImportExtension(MFileImportKind::Text, QStringLiteral("/x/NOTES.TXT")));
    EXPECT_FALSE(HasFileImportExtension(MFileImportKind::Images, QStringLiteral("/x/clip.tiff")));
}

// One part over the service's limit is refused unsent in the file import's service test; here parts
// that are each allowed but together more than a request takes.
TEST_F(FilePagesTest, PartsAboveTheServiceLimitsAreRefusedBeforeAnythingIsRead)
{
    MAttachmentMap attachments;
    for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
        QFile part(dir.FilePath(QLatin1String(name)));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly) && part.resize(kMaxPartBytes - 1));
        attachments.insert(QLatin1String(name), part.fileName());
    }
    const std::optional<QString> request = AttachmentSizeProblem(QStringLiteral("<html/>"), attachments);
    ASSERT_TRUE(request.has_value());
    EXPECT_TRUE(request->startsWith(QStringLiteral("the page with its files comes to 75 MB"))) << qPrintable(*request);
    attachments.remove(QStringLiteral("c.bin"));
    EXPECT_FALSE(AttachmentSizeProblem(QStringLiteral("<html/>"), attachments).has_value());
}

} // namespace
