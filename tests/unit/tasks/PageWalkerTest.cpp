#include "RecordingReporter.h"
#include "account/MAccount.h"
#include "model/MNotebookNode.h"
#include "tasks/MPageWalker.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>
#include <gtest/gtest.h>
#include <map>

namespace {

// A service stand-in: sections with a number of pages, or a fixed answer.
class MFakePages
{
public:
    std::map<QString, int> pagesPerSection;
    std::optional<QByteArray> fixedAnswer;
    QStringList urls;

    MHttpResponse Answer(const MHttpRequest& request)
    {
        urls.append(request.url);
        MHttpResponse response;
        response.sent = true;
        response.status = 200;
        if (fixedAnswer) {
            response.body = *fixedAnswer;
            return response;
        }
        const QUrl url(request.url);
        const QString section = url.path().section(QLatin1Char('/'), -2, -2);
        const int skip = QUrlQuery(url).queryItemValue(QStringLiteral("skip")).toInt();
        const int count = pagesPerSection[section];
        QJsonArray values;
        for (int i = skip; i < std::min(count, skip + 100); ++i) {
            values.append(QJsonObject {
                {"title", QStringLiteral("P%1").arg(i)}, {"id", QStringLiteral("%1-page%2").arg(section).arg(i)}});
        }
        response.body = QJsonDocument(QJsonObject {{"value", values}}).toJson(QJsonDocument::Compact);
        return response;
    }
};

class MRecordingWalker final : public MPageWalker
{
public:
    MRecordingWalker(const MTaskContext& context, MPageUser user, MFakePages& service)
        : MPageWalker(context, PagePolicyFor(user))
        , m_Service(service)
    { }
    QStringList pages; // "sectionPath|title"
    QStringList folders;

protected:
    qint64 HandlePage(const MPageEntry& page, qint64, const QString& sectionPath) override
    {
        pages.append(sectionPath + QLatin1Char('|') + page.title);
        return 1;
    }
    void EnterFolder(const QString& path) override { folders.append(path); }
    MHttpResponse Send(const MHttpRequest& request) override { return m_Service.Answer(request); }

private:
    MFakePages& m_Service;
};

class PageWalkerTest : public ::testing::Test
{
protected:
    PageWalkerTest()
    {
        account.setMSAccountType(MAccount::Personal);
        account.setOnlineOneNoteAccessToken(QStringLiteral("token"));
        account.setRetrieveTokensTime(QDateTime::currentDateTime());
        account.setTokenExpires_in(3600);
        context.account = &account;
        context.reporter = &reporter;
        context.pacer = &pacer;
        context.running = &running;
    }

    MNotebookNode* AddSection(MNotebookNode* parent, const QString& id, const QString& name, bool checked = true)
    {
        MNotebookNode* node = parent->AddChild(MNodeKind::Section, id, name);
        node->checked = checked;
        return node;
    }

    MAccount account;
    MRecordingReporter reporter;
    MCountingPacer pacer;
    std::atomic<bool> running {true};
    MTaskContext context;
    MFakePages service;
    MNotebookNode root;
};

TEST_F(PageWalkerTest, ExactlyOneFullBatchAsksOnceMoreWhereShortBatchesEnd)
{
    MNotebookNode* section = AddSection(&root, QStringLiteral("s1"), QStringLiteral("S"));
    service.pagesPerSection[QStringLiteral("s1")] = 100;
    MRecordingWalker search(context, MPageUser::Search, service);
    EXPECT_EQ(search.ListSection(*section, QString()), 100);
    EXPECT_EQ(service.urls.size(), 2);
}

TEST_F(PageWalkerTest, AServiceThatIgnoresTheSkipIsNotListedForEver)
{
    MNotebookNode* section = AddSection(&root, QStringLiteral("s1"), QStringLiteral("S"));
    QJsonArray full;
    for (int i = 0; i < 100; ++i)
        full.append(QJsonObject {{"title", QStringLiteral("P%1").arg(i)}, {"id", QStringLiteral("p%1").arg(i)}});
    service.fixedAnswer = QJsonDocument(QJsonObject {{"value", full}}).toJson(QJsonDocument::Compact);
    MRecordingWalker walker(context, MPageUser::Export, service);
    walker.ListSection(*section, QString());
    EXPECT_EQ(service.urls.size(), 2);
    EXPECT_EQ(walker.pages.size(), 100);
}

TEST_F(PageWalkerTest, StoppedRunAndMissingTokenMakeNoRequest)
{
    MNotebookNode* section = AddSection(&root, QStringLiteral("s1"), QStringLiteral("S"));
    running = false;
    MRecordingWalker walker(context, MPageUser::Export, service);
    walker.WalkNotebooks(root, QString());
    walker.ListSection(*section, QString());
    running = true;
    account.setOnlineOneNoteAccessToken(QString());
    walker.ListSection(*section, QString());
    EXPECT_TRUE(service.urls.isEmpty());
}

// Contents with ids and the client link of a page that links to its own paragraphs are read from
// the emulator by the HTML export's anchor test; here the reads that must not be made or used.
TEST_F(PageWalkerTest, NoContentWithoutAPageIdAndNoClientLinkWithoutLinks)
{
    MRecordingWalker walker(context, MPageUser::Export, service);
    EXPECT_EQ(walker.GetPageContent({QStringLiteral("T"), QString()}), QString());
    EXPECT_TRUE(service.urls.isEmpty());
    service.fixedAnswer = QByteArray(R"({"error":{"code":"InvalidAuthenticationToken"}})");
    EXPECT_EQ(walker.GetPageContent({QStringLiteral("T"), QStringLiteral("p1")}), QString());
    EXPECT_EQ(account.TokenExpires_in(), 0);
    service.fixedAnswer = QByteArray(R"({"id":"p1","links":{}})");
    EXPECT_EQ(walker.GetPageOneNoteClientUrl(QStringLiteral("p1")), QString());
}

} // namespace
