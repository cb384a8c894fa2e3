#include "FeatureServiceTest.h"
#include "account/AuthorizedCall.h"
#include "export/MExportTask.h"
#include "model/MOLONUtils.h"
#include "tasks/MPageList.h"

#include <QDir>
#include <QFile>

namespace {

using ExportServiceTest = FeatureServiceTest;

TEST_F(ExportServiceTest, TextFilesMirrorTheTreeAndNeverOverwriteAnEarlierRun)
{
    Start(QJsonArray {QJsonObject {{"name", "Book"},
        {"sections", QJsonArray {Section("Plain", {Page("Same", "<p>first</p>"), Page("Same", "<p>second</p>")})}},
        {"sectionGroups",
            QJsonArray {QJsonObject {
                {"name", "Group"}, {"sections", QJsonArray {Section("Inner", {Page("Deep", "<p>x</p>")})}}}}}}});
    ASSERT_TRUE(Check("Book"));
    OnWorker([&] { MExportTask(context, MExportKind::Text, out.Path()).ThreadRun(); });

    const QString plain = out.FilePath(QStringLiteral("Book/Plain"));
    EXPECT_TRUE(ReadText(plain + "/Same.txt").contains(QStringLiteral("Same\n-----")));
    EXPECT_TRUE(ReadText(plain + "/Same.txt").contains(QStringLiteral("first\n")));
    EXPECT_TRUE(ReadText(plain + "/Same(1).txt").contains(QStringLiteral("second\n")));
    EXPECT_TRUE(ReadText(out.FilePath(QStringLiteral("Book/Group/Inner/Deep.txt"))).contains(QStringLiteral("x\n")));
    EXPECT_TRUE(reporter.LastResult().contains(plain + QStringLiteral("/Same(1).txt Success\n")));

    MExportTask again(context, MExportKind::Text, out.Path());
    OnWorker([&] { again.ThreadRun(); });
    EXPECT_TRUE(ReadText(plain + "/Same.txt").contains(QStringLiteral("first\n")));
    EXPECT_TRUE(ReadText(plain + "/Same(2).txt").contains(QStringLiteral("first\n")));
    EXPECT_TRUE(ReadText(plain + "/Same(3).txt").contains(QStringLiteral("second\n")));
    EXPECT_EQ(again.ExportFilesCount(), 3);
}

TEST_F(ExportServiceTest, HtmlPagesGetTagIconsDateBlocksAndTheirResourcesBesideThem)
{
    const QJsonArray resources {QJsonObject {{"name", "pic"}, {"png", QJsonObject {{"width", 4}, {"height", 3}}}},
        QJsonObject {{"name", "doc"}, {"mime", "application/pdf"}, {"text", "%PDF-1.4 tiny"}}};
    const QString body
        = QStringLiteral("<p data-tag=\"to-do:completed\">Done</p><img src=\"name:pic\" />"
                         "<object data-attachment=\"notes.pdf\" type=\"application/pdf\" data=\"name:doc\" />");
    Start(QJsonArray {QJsonObject {{"name", "Book"},
        {"sections",
            QJsonArray {
                Section("Web", {Page("Short", body, resources), Page(QString(25, QLatin1Char('L')), "<p>y</p>")})}}}});
    Check("Book/Web");
    MExportTask task(context, MExportKind::Html, out.Path());
    OnWorker([&] { task.ThreadRun(); });

    const QString folder = out.FilePath(QStringLiteral("Book/Web"));
    const QString html = ReadText(folder + "/Short.html");
    EXPECT_TRUE(html.contains(emulator->Origin().replace(QStringLiteral("https:"), QStringLiteral("http:"))
        + QStringLiteral("/uploads/soft/quillview/apptags/to-do-completed.png")));
    EXPECT_TRUE(html.contains(QStringLiteral("top:70px")));
    EXPECT_TRUE(ReadText(folder + "/" + QString(25, QLatin1Char('L')) + ".html").contains(QStringLiteral("top:94px")));
    EXPECT_TRUE(html.contains(QStringLiteral("2024-05-01 09:30:00")));

    const QStringList images = QDir(folder + "/Short.files").entryList({"*.png"}, QDir::Files);
    ASSERT_EQ(images.size(), 1);
    EXPECT_TRUE(ReadAll(folder + "/Short.files/" + images.first()).startsWith("\x89PNG"));
    EXPECT_TRUE(html.contains(QStringLiteral("src=\"Short.files/%1\"").arg(images.first())));
    EXPECT_EQ(ReadAll(folder + "/Short.files/notes.pdf"), QByteArray("%PDF-1.4 tiny"));
    EXPECT_TRUE(html.contains(QStringLiteral("<a href=\"Short.files/notes.pdf\">notes.pdf</a>")));
    EXPECT_EQ(task.ResourcesFailed(), 0);
}

// A page that links to one of its own paragraphs carries its own page id, which the emulator makes
// up as it loads the page: the body names it by a placeholder that the content answer fills in.
class MSelfLinkExport final : public MExportTask
{
public:
    using MExportTask::MExportTask;
    QString pageGuid;

protected:
    MHttpResponse Send(const MHttpRequest& request) override
    {
        MHttpResponse response = MExportTask::Send(request);
        if (request.url.contains(QStringLiteral("/content")) && response.body)
            response.body->replace("{PAGE-PLACEHOLDER}", pageGuid.toUtf8());
        return response;
    }
};

TEST_F(ExportServiceTest, ALinkToAParagraphOfTheSamePageBecomesAnAnchor)
{
    const QString link
        = QStringLiteral("onenote:https://d/Book/Web.one#Self&amp;section-id={S}&amp;page-id={PAGE-PLACEHOLDER}"
                         "&amp;object-id={0A1B2C3D-0000-4000-8000-00000000AAAA}&amp;3C&amp;end");
    const QString other
        = QStringLiteral("onenote:https://d/Book/Web.one#Other&amp;section-id={S}&amp;"
                         "page-id={99999999-0000-4000-8000-000000000000}&amp;object-id={X}&amp;3C&amp;end");
    const QString body = QStringLiteral("<p id=\"p:{0A1B2C3D-0000-4000-8000-00000000AAAA}{60}\">target</p>"
                                        "<p><a href=\"%1\">same</a> <a href=\"%2\">other</a></p>")
                             .arg(link, other);
    Start(QJsonArray {Notebook("Book", {Section("Web", {Page("Self", body)})})});
    MNotebookNode* section = Check("Book/Web");
    std::optional<QString> list;
    OnWorker([&] { list = GetAuthorizedText(*account, PageListUrl(account->BaseUrl(), section->id, 0), 30); });
    ASSERT_TRUE(list);
    const QList<MPageEntry> pages = ParsePageList(list->toUtf8());
    ASSERT_EQ(pages.size(), 1);
    emulator->ClearRequests();

    MSelfLinkExport task(context, MExportKind::Html, out.Path());
    task.pageGuid = QLatin1Char('{') + PageIdFromLink(pages.first().clientUrl) + QLatin1Char('}');
    OnWorker([&] { task.ThreadRun(); });
    const QString html = ReadText(out.FilePath(QStringLiteral("Book/Web/Self.html")));
    // The service keeps the caller's id as data-id, which the anchor's id search finds.
    EXPECT_TRUE(html.contains(QStringLiteral("href=\"#p:{0A1B2C3D-0000-4000-8000-00000000AAAA}{60}\">same</a>")))
        << qPrintable(html);
    EXPECT_TRUE(html.contains(QStringLiteral("page-id={99999999-0000-4000-8000-000000000000}")));
    // The client link was asked for once, because the page links to a paragraph.
    int metadataReads = 0;
    for (const MEmuLoggedRequest& request : emulator->Requests())
        metadataReads += request.path.endsWith(QStringLiteral("/pages/") + pages.first().id) ? 1 : 0;
    EXPECT_EQ(metadataReads, 1);
}

TEST_F(ExportServiceTest, SectionFilesAreFetchedThroughTheirDownloadAddressWithOneRetryAndNoToken)
{
    Start(QJsonArray {Notebook("Book", {Section("Plain", {Page("P", "<p>x</p>")})})});
    Check("Book/Plain");
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("GET /_download/* drop count=1")));
    MExportTask task(context, MExportKind::SectionFile, out.Path());
    OnWorker([&] { task.ThreadRun(); });
    const QString target = out.FilePath(QStringLiteral("Book/Plain.one"));
    EXPECT_GT(QFileInfo(target).size(), 0);
    EXPECT_EQ(RequestsTo(QStringLiteral("/_download/")).size(), 2u);
    for (const MEmuLoggedRequest& download : RequestsTo(QStringLiteral("/_download/")))
        EXPECT_TRUE(download.Header(QStringLiteral("authorization")).isEmpty());
    EXPECT_TRUE(reporter.LastResult().contains(QStringLiteral(" ... ")));
    EXPECT_TRUE(reporter.LastResult().endsWith(QStringLiteral(" Success\n")));
    EXPECT_EQ(task.ExportFilesCount(), 1);
    EXPECT_FALSE(QDir(out.FilePath(QStringLiteral("Book/Plain"))).exists());
}

TEST_F(ExportServiceTest, AnExpiredTokenWhileListingIsRenewedAndTheListAskedForAgain)
{
    Start(QJsonArray {QJsonObject {{"name", "Book"},
        {"sections",
            QJsonArray {Section("First", {Page("A", "<p>a</p>")}), Section("Second", {Page("B", "<p>b</p>")})}}}});
    Check("Book");
    ASSERT_FALSE(emulator->AddFault(
        QStringLiteral("GET */sections/*/pages error status=401 code=InvalidAuthenticationToken count=1")));
    const QString oldToken = account->OnlineOneNoteAccessToken();
    OnWorker([&] { MExportTask(context, MExportKind::Text, out.Path()).ThreadRun(); });

    EXPECT_TRUE(reporter.Alerts().isEmpty());
    const std::vector<MEmuLoggedRequest> log = emulator->Requests();
    ASSERT_GE(log.size(), 3u);
    EXPECT_TRUE(log[0].path.contains(QStringLiteral("/pages?")));
    EXPECT_EQ(log[1].method, QStringLiteral("POST"));
    EXPECT_TRUE(log[1].path.contains(QStringLiteral("/token")));
    EXPECT_TRUE(log[2].path.contains(QStringLiteral("/pages?")));
    EXPECT_NE(log[2].Header(QStringLiteral("authorization")), QStringLiteral("Bearer ") + oldToken);
    EXPECT_TRUE(QFile::exists(out.FilePath(QStringLiteral("Book/First/A.txt"))));
    EXPECT_TRUE(QFile::exists(out.FilePath(QStringLiteral("Book/Second/B.txt"))));
}

} // namespace
