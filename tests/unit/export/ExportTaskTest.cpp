#include "RecordingReporter.h"
#include "TempDir.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "export/MExportTask.h"
#include "model/MNotebookNode.h"

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
        response.sent = true;
        response.status = 200;
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
        auto tree = std::make_shared<MNotebookNode>();
        MNotebookNode* notebook = tree->AddChild(MNodeKind::Notebook, "n", "Book/../..");
        MNotebookNode* section = notebook->AddChild(MNodeKind::Section, "s1", "..");
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
        task->answers[QStringLiteral("/pages/p1/content?includeIDs=true")] = "<html><body><p>Hi</p></body></html>";
        return task;
    }

    MTempDir dir;
    MAccount account;
    std::shared_ptr<MNotebookNode> root;
    MRecordingReporter reporter;
    MCountingPacer pacer;
    std::atomic<bool> running {true};
    MTaskContext context;
};

TEST_F(ExportTaskTest, NamesFromTheNotebookNeverLeadOutsideTheExportFolder)
{
    auto task = Task(MExportKind::Text);
    task->lists[QStringLiteral("s1")] = R"({"value":[{"title":"../../escape","id":"p1"}]})";
    task->ThreadRun();
    // The notebook "Book/../.." and the section ".." each stay one folder level below the export folder.
    const QString section = dir.Path() + QStringLiteral("/Book_.._../__");
    EXPECT_TRUE(ReadAll(section + "/....escape.txt").contains("Hi\n"));
    QDir parent(dir.Path());
    parent.cdUp();
    EXPECT_TRUE(parent.entryList({"*escape*", "Book*"}).isEmpty());
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList {"Book_.._.."});
}

TEST_F(ExportTaskTest, AFailedWriteIsAFailureNotASuccess)
{
    auto task = Task(MExportKind::Text);
    // A title longer than a file name may be: the file cannot be created, whoever runs the test.
    const QString title = QString(300, QLatin1Char('x'));
    task->lists[QStringLiteral("s1")] = QStringLiteral(R"({"value":[{"title":"%1","id":"p1"}]})").arg(title).toUtf8();
    task->ThreadRun();
    const QString section = dir.Path() + QStringLiteral("/Book_.._../__");
    const QString path = section + "/" + title + QStringLiteral(".txt");
    EXPECT_TRUE(reporter.LastResult().contains(path + QStringLiteral(" Failure (cannot write ") + path + ")\n"));
    EXPECT_FALSE(reporter.LastResult().contains(Localized("strSuccess")));
    EXPECT_EQ(task->ExportFilesCount(), 0);
    ASSERT_EQ(task->Items().size(), 1);
    EXPECT_FALSE(task->Items().first().written);
    EXPECT_EQ(task->Items().first().reason, QStringLiteral("cannot write ") + path);
}

// Each kind is chosen by the command line's export test; here what the start needs.
TEST(ExportKindTest, TheStartNeedsASectionAndAFolder)
{
    EXPECT_FALSE(ExportKindForFeature(FeatureOfButton(QStringLiteral("btnSearch"))));
    MNotebookNode tree;
    MNotebookNode* section = tree.AddChild(MNodeKind::Section, "s", "S");
    EXPECT_EQ(MExportTask::StartProblem(&tree, QStringLiteral("/x")), QStringLiteral("strSelectASection"));
    section->checked = true;
    EXPECT_EQ(MExportTask::StartProblem(&tree, QString()), QStringLiteral("strSpecifyStoreFolder"));
    EXPECT_FALSE(MExportTask::StartProblem(&tree, QStringLiteral("/x")));
}

} // namespace
