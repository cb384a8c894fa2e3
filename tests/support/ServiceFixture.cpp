#include "ServiceFixture.h"

#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "model/MNotebookTree.h"
#include "net/MHttpClient.h"
#include "service/MServiceSession.h"

#include <QDateTime>
#include <QDir>
#include <gtest/gtest.h>

QString MServiceFixture::DemoFixturePath()
{
    return QStringLiteral(PAGEWRIGHT_SOURCE_DIR "/emulator/fixtures/demo.json");
}

QJsonObject MServiceFixture::DemoFixture()
{
    QString error;
    QJsonObject fixture = LoadFixtureFile(DemoFixturePath(), &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return fixture;
}

MRetryRules MServiceFixture::QuickRetryRules()
{
    MRetryRules rules;
    rules.firstLostReadPauseMs = 20;
    rules.firstThrottlePauseMs = 50;
    rules.longestThrottlePauseMs = 400;
    rules.lostCreationSettleMs = 0;
    return rules;
}

QString MServiceFixture::AnswerStyle()
{
    return qEnvironmentVariable("PAGEWRIGHT_TEST_ANSWER_STYLE");
}

MServiceFixture::MServiceFixture(
    const QJsonObject& fixture, const QString& accountKey, int accountType, bool autoConsent)
{
    MEmulator::Options options;
    options.fixture = fixture;
    options.answerStyle = AnswerStyle();
    options.autoConsent = autoConsent;
    m_Emulator = std::make_unique<MEmulator>(options);
    if (auto error = m_Emulator->Start()) {
        ADD_FAILURE() << "the emulator did not start: " << error->toStdString();
        return;
    }
    m_Started = true;
    // Tests send hundreds of requests a minute: the service's limits are kept only where a test
    // says so (and then to small windows of the emulator's).
    GlobalSettings().SetRequestBudget(QStringLiteral("off"));
    MHttpClient::SetTimeoutCapMs(0);
    MServiceSession::SetDefaultRules(QuickRetryRules());
    MConfig config(SettingsFile());
    config.WriteValue(QStringLiteral("RequestBudget"), QStringLiteral("off"));
    for (const char* key : {"Host_GlobalLogin", "Host_ChinaLogin", "Host_ConsumerLogin", "Host_GlobalGraph",
             "Host_ChinaGraph", "Host_OneNoteService", "Host_ConsumerDocuments", "Host_MakerWeb"})
        config.WriteValue(QString::fromLatin1(key), Origin());
    for (const char* key : {"ClientId_Graph", "ClientId_OneNote"})
        config.WriteValue(QString::fromLatin1(key), m_Emulator->ClientIds().value(0));
    config.Save();
    m_Account.LoadConfig(SettingsFile());
    m_Account.setMSAccountType(accountType);
    const MEmulator::Tokens tokens = m_Emulator->IssueTokens(accountKey);
    EXPECT_FALSE(tokens.accessToken.isEmpty()) << "no fixture account " << accountKey.toStdString();
    m_Account.setOnlineOneNoteAccessToken(tokens.accessToken);
    m_Account.setOnlineOneNoteRefreshToken(tokens.refreshToken);
    m_Account.setRetrieveTokensTime(QDateTime::currentDateTime());
    m_Account.setTokenExpires_in(3599);
    m_Account.setUserId(tokens.userId);
    m_Account.SaveConfig(SettingsFile());
}

MServiceFixture::~MServiceFixture()
{
    if (m_Emulator)
        m_Emulator->Stop();
}

QString MServiceFixture::SettingsFile() const
{
    return m_Folder.FilePath(QStringLiteral("zephapp.plist"));
}

QString MServiceFixture::FollowSignIn()
{
    MHttpRequest request;
    request.url = m_Account.BeginAuthorization();
    MHttpClient::ForCurrentThread().Send(request);
    return Origin() + m_Emulator->Requests().back().path;
}

int MServiceFixture::RequestCount(const QString& part) const
{
    int count = 0;
    for (const MEmuLoggedRequest& request : m_Emulator->Requests())
        count += request.path.contains(part) ? 1 : 0;
    return count;
}

QString MServiceFixture::CacheFile() const
{
    return m_Folder.FilePath(QStringLiteral("notebooks.json"));
}

std::shared_ptr<MNotebookNode> MServiceFixture::FetchTree()
{
    auto root = std::make_shared<MNotebookNode>();
    MNotebookTree tree(m_Account, *root, CacheFile());
    const MTreeBuildResult result = tree.CreateNotebooksTree(true, false);
    EXPECT_TRUE(result.built && result.isList) << "the notebook tree was not fetched";
    return root;
}

const MNotebookNode* MServiceFixture::FindPath(const MNotebookNode& root, const QString& path)
{
    const MNotebookNode* node = &root;
    for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const MNotebookNode* next = nullptr;
        for (const auto& child : node->children())
            if (child->name == name) {
                next = child.get();
                break;
            }
        if (!next)
            return nullptr;
        node = next;
    }
    return node;
}
