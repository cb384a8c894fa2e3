// Downloads as the real service hands them out: a OneDrive download address, and the redirect a
// resource's content answers with, lie on another origin. Every file must arrive whole, and that
// origin must never see the account's token.
#include "../drive/DriveServiceFixture.h"
#include "drive/MFindLostTask.h"
#include "export/MExportTask.h"
#include "pagetasks/MListAttachmentsTask.h"
#include "pagetasks/MSaveAttachmentsTask.h"

#include <QDir>

namespace {

class MAttachmentList final : public MAttachmentSink
{
public:
    void AddAttachments(const QList<MAttachment>& found) override { items.append(found); }
    QList<MAttachment> items;
};

// A section file's bytes as the emulator's fixture makes them.
QByteArray SectionBytes(const QByteArray& name, qint64 size)
{
    QByteArray bytes;
    while (bytes.size() < size)
        bytes += "Section file " + name + "\n";
    return bytes.left(size);
}

using RedirectedDownloads = DriveServiceTest;

TEST_F(RedirectedDownloads, BackupLostSectionAndAttachmentArriveWholeAndTheOtherOriginNeverSeesTheToken)
{
    QByteArray pdf;
    for (int i = 0; i < 70000; ++i)
        pdf += char(i * 7 % 256);
    const QJsonObject page {{"title", "Receipts"},
        {"body", "<object data-attachment=\"r.pdf\" type=\"application/pdf\" data=\"name:doc\" />"},
        {"resources",
            QJsonArray {QJsonObject {
                {"name", "doc"}, {"mime", "application/pdf"}, {"base64", QString::fromLatin1(pdf.toBase64())}}}}};
    answerStyle = QStringLiteral("varied");
    Start(QJsonObject {
        {"notebooks",
            QJsonArray {QJsonObject {{"name", "Book"},
                {"sections",
                    QJsonArray {QJsonObject {{"name", "Trip"}, {"size", 90000}, {"pages", QJsonArray {page}}}}}}}},
        {"files", QJsonArray {QJsonObject {{"path", "Lost.onetmp"}, {"size", 3000}}}}});
    const QString downloads = emulator->DownloadOrigin();
    ASSERT_FALSE(downloads.isEmpty());
    Check("Book/Trip");
    // The tree was read from answers that came gzipped, chunked and pretty-printed.
    MHttpRequest notebooks;
    notebooks.url = service->Origin() + QStringLiteral("/v1.0/me/onenote/notebooks");
    notebooks.headers.append({"Authorization", "Bearer " + service->Account().OnlineOneNoteAccessToken().toUtf8()});
    MHttpResponse list;
    OnWorker([&] { list = MHttpClient::ForCurrentThread().Send(notebooks); });
    EXPECT_EQ(list.Header("Content-Encoding") + ' ' + list.Header("Transfer-Encoding"), QByteArray("gzip chunked"));
    EXPECT_TRUE(list.body.value_or(QByteArray()).startsWith("{\r\n  \"value\": ["));

    OnWorker(
        [&] { MExportTask(context, MExportKind::SectionFile, out.FilePath(QStringLiteral("backup"))).ThreadRun(); });
    EXPECT_EQ(ReadAll(out.FilePath(QStringLiteral("backup/Book/Trip.one"))), SectionBytes("Trip", 90000));

    MAttachmentList listed;
    OnWorker([&] { MListAttachmentsTask(context, &listed).ThreadRun(); });
    ASSERT_EQ(listed.items.size(), 1);
    MSaveAttachmentsTask attachments(context, listed.items, out.Path());
    OnWorker([&] { attachments.ThreadRun(); });
    EXPECT_EQ(ReadAll(out.FilePath(QStringLiteral("Receipts_r.pdf"))), pdf);

    MFindLostTask search(context);
    OnWorker([&] { search.ThreadRun(); });
    MSaveLostTask lost(context, search.Tree(), out.FilePath(QStringLiteral("lost")));
    QDir().mkpath(out.FilePath(QStringLiteral("lost")));
    OnWorker([&] { lost.ThreadRunSave(); });
    ASSERT_EQ(search.Tree().childCount(), 1u);
    EXPECT_EQ(ReadAll(out.FilePath(QStringLiteral("lost/") + LostSectionFileName(*search.Tree().child(0)))),
        SectionBytes("Lost.onetmp", 3000));

    // Graph saw the token on the resource's request and answered it with the redirect; the other
    // origin saw each file asked for once, and no token.
    QStringList atOtherOrigin;
    for (const MEmuLoggedRequest& request : emulator->Requests()) {
        if (request.origin != downloads)
            continue;
        atOtherOrigin << request.path.section(QLatin1Char('/'), 1, 1);
        EXPECT_TRUE(request.Header(QStringLiteral("authorization")).isEmpty()) << request.path.toStdString();
    }
    EXPECT_EQ(atOtherOrigin, QStringList(3, QStringLiteral("_download")));
    const std::vector<MEmuLoggedRequest> resource = RequestsTo(QStringLiteral("GET"), QStringLiteral("/resources/"));
    ASSERT_EQ(resource.size(), 1u);
    EXPECT_TRUE(resource[0].Header(QStringLiteral("authorization")).startsWith(QLatin1String("Bearer ")));
}

TEST_F(RedirectedDownloads, AnErrorMessageWithQuotesAndAccentsReachesTheRowWhole)
{
    answerStyle = QStringLiteral("varied");
    const QJsonObject page {{"title", "P"},
        {"body", "<object data-attachment=\"r.txt\" type=\"text/plain\" data=\"name:doc\" />"},
        {"resources", QJsonArray {QJsonObject {{"name", "doc"}, {"mime", "text/plain"}, {"text", "x"}}}}};
    Start(QJsonObject {{"notebooks",
        QJsonArray {QJsonObject {
            {"name", "Book"}, {"sections", QJsonArray {QJsonObject {{"name", "S"}, {"pages", QJsonArray {page}}}}}}}}});
    Check("Book/S");
    MAttachmentList listed;
    OnWorker([&] { MListAttachmentsTask(context, &listed).ThreadRun(); });
    ASSERT_FALSE(emulator->AddFault(QString::fromUtf8(
        "GET */resources/* error status=404 code=itemNotFound message=Le+fichier+\"x\"+est+introuvable+\u00e9")));
    MSaveAttachmentsTask save(context, listed.items, out.Path());
    OnWorker([&] { save.ThreadRun(); });
    ASSERT_EQ(save.Items().size(), 1);
    EXPECT_EQ(save.Items()[0].reason.toStdString(),
        QStringLiteral("HTTP 404 Not Found, itemNotFound: Le fichier \"x\" est introuvable \u00e9").toStdString());
}

} // namespace
