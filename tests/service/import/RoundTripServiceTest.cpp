#include "ImportServiceFixture.h"
#include "export/MExportTask.h"
#include "import/FileImport.h"
#include "import/TreeImport.h"
#include "model/MNotebookNode.h"
#include "model/MResultNode.h"
#include "util/Digest.h"
#include "util/HtmlText.h"

#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

QByteArray Bytes(int size, quint32 seed, const QByteArray& head)
{
    QRandomGenerator generator(seed);
    QByteArray bytes = head;
    while (bytes.size() < size)
        bytes.append(char(generator.bounded(256)));
    return bytes;
}

// The digests of every file below a folder, sorted.
QStringList DigestsBelow(const QString& folder)
{
    QStringList digests;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        digests.append(MD5String(ReadAll(it.next())));
    digests.sort();
    return digests;
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

// What a reader sees of a page: its text, each element's apart.
QString Text(const QString& html)
{
    static const QRegularExpression kTag(QStringLiteral("<[^>]*>"));
    return DecodeHtmlEntities(QString(html).replace(kTag, QStringLiteral(" "))).simplified();
}

class RoundTrip : public ImportServiceTest
{
protected:
    void SetUp() override
    {
        Start(QJsonArray {QJsonObject {{"name", "Book"}, {"sections", QJsonArray {QJsonObject {{"name", "Inbox"}}}}}});
    }

    void TickOnly(const QString& path)
    {
        for (const auto& child : tree->children())
            SetCheckState(child.get(), 0);
        SetCheckState(const_cast<MNotebookNode*>(MServiceFixture::FindPath(*tree, path)), 1);
    }

    void Export(const QString& section, const QString& folder)
    {
        FetchTree();
        TickOnly(section);
        OnWorker([&] { MExportTask(context, MExportKind::Html, folder).ThreadRun(); });
    }

    MTempDir exported;
    MTempDir again;
};

TEST_F(RoundTrip, HtmlPagesWithPicturesAndFilesComeBackAsTheyWentInThroughTheHtmlExport)
{
    const QByteArray castle = Bytes(40000, 1, QByteArray("\x89PNG\r\n\x1a\n", 8));
    const QByteArray chart = Bytes(25000, 2, QByteArray("\xFF\xD8\xFF\xE0", 4));
    const QByteArray tickets = Bytes(12000, 3, "%PDF-1.4\n");
    const QByteArray budget = Bytes(9000, 4, "PK\x03\x04");
    files.WriteFile(QStringLiteral("Trip/Day one_files/castle.png"), castle);
    files.WriteFile(QStringLiteral("Trip/Day one_files/tickets.pdf"), tickets);
    files.WriteFile(QStringLiteral("Trip/images/chart.jpg"), chart);
    files.WriteFile(QStringLiteral("Trip/Budget & plans.xlsx"), budget);
    const QString dayOne = files.WriteFile(QStringLiteral("Trip/Day one.html"),
        "<html><head><title>Day one</title></head><body><h1>Arrival</h1>"
        "<p>Landed at 9:10 &amp; took the 744 bus into town.</p>"
        "<img src=\"Day%20one_files/castle.png\" alt=\"Castle\">"
        "<p>Tickets: <object data-attachment=\"tickets.pdf\" type=\"application/pdf\" "
        "data=\"Day one_files/tickets.pdf\"></object></p></body></html>");
    const QString costs = files.WriteFile(QStringLiteral("Trip/Costs.html"),
        "<html><head><title>Costs</title></head><body><p>Running totals: 195 &euro; so far.</p>"
        "<p><img src='images\\chart.jpg'></p><object data-attachment=\"Budget &amp; plans.xlsx\" "
        "data=\"Budget &amp; plans.xlsx\"></object></body></html>");

    Tick(QStringLiteral("Book/Inbox"));
    const MFileImportSettings settings {MFileImportKind::Html, false, MFileImportTask::TargetSectionId(tree.get())};
    const QList<MFileObject> list {{dayOne}, {costs}};
    OnWorker([&] { MFileImportTask(context, settings, list).ThreadImportRun(); });
    ASSERT_EQ(Rows(), QStringList({"Success " + dayOne, "Success " + costs}));

    Export(QStringLiteral("Book/Inbox"), exported.Path());
    const QString inbox = exported.FilePath(QStringLiteral("Book/Inbox"));
    const QString dayOneOut = QString::fromUtf8(ReadAll(inbox + QStringLiteral("/Day one.html")));
    const QString costsOut = QString::fromUtf8(ReadAll(inbox + QStringLiteral("/Costs.html")));
    EXPECT_TRUE(Text(dayOneOut).contains(QStringLiteral("Arrival Landed at 9:10 & took the 744 bus into town.")))
        << qPrintable(dayOneOut);
    EXPECT_TRUE(Text(costsOut).contains(QStringLiteral("Running totals: 195 € so far."))) << qPrintable(costsOut);
    // Pictures and attached files, byte for byte, beside each page.
    const QStringList dayOneFiles = Sorted({MD5String(castle), MD5String(tickets)});
    const QStringList costsFiles = Sorted({MD5String(chart), MD5String(budget)});
    EXPECT_EQ(DigestsBelow(inbox + QStringLiteral("/Day one.files")), dayOneFiles);
    EXPECT_EQ(DigestsBelow(inbox + QStringLiteral("/Costs.files")), costsFiles);
    EXPECT_TRUE(QFile::exists(inbox + QStringLiteral("/Costs.files/Budget & plans.xlsx")));

    // The export imported as a folder tree: the export's own additions do not come back twice, and
    // the files beside the pages are their pictures and attachments, not sections.
    Tick(QStringLiteral("Book"));
    auto planned = std::make_unique<MResultNode>();
    ScanImportTree({exported.Path()}, *planned, MImportTreeOptions());
    reporter.Clear();
    OnWorker([&] { MTreeImportTask(context, std::move(planned), false, false).ThreadImportRun(); });
    EXPECT_EQ(Rows(),
        QStringList({"Success Book", "Success Book/Inbox", "Success Book/Inbox/Inbox",
            "Success Book/Inbox/Inbox/Costs.html", "Success Book/Inbox/Inbox/Day one.html"}));
    Export(QStringLiteral("Book/Book/Inbox/Inbox"), again.Path());
    const QString inboxAgain = again.FilePath(QStringLiteral("Book/Book/Inbox/Inbox"));
    const QString dayOneAgain = QString::fromUtf8(ReadAll(inboxAgain + QStringLiteral("/Day one.html")));
    EXPECT_EQ(dayOneAgain.count(QStringLiteral("id=\"zephtitle\"")), 1) << qPrintable(dayOneAgain);
    EXPECT_EQ(Text(dayOneAgain), Text(dayOneOut));
    EXPECT_EQ(DigestsBelow(inboxAgain + QStringLiteral("/Day one.files")), dayOneFiles);
    EXPECT_EQ(DigestsBelow(inboxAgain + QStringLiteral("/Costs.files")), costsFiles);
}

} // namespace
