#include "RecordingReporter.h"
#include "TempDir.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "export/MExportTask.h"
#include "model/MONObject.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>
#include <map>

namespace {

// The export over a stand-in service: one page list per section id, page contents and resources
// by URL path suffix.
class MOfflineExport final : public MExportTask
{
public:
    using MExportTask::MExportTask;
    std::map<QString, QByteArray> lists; // section id -> first block
    std::map<QString, QByteArray> answers; // URL path ending -> body
    int requests = 0;

protected:
    MHttpResponse Send(const MHttpRequest& request) override
    {
        ++requests;
        MHttpResponse response;
        const QUrl url(request.url);
        const QString path = url.path();
        if (path.contains(QStringLiteral("/sections/"))) {
            const QString id = path.section(QLatin1Char('/'), -2, -2);
            response.body
                = url.query().endsWith(QStringLiteral("skip=0")) && lists.count(id) ? lists[id] : "{\"value\":[]}";
            return response;
        }
        for (const auto& [ending, body] : answers) {
            if (request.url.endsWith(ending)) {
                response.body = body;
                if (!request.bodyFile.isEmpty()) {
                    QFile file(request.bodyFile);
                    if (file.open(QIODevice::WriteOnly))
                        file.write(body);
                }
            }
        }
        return response;
    }
};

class ExportTaskTest : public ::testing::Test
{
protected:
    ExportTaskTest()
    {
        SetStringTableLanguage(QStringLiteral("en"));
        account.setMSAccountType(MAccount::Personal);
        account.setOnlineOneNoteAccessToken(QStringLiteral("token"));
        account.setUserId(QStringLiteral("user"));
        account.setRetrieveTokensTime(QDateTime::currentDateTime());
        account.setTokenExpires_in(3600);
        auto tree = std::make_shared<MONObject>();
        MONObject* notebook = tree->addSubObject(MONObject::Notebook, "n", "Book/../..", {}, {}, {}, {}, {}, {}, {});
        MONObject* section = notebook->addSubObject(MONObject::Section, "s1", "..", {}, {}, {}, {}, {}, {}, {});
        SetCheckState(section, 1);
        root = tree;
        context.account = &account;
        context.tree = root;
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
    }

    std::unique_ptr<MOfflineExport> Task(MExportKind kind)
    {
        auto task = std::make_unique<MOfflineExport>(context, kind, dir.Path());
        task->lists[QStringLiteral("s1")] = R"({"value":[{"title":"Plan","id":"p1"},{"title":"Plan","id":"p2"},)"
                                            R"({"title":"","id":"p3"},{"title":"Gone","id":"p4"}]})";
        const QByteArray page = "<html><head><title>Plan</title></head><body><p>Hi</p>"
                                "<img id=\"img:{G}{1}\" src=\"https://r/res/ok/$value\" data-src-type=\"image/png\"/>"
                                "<img id=\"img:{G}{2}\" src=\"https://r/res/err/$value\" data-src-type=\"image/png\"/>"
                                "</body></html>";
        for (const char* id : {"p1", "p2", "p3"})
            task->answers[QStringLiteral("/pages/%1/content?includeIDs=true").arg(QLatin1String(id))] = page;
        task->answers[QStringLiteral("/pages/p4/content?includeIDs=true")] = R"({"error":{"code":"20102"}})";
        task->answers[QStringLiteral("/res/ok/$value")] = "PNGDATA";
        task->answers[QStringLiteral("/res/err/$value")] = R"({"error":{"code":"40004","message":"no"}})";
        return task;
    }

    MTempDir dir;
    MAccount account;
    std::shared_ptr<MONObject> root;
    MRecordingReporter reporter;
    MCountingPacer pacer;
    std::atomic<bool> running {true};
    MTaskContext context;
};

TEST_F(ExportTaskTest, TextExportMirrorsTheTreeInsideTheFolderAndNeverOverwrites)
{
    auto task = Task(MExportKind::Text);
    task->ThreadRun();
    // Names with "/" and ".." stay one folder level each, inside the export folder.
    const QString section = dir.Path() + QStringLiteral("/Book_.._../__");
    EXPECT_EQ(ReadAll(section + "/Plan.txt"), ReadAll(section + "/Plan(1).txt"));
    EXPECT_TRUE(ReadAll(section + "/Plan.txt").startsWith("Plan\n---"));
    EXPECT_TRUE(QFile::exists(section + "/2.txt"));
    EXPECT_FALSE(QFile::exists(section + "/Gone.txt"));
    EXPECT_EQ(task->ExportFilesCount(), 3);
    EXPECT_EQ(task->PagesDone(), 4);
    const QString result = reporter.LastResult();
    EXPECT_TRUE(result.contains(section + QStringLiteral("/Plan(1).txt Success\n")));
    EXPECT_TRUE(result.contains(section + QStringLiteral("/Gone.txt\n"))); // no content: no status word
    EXPECT_EQ(reporter.FinishText(), Localized("strFinish"));
    // Ten page-list blocks, four contents.
    EXPECT_EQ(task->requests, 14);

    auto again = Task(MExportKind::Text);
    again->ThreadRun();
    EXPECT_TRUE(QFile::exists(section + "/Plan(2).txt"));
    EXPECT_TRUE(QFile::exists(section + "/Plan(3).txt"));
    EXPECT_TRUE(QFile::exists(section + "/2(1).txt"));
}

TEST_F(ExportTaskTest, HtmlExportKeepsGoodResourcesAndNeverSavesAnErrorAnswer)
{
    auto task = Task(MExportKind::Html);
    task->ThreadRun();
    const QString section = dir.Path() + QStringLiteral("/Book_.._../__");
    const QString html = QString::fromUtf8(ReadAll(section + "/Plan.html"));
    EXPECT_TRUE(html.contains(QStringLiteral("src=\"Plan.files/{G}{1}.png\"")));
    EXPECT_EQ(ReadAll(section + "/Plan.files/{G}{1}.png"), QByteArray("PNGDATA"));
    EXPECT_FALSE(QFile::exists(section + "/Plan.files/{G}{2}.png"));
    EXPECT_TRUE(QFile::exists(section + "/Plan(1).files/{G}{1}.png"));
    EXPECT_EQ(task->ResourcesFailed(), 3);
}

TEST_F(ExportTaskTest, AFailedWriteIsAFailureNotASuccess)
{
    auto task = Task(MExportKind::Text);
    // A title longer than a file name may be: the file cannot be created, whoever runs the test.
    const QString title = QString(300, QLatin1Char('x'));
    task->lists[QStringLiteral("s1")] = QStringLiteral(R"({"value":[{"title":"%1","id":"p1"}]})").arg(title).toUtf8();
    task->ThreadRun();
    const QString section = dir.Path() + QStringLiteral("/Book_.._../__");
    EXPECT_TRUE(reporter.LastResult().contains(section + "/" + title + QStringLiteral(".txt Failure\n")));
    EXPECT_FALSE(reporter.LastResult().contains(Localized("strSuccess")));
    EXPECT_EQ(task->ExportFilesCount(), 0);
    ASSERT_EQ(task->Items().size(), 1);
    EXPECT_FALSE(task->Items().first().written);
}

TEST(ExportKindTest, FeatureButtonsChooseTheKindAndTheStartNeedsASectionAndAFolder)
{
    EXPECT_EQ(ExportKindForFeature(QStringLiteral("btnexporttotxt")), MExportKind::Text);
    EXPECT_EQ(ExportKindForFeature(QStringLiteral("btnExportToHtml")), MExportKind::Html);
    EXPECT_EQ(ExportKindForFeature(QStringLiteral("btnBackup")), MExportKind::SectionFile);
    EXPECT_FALSE(ExportKindForFeature(QStringLiteral("btnSearch")));

    MONObject tree;
    MONObject* section = tree.addSubObject(MONObject::Section, "s", "S", {}, {}, {}, {}, {}, {}, {});
    EXPECT_EQ(MExportTask::StartProblem(&tree, QStringLiteral("/x")), QStringLiteral("strSelectASection"));
    section->intValue = 1;
    EXPECT_EQ(MExportTask::StartProblem(&tree, QString()), QStringLiteral("strSpecifyStoreFolder"));
    EXPECT_FALSE(MExportTask::StartProblem(&tree, QStringLiteral("/x")));
    EXPECT_FALSE(Localized("strSpecifyStoreFolder").isEmpty());
    EXPECT_FALSE(Localized("strStartExport").isEmpty());
}

} // namespace
