#include "ImportServiceFixture.h"
#include "import/FileImport.h"
#include "tasks/PageRequest.h"

#include <QFile>

namespace {

const QByteArray kPng = QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + QByteArray(3000, '\x42');
const QByteArray kEmf = QByteArray("\x01\0\0\0\x6c\0\0\0", 8) + QByteArray(500, '\x20');
const QByteArray kPdf = "%PDF-1.4\n% attached\n%%EOF\n";

class FileImportService : public ImportServiceTest
{
protected:
    void SetUp() override
    {
        Start(QJsonArray {QJsonObject {{"name", "Book"},
            {"sections", QJsonArray {QJsonObject {{"name", "Inbox"}}, QJsonObject {{"name", "Second"}}}}}});
        Check(QStringLiteral("Book/Second")); // the first ticked section in outline order wins
        Check(QStringLiteral("Book/Inbox"));
    }

    QList<MFileObject> Run(MFileImportKind kind, const QStringList& paths)
    {
        QList<MFileObject> list;
        for (const QString& path : paths)
            AddToFileList(list, path);
        MFileImportSettings settings {kind, false, MFileImportTask::TargetSectionId(tree.get())};
        OnWorker([&] {
            MFileImportTask task(context, settings, list);
            task.ThreadImportRun();
            list = task.Files();
        });
        return list;
    }

    // The page-creation requests' bodies; every one went to the Inbox.
    QList<QByteArray> PageBodies() const
    {
        const QString inbox = MServiceFixture::FindPath(*tree, QStringLiteral("Book/Inbox"))->id;
        QList<QByteArray> bodies;
        for (const MEmuLoggedRequest& post : Posts(QStringLiteral("/pages"))) {
            EXPECT_TRUE(post.path.contains(QStringLiteral("/sections/%1/pages").arg(inbox))) << qPrintable(post.path);
            bodies.append(post.body);
        }
        return bodies;
    }
};

TEST_F(FileImportService, EveryFeatureSendsItsPagesWithTheirPartsIntoTheFirstTickedSection)
{
    files.WriteFile(QStringLiteral("Trip/my pics/castle.png"), kPng);
    files.WriteFile(QStringLiteral("Trip/tickets.pdf"), kPdf);
    const QString html = files.WriteFile(QStringLiteral("Trip/Lisbon.html"),
        "<html><head><title>Lisbon</title></head><body><img src='my%20pics\\castle.png'>"
        "<object data-attachment=\"tickets.pdf\" data=\"tickets.pdf\"></object></body></html>");
    const QString keep = files.WriteFile(QStringLiteral("Keep/Groceries.html"),
        "<html><head><title>Groceries</title></head><body><ul>"
        "<li class=\"listitem\"><span class=\"bullet\">&#9744;</span>Milk</li></ul></body></html>");
    Run(MFileImportKind::Text, {files.WriteFile(QStringLiteral("A<B & C.txt"), "Fish & Chips\n")});
    Run(MFileImportKind::Notes,
        {files.WriteFile(QStringLiteral("Shopping.html"), "<div>Milk</div><object></object>"),
            files.WriteFile(QStringLiteral("Open.txt"), "<div>Tom & Jerry")});
    Run(MFileImportKind::Html, {html});
    Run(MFileImportKind::Images,
        {files.WriteFile(QStringLiteral("View.png"), kPng), files.WriteFile(QStringLiteral("Chart.emf"), kEmf)});
    Run(MFileImportKind::GoogleKeep, {keep});

    QList<QByteArray> bodies = PageBodies();
    ASSERT_EQ(bodies.size(), 7);
    EXPECT_EQ(bodies.at(0),
        "<html><head><title>A&lt;B &amp; C</title></head><body><pre>Fish &amp; Chips\n</pre></body></html>");
    EXPECT_EQ(bodies.at(1), "<html><head><title>Shopping</title></head><body><div>Milk</div></body></html>");
    // Without a whole div the export is text.
    EXPECT_EQ(bodies.takeAt(2),
        "<html><head><title>Open</title></head><body><pre>&lt;div&gt;Tom &amp; Jerry</pre></body></html>");
    EXPECT_TRUE(bodies.at(2).contains("Content-Type: image/png\r\n\r\n" + kPng + "\r\n"));
    EXPECT_TRUE(bodies.at(2).contains("Content-Type: application/pdf\r\n\r\n" + kPdf + "\r\n"));
    EXPECT_TRUE(bodies.at(3).contains("Content-Type: image/png\r\n\r\n" + kPng));
    // No table entry and no signature for an EMF picture.
    EXPECT_TRUE(bodies.at(4).contains("Content-Type: application/octet-stream\r\n\r\n" + kEmf));
    EXPECT_TRUE(bodies.at(5).contains("<li class=\"listitem\"><p data-tag=\"to-do\">Milk</p></li>"));
    EXPECT_EQ(Online(),
        QStringList({"Book/Inbox: A<B & C, Shopping, Open, Lisbon, View, Chart, Groceries", "Book/Second: "}));
    EXPECT_EQ(pacer.UploadWaits(), 7);
}

TEST_F(FileImportService, AFileIsListedOnceAndAFolderScanFindsUpperCaseExtensions)
{
    const QString lower = files.WriteFile(QStringLiteral("Notes/a.txt"), "a");
    files.WriteFile(QStringLiteral("Notes/B.TXT"), "b");
    files.WriteFile(QStringLiteral("Notes/deeper/c.Txt"), "c");
    files.WriteFile(QStringLiteral("Notes/picture.png"), kPng);
    QList<MFileObject> list;
    EXPECT_TRUE(AddToFileList(list, lower));
    EXPECT_FALSE(AddToFileList(list, lower));
    EXPECT_EQ(LoopGetAFolderFiles(list, MFileImportKind::Text, files.FilePath(QStringLiteral("Notes")), false), 1);
    EXPECT_EQ(LoopGetAFolderFiles(list, MFileImportKind::Text, files.FilePath(QStringLiteral("Notes")), true), 1);
    QStringList paths;
    for (const MFileObject& file : list)
        paths.append(file.name);
    EXPECT_EQ(Run(MFileImportKind::Text, paths).size(), 3);
    EXPECT_EQ(Online().first(), QStringLiteral("Book/Inbox: a, B, c"));
}

TEST_F(FileImportService, FailuresShowTheirCodeAndReasonAndTheRunGoesOn)
{
    const QString refused = files.WriteFile(QStringLiteral("refused.txt"), "1");
    const QString lost = files.WriteFile(QStringLiteral("lost.txt"), "2");
    const QString binary = files.WriteFile(QStringLiteral("photo.txt"), kPng);
    const QString fine = files.WriteFile(QStringLiteral("fine.txt"), "3");
    ASSERT_FALSE(
        emulator->AddFault(QStringLiteral("POST */pages error status=400 code=20117 message=Bad+page count=1")));
    // The second page's answer is lost twice, and the page is not in the section afterwards.
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("POST */pages drop count=2")));
    const QList<MFileObject> result = Run(MFileImportKind::Text, {refused, lost, binary, fine});

    EXPECT_EQ(result.at(0).state, kCreationServiceError);
    EXPECT_EQ(FileStateText(result.at(0)), QStringLiteral("Bad page"));
    EXPECT_EQ(FileStateText(result.at(1)), QStringLiteral("Failure:-3"));
    EXPECT_EQ(result.at(2).state, kCreationNotSent);
    EXPECT_EQ(FileStateText(result.at(3)), QStringLiteral("Success"));
    const QStringList rows = Rows();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows.at(0).startsWith(QStringLiteral("Failure %1 | -4: HTTP 400").arg(refused)))
        << qPrintable(rows.at(0));
    EXPECT_TRUE(rows.at(0).contains(QStringLiteral("20117")));
    EXPECT_TRUE(rows.at(1).startsWith(QStringLiteral("Failure %1 | -3: ").arg(lost))) << qPrintable(rows.at(1));
    EXPECT_EQ(rows.at(2), QStringLiteral("Failure %1 | %2").arg(binary, Localized("reasonNotText").arg(binary)));
    // The unreadable file sent nothing: one request for the first, two for the second, one for the last.
    EXPECT_EQ(Posts(QStringLiteral("/pages")).size(), 4u);
    EXPECT_EQ(Online().first(), QStringLiteral("Book/Inbox: fine"));

    // A picture above the service's limit for a part is not sent at all.
    QFile big(files.FilePath(QStringLiteral("Panorama.png")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.write(kPng) == kPng.size() && big.resize(kMaxPartBytes + 1));
    big.close();
    emulator->ClearRequests();
    const MFileObject panorama = Run(MFileImportKind::Images, {big.fileName()}).first();
    EXPECT_EQ(panorama.state, kCreationNotSent);
    EXPECT_TRUE(panorama.reason.contains(QStringLiteral("at most 25 MB"))) << qPrintable(panorama.reason);
    EXPECT_TRUE(Posts(QStringLiteral("/pages")).empty());
}

} // namespace

TEST_F(FileImportService, AnHtmlPageWhoseFilesAreMissingArrivesOnceWithItsTextAndALineForEach)
{
    files.WriteFile(QStringLiteral("page/shown.png"), kPng);
    const QString page = files.WriteFile(QStringLiteral("page/Trip.html"),
        "<html><head></head><body><p>Day one</p><img src=\"shown.png\"><img src=\"pics/gone%20away.png\">"
        "<object data=\"files/tickets.pdf\" data-attachment=\"tickets.pdf\"></object><p>Day two</p></body></html>");
    const MFileObject row = Run(MFileImportKind::Html, {page}).first();
    EXPECT_EQ(row.state, kCreationCreated);
    const QStringList rows = Rows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(rows.first().startsWith(QStringLiteral("Success %1 | ").arg(page))) << qPrintable(rows.first());
    EXPECT_TRUE(rows.first().contains(QStringLiteral("gone away.png"))) << "the warning names the missing file";

    ASSERT_EQ(Online().first(), QStringLiteral("Book/Inbox: Trip"));
    const QJsonArray items = emulator->State().value(QStringLiteral("items")).toArray();
    QString html;
    for (const QJsonValue& item : items)
        for (const QJsonValue& stored : item.toObject().value(QStringLiteral("pages")).toArray())
            html += stored.toObject().value(QStringLiteral("html")).toString();
    for (const char* text : {"Day one", "Day two", "Missing attachment (image/png, gone away.png)",
             "Missing attachment (application/pdf, tickets.pdf)"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(text))) << text << qPrintable(html);
    EXPECT_EQ(html.count(QStringLiteral("data-src-type=\"image/png\"")), 1) << "the picture that is there";
}
