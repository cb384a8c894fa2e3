#include "ImportServiceFixture.h"
#include "export/MExportTask.h"
#include "import/TreeImport.h"
#include "model/MResultNode.h"
#include "util/Digest.h"
#include "util/HtmlText.h"

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

// What a reader sees of a page: its text, each element's apart.
QString Text(const QString& html)
{
    static const QRegularExpression kTag(QStringLiteral("<[^>]*>"));
    return DecodeHtmlEntities(QString(html).replace(kTag, QStringLiteral(" "))).simplified();
}

class RoundTrip : public ImportServiceTest
{
protected:
    void Export(const QString& section, const QString& folder)
    {
        FetchTree();
        for (const auto& child : tree->children())
            SetCheckState(child.get(), 0);
        Check(section);
        OnWorker([&] { MExportTask(context, MExportKind::Html, folder).ThreadRun(); });
    }

    MTempDir exported;
    MTempDir again;
};

// The export imported as a folder tree and exported again: the text, and the picture and attached
// file byte for byte, as before; the export's own additions do not come back twice, and the files
// beside the page are its picture and attachment, not sections.
TEST_F(RoundTrip, AnHtmlExportImportedAsAFolderTreeExportsAsItWas)
{
    const QByteArray castle = Bytes(40000, 1, QByteArray("\x89PNG\r\n\x1a\n", 8));
    const QByteArray tickets = Bytes(12000, 3, "%PDF-1.4\n");
    const QJsonArray parts {
        QJsonObject {{"name", "castle"}, {"mime", "image/png"}, {"base64", QString::fromLatin1(castle.toBase64())}},
        QJsonObject {
            {"name", "tickets"}, {"mime", "application/pdf"}, {"base64", QString::fromLatin1(tickets.toBase64())}}};
    Start(QJsonArray {Notebook("Book",
        {Section("Inbox",
            {Page("Day one",
                "<h1>Arrival</h1><p>Landed at 9:10 &amp; took the 744 bus into town.</p>"
                "<img src=\"name:castle\" alt=\"Castle\" /><p>Tickets: <object data-attachment=\"tickets.pdf\" "
                "type=\"application/pdf\" data=\"name:tickets\" /></p>",
                parts)})})});
    Export(QStringLiteral("Book/Inbox"), exported.Path());
    const QString dayOne = exported.FilePath(QStringLiteral("Book/Inbox/Day one"));
    QStringList files {MD5String(castle), MD5String(tickets)};
    files.sort();
    ASSERT_EQ(DigestsBelow(dayOne + QStringLiteral(".files")), files);

    Check(QStringLiteral("Book"));
    auto planned = std::make_unique<MResultNode>();
    ScanImportTree({exported.Path()}, *planned, MImportTreeOptions());
    OnWorker([&] { MTreeImportTask(context, std::move(planned), false, false).ThreadImportRun(); });
    EXPECT_EQ(Rows(),
        QStringList({"Success Book", "Success Book/Inbox", "Success Book/Inbox/Inbox",
            "Success Book/Inbox/Inbox/Day one.html"}));
    Export(QStringLiteral("Book/Book/Inbox/Inbox"), again.Path());
    const QString dayOneAgain = again.FilePath(QStringLiteral("Book/Book/Inbox/Inbox/Day one"));
    const QString first = ReadText(dayOne + QStringLiteral(".html"));
    const QString second = ReadText(dayOneAgain + QStringLiteral(".html"));
    EXPECT_TRUE(Text(first).contains(QStringLiteral("Arrival Landed at 9:10 & took the 744 bus into town.")))
        << qPrintable(first);
    EXPECT_EQ(second.count(QStringLiteral("id=\"zephtitle\"")), 1) << qPrintable(second);
    EXPECT_EQ(Text(second), Text(first));
    EXPECT_EQ(DigestsBelow(dayOneAgain + QStringLiteral(".files")), files);
}

} // namespace
