#include "ImportServiceFixture.h"
#include "import/FileImport.h"
#include "tasks/PageRequest.h"

#include <QFile>

namespace {

const QByteArray kPng = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(3000, '\x42');
const QByteArray kEmf = QByteArray("\x01\0\0\0\x6c\0\0\0", 8) + QByteArray(500, '\x20');
const QByteArray kPdf = "%PDF-1.4\n% attached\n%%EOF\n";

class FileImportService : public ImportServiceTest
{
protected:
    void SetUp() override
    {
        Start(QJsonArray {QJsonObject {{"name", "Book"},
            {"sections", QJsonArray {QJsonObject {{"name", "Inbox"}}, QJsonObject {{"name", "Second"}}}}}});
        Tick(QStringLiteral("Book/Second")); // the first ticked section in outline order wins
        Tick(QStringLiteral("Book/Inbox"));
    }

    QList<MFileObject> Run(MFileImportKind kind, const QStringList& paths, bool utf8 = false)
    {
        QList<MFileObject> list;
        for (const QString& path : paths)
            AddToFileList(list, path);
        return Run(kind, list, utf8);
    }

    QList<MFileObject> Run(MFileImportKind kind, const QList<MFileObject>& list, bool utf8 = false)
    {
        MFileImportSettings settings;
        settings.kind = kind;
        settings.utf8 = utf8;
        settings.sectionId = MFileImportTask::TargetSectionId(tree.get());
        QList<MFileObject> result;
        OnWorker([&] {
            MFileImportTask task(context, settings, list);
            task.ThreadImportRun();
            result = task.Files();
        });
        return result;
    }

    QString InboxId() const { return MServiceFixture::FindPath(*tree, QStringLiteral("Book/Inbox"))->objId; }

    // The page-creation requests: each one's body, every one sent to the Inbox.
    QList<QByteArray> PageBodies() const
    {
        QList<QByteArray> bodies;
        for (const MEmuLoggedRequest& post : Posts(QStringLiteral("/pages"))) {
            EXPECT_TRUE(post.path.contains(QStringLiteral("/sections/%1/pages").arg(InboxId())))
                << qPrintable(post.path);
            bodies.append(post.body);
        }
        return bodies;
    }
};

TEST_F(FileImportService, TextAndNotesFilesArriveEscapedAsOnePageEach)
{
    const QString fish = files.WriteFile(QStringLiteral("A<B & C.txt"), "Fish & Chips <b>\n");
    const QString note
        = files.WriteFile(QStringLiteral("Shopping.html"), "<div>Milk</div><object></object><div>Eggs</div>");
    const QString plain = files.WriteFile(QStringLiteral("Plain note.txt"), "<div>unclosed & open");
    EXPECT_EQ(Run(MFileImportKind::Text, QStringList {fish}).first().state, kCreationCreated);
    const QList<MFileObject> notes = Run(MFileImportKind::Notes, QStringList {note, plain});
    EXPECT_EQ(notes.at(0).state, kCreationCreated);
    EXPECT_EQ(notes.at(1).state, kCreationCreated);

    const QList<QByteArray> bodies = PageBodies();
    ASSERT_EQ(bodies.size(), 3);
    EXPECT_EQ(bodies.at(0),
        "<html><head><title>A&lt;B &amp; C</title></head><body><pre>Fish &amp; Chips &lt;b&gt;\n</pre></body></html>");
    EXPECT_EQ(
        bodies.at(1), "<html><head><title>Shopping</title></head><body><div>Milk</div><div>Eggs</div></body></html>");
    EXPECT_TRUE(bodies.at(2).contains("<pre>&lt;div&gt;unclosed &amp; open</pre>"));
    const QStringList online = Online();
    EXPECT_EQ(online.first(), QStringLiteral("Book/Inbox: A<B & C, Shopping, Plain note"))
        << qPrintable(online.join('\n'));
    EXPECT_EQ(online.last(), QStringLiteral("Book/Second: "));
    EXPECT_EQ(pacer.UploadWaits(), 3);
}

TEST_F(FileImportService, HtmlImagesAndKeepExportsGoWithTheirPartsAndTypes)
{
    files.WriteFile(QStringLiteral("Trip/pics/castle.png"), kPng);
    files.WriteFile(QStringLiteral("Trip/tickets.pdf"), kPdf);
    const QString html = files.WriteFile(QStringLiteral("Trip/Lisbon.html"),
        "<html><head><title>Lisbon</title></head><body><img src=\"pics/castle.png\">"
        "<object data-attachment=\"tickets.pdf\" data=\"tickets.pdf\" "
        "type=\"application/pdf\"></object></body></html>");
    const QString png = files.WriteFile(QStringLiteral("View.png"), kPng);
    const QString emf = files.WriteFile(QStringLiteral("Chart.emf"), kEmf);
    const QString keep = files.WriteFile(QStringLiteral("Keep/Groceries.html"),
        "<html><head><title>Groceries</title></head><body><ul class=\"list\">"
        "<li class=\"listitem\"><span class=\"bullet\">&#9744;</span><span class=\"text\">Milk</span></li>"
        "<li class=\"listitem checked\"><span class=\"bullet\">&#9745;</span><span class=\"text\">Eggs</span></li>"
        "</ul></body></html>");
    Run(MFileImportKind::Html, QStringList {html});
    Run(MFileImportKind::Images, QStringList {png, emf});
    Run(MFileImportKind::GoogleKeep, QStringList {keep});

    const QList<QByteArray> bodies = PageBodies();
    ASSERT_EQ(bodies.size(), 4);
    EXPECT_TRUE(bodies.at(0).contains("Content-Type: image/png\r\n\r\n" + kPng + "\r\n"))
        << bodies.at(0).left(600).constData();
    EXPECT_TRUE(bodies.at(0).contains("Content-Type: application/pdf\r\n\r\n" + kPdf + "\r\n"));
    EXPECT_TRUE(bodies.at(0).contains("<meta name=\"created\" content=\""));
    EXPECT_TRUE(bodies.at(1).contains("Content-Type: image/png\r\n\r\n" + kPng));
    // No table entry and no signature for an EMF picture.
    EXPECT_TRUE(bodies.at(2).contains("Content-Type: application/octet-stream\r\n\r\n" + kEmf));
    EXPECT_TRUE(bodies.at(2).contains("<title>Chart</title>"));
    EXPECT_TRUE(bodies.at(3).contains("<p data-tag=\"to-do\"><span class=\"text\">Milk</span></p>"));
    EXPECT_TRUE(bodies.at(3).contains("<p data-tag=\"to-do:completed\"><span class=\"text\">Eggs</span></p>"));
    EXPECT_EQ(Online().first(), QStringLiteral("Book/Inbox: Lisbon, View, Chart, Groceries"));
    // The service holds the files as they were sent.
    const QJsonArray resources = emulator->State().value(QStringLiteral("resources")).toArray();
    QStringList kinds;
    for (const QJsonValue& resource : resources)
        kinds.append(QStringLiteral("%1 %2")
                         .arg(resource.toObject().value(QStringLiteral("mime")).toString())
                         .arg(resource.toObject().value(QStringLiteral("size")).toInt()));
    kinds.sort();
    EXPECT_EQ(
        kinds, QStringList({"application/octet-stream 508", "application/pdf 26", "image/png 3008", "image/png 3008"}));
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
    ASSERT_EQ(list.size(), 3);
    EXPECT_TRUE(list.at(1).name.endsWith(QLatin1String("/B.TXT")));
    EXPECT_TRUE(list.at(2).name.endsWith(QLatin1String("/deeper/c.Txt")));

    Run(MFileImportKind::Text, list);
    EXPECT_EQ(Online().first(), QStringLiteral("Book/Inbox: a, B, c"));
}

TEST_F(FileImportService, FailuresShowTheirCodeAndReasonAndTheRunGoesOn)
{
    const QString first = files.WriteFile(QStringLiteral("first.txt"), "1");
    const QString second = files.WriteFile(QStringLiteral("second.txt"), "2");
    const QString binary
        = files.WriteFile(QStringLiteral("photo.txt"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + kPng);
    const QString third = files.WriteFile(QStringLiteral("third.txt"), "3");
    ASSERT_FALSE(
        emulator->AddFault(QStringLiteral("POST */pages error status=400 code=20117 message=Bad+page count=1")));
    // The second page's answer is lost twice, and the page is not in the section afterwards.
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("POST */pages drop count=2")));
    const QList<MFileObject> result = Run(MFileImportKind::Text, QStringList {first, second, binary, third});

    EXPECT_EQ(result.at(0).state, kCreationServiceError);
    EXPECT_FALSE(result.at(0).message.isEmpty());
    EXPECT_EQ(FileStateText(result.at(0)), result.at(0).message);
    EXPECT_EQ(result.at(1).state, kCreationNoAnswer);
    EXPECT_EQ(FileStateText(result.at(1)), QStringLiteral("Failure:-3"));
    EXPECT_EQ(result.at(2).state, kCreationNotSent);
    EXPECT_EQ(result.at(3).state, kCreationCreated);
    EXPECT_EQ(FileStateText(result.at(3)), QStringLiteral("Success"));

    const QStringList rows = Rows();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows.at(0).startsWith(QStringLiteral("Failure %1 | -4: HTTP 400").arg(first)))
        << qPrintable(rows.at(0));
    EXPECT_TRUE(rows.at(0).contains(QStringLiteral("20117"))) << qPrintable(rows.at(0));
    EXPECT_TRUE(rows.at(1).startsWith(QStringLiteral("Failure %1 | -3: ").arg(second))) << qPrintable(rows.at(1));
    EXPECT_EQ(rows.at(2), QStringLiteral("Failure %1 | %2").arg(binary, Localized("reasonNotText").arg(binary)));
    EXPECT_EQ(rows.at(3), QStringLiteral("Success %1").arg(third));
    // The unreadable file sent nothing: one request for the first, two for the second, one for the third.
    EXPECT_EQ(Posts(QStringLiteral("/pages")).size(), 4u);
    EXPECT_EQ(Online().first(), QStringLiteral("Book/Inbox: third"));
}

TEST_F(FileImportService, AFileAboveThePartLimitFailsBeforeAnythingIsSent)
{
    const QString big = files.FilePath(QStringLiteral("Panorama.png"));
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(kPng) == kPng.size() && file.resize(kMaxPartBytes + 1));
    file.close();
    const QString small = files.WriteFile(QStringLiteral("Small.png"), kPng);
    const QList<MFileObject> result = Run(MFileImportKind::Images, QStringList {big, small});
    EXPECT_EQ(result.at(0).state, kCreationNotSent);
    EXPECT_TRUE(result.at(0).reason.contains(QStringLiteral("at most 25 MB"))) << qPrintable(result.at(0).reason);
    EXPECT_EQ(result.at(1).state, kCreationCreated);
    EXPECT_EQ(Posts(QStringLiteral("/pages")).size(), 1u);
}

TEST_F(FileImportService, AStoppedRunLeavesTheRestUntouched)
{
    const QStringList paths {
        files.WriteFile(QStringLiteral("1.txt"), "1"), files.WriteFile(QStringLiteral("2.txt"), "2")};
    class MStoppingReporter : public MRecordingReporter
    {
    public:
        std::atomic<bool>* running = nullptr;
        void ReportItem(const MTaskItem& item) override
        {
            MRecordingReporter::ReportItem(item);
            if (item.outcome == MItemOutcome::Created)
                *running = false; // the user presses stop while the first file is reported
        }
    } stopping;
    stopping.running = &running;
    context.reporter = &stopping;
    const QList<MFileObject> result = Run(MFileImportKind::Text, paths);
    EXPECT_EQ(result.at(0).state, kCreationCreated);
    EXPECT_EQ(result.at(1).state, 0);
    EXPECT_EQ(Posts(QStringLiteral("/pages")).size(), 1u);
    EXPECT_TRUE(stopping.Finished());
}

} // namespace
