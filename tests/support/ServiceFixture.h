#pragma once

#include "MEmulator.h"
#include "TempDir.h"
#include "account/MAccount.h"
#include "model/MNotebookNode.h"
#include "service/MServiceSession.h"

#include <QJsonObject>
#include <memory>

// An in-process emulator on a free port with a settings folder whose every host and application id
// points at it, and an account signed in to one of the fixture's accounts (tokens issued by the emulator, as a code
// exchange would give them). Tests make one per test case; nothing outside the machine is touched.
class MServiceFixture
{
public:
    // The demo fixture the application's demo runs on.
    static QString DemoFixturePath();
    static QJsonObject DemoFixture();
    // Retry pauses of milliseconds instead of seconds, which every fixture installs.
    static MRetryRules QuickRetryRules();
    // The emulator's answer style for this run of the tests: "varied" when the test is registered
    // for the varied style (PAGEWRIGHT_TEST_ANSWER_STYLE), else "" (the fixture's, plain).
    static QString AnswerStyle();

    // `accountKey` names the fixture account; `accountType` the kind of sign-in (MAccount::Type).
    // `autoConsent`: sign-in pages and device codes are consented to at once.
    explicit MServiceFixture(const QJsonObject& fixture = DemoFixture(),
        const QString& accountKey = QStringLiteral("personal"), int accountType = MAccount::Personal,
        bool autoConsent = true);
    ~MServiceFixture();

    bool Started() const { return m_Started; }
    MEmulator& Emulator() { return *m_Emulator; }
    MAccount& Account() { return m_Account; }
    QString Origin() const { return m_Emulator->Origin(); }
    QString AppFolder() const { return m_Folder.Path(); }
    QString SettingsFile() const;
    QString CacheFile() const;
    MTempDir& Folder() { return m_Folder; }
    // Begins the account's authorization and follows its address as the web view would (the
    // emulator consents at once): the address the platform redirected to.
    QString FollowSignIn();
    // How many requests so far had `part` in their path (query included).
    int RequestCount(const QString& part) const;

    // The notebook tree as the application builds it from the service (the cache is written too).
    std::shared_ptr<MNotebookNode> FetchTree();
    // The node of a slash-separated path of names below the root ("Notebook/Group/Section").
    static const MNotebookNode* FindPath(const MNotebookNode& root, const QString& path);

private:
    MTempDir m_Folder;
    std::unique_ptr<MEmulator> m_Emulator;
    MAccount m_Account;
    bool m_Started = false;
};
