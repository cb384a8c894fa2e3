#include "tasks/PageRequest.h"
#include "tasks/ContainerRequest.h"

#include "TempDir.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "service/MServiceSession.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <deque>
#include <gtest/gtest.h>

namespace {

QByteArray Header(const MHttpRequest& request, const QByteArray& name)
{
    for (const auto& [key, value] : request.headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QByteArray();
}

bool HasHeader(const MHttpRequest& request, const QByteArray& name)
{
    for (const auto& header : request.headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

MHttpResponse Answer(const QByteArray& body, long status = 201)
{
    MHttpResponse response;
    response.sent = true;
    response.status = status;
    response.body = body;
    return response;
}

} // namespace

// The parts' bytes arrive whole through the emulator's multipart reader in the file import's tests;
// here the headers, and the size the timeout is reckoned from, which must be the body's.
TEST(PageBody, MultipartIsSizedAsSentAndCarriesItsBoundary)
{
    const QList<MPagePart> parts {
        {QStringLiteral("5d41402abc4b2a76b9719d911017c592"), "image/png", QByteArray("\x89PNG\r\n\0bin", 10)},
        {QStringLiteral("7d793037a0760186574b0282f2f435e7"), "application/pdf", "%PDF"},
    };
    const MHttpRequest request
        = BuildPageRequest(QStringLiteral("https://h/s/pages"), QStringLiteral("<html/>"), parts);
    EXPECT_EQ(Header(request, "Content-Type"), QByteArray("multipart/form-data; boundary=ZephAppPartBoundary"));
    EXPECT_FALSE(HasHeader(request, "Content-Length"));
    EXPECT_EQ(PageBodySize(QStringLiteral("<html/>"), parts), request.body.size());
    EXPECT_TRUE(request.body.endsWith("%PDF\r\n--ZephAppPartBoundary--\r\n"));
}

TEST(PageBody, TimeoutRisesOnlyPastOneMebibyte)
{
    const QString exact(1048576, QLatin1Char('x'));
    EXPECT_EQ(BuildPageRequest(QStringLiteral("https://h/p"), exact, {}).timeoutSeconds, 120);
    EXPECT_EQ(BuildPageRequest(QStringLiteral("https://h/p"), exact + QLatin1Char('x'), {}).timeoutSeconds, 240);
    // With parts the whole body counts, headers and boundaries included.
    const MPagePart part {QStringLiteral("p"), "image/png", QByteArray(1048576 - 200, 'b')};
    EXPECT_GT(PageBodySize(QStringLiteral("<html/>"), {part}), 1048576);
    EXPECT_EQ(BuildPageRequest(QStringLiteral("https://h/p"), QStringLiteral("<html/>"), {part}).timeoutSeconds, 240);
}

TEST(PageBody, APageTooLargeForAPlainBodyGoesAsMultipartWithItsPresentationAlone)
{
    const QString plain(kPlainBodyMaxBytes, QLatin1Char('x'));
    EXPECT_FALSE(BuildPageBody(plain, {}).multipart);
    const MPageBody large = BuildPageBody(plain + QLatin1Char('x'), {});
    EXPECT_TRUE(large.multipart);
    EXPECT_TRUE(
        large.body.startsWith("--ZephAppPartBoundary\r\nContent-Disposition: form-data; name=\"Presentation\""));
    EXPECT_TRUE(large.body.endsWith("x\r\n--ZephAppPartBoundary--\r\n"));
    EXPECT_EQ(PageBodySize(plain + QLatin1Char('x'), {}), large.body.size());
}

// Error pages, empty answers, error objects in every form and lost answers are judged on the real
// path in HonestAnswersTest and AnswerReadersTest; here the answers the emulator does not give.
TEST(CreationAnswer, IsJudgedByItsStatusTextAndId)
{
    SetStringTableLanguage(QStringLiteral("en"));
    EXPECT_EQ(JudgeCreationAnswer(MHttpResponse()).code, kCreationNoToken);
    EXPECT_EQ(JudgeCreationAnswer(Answer("<html><body>fine</body></html>", 200)).reason,
        QStringLiteral("HTTP 200: the answer is not the service's JSON"));
    EXPECT_EQ(JudgeCreationAnswer(Answer(R"({"self":"https://h/pages/1-x"})")).reason,
        QStringLiteral("HTTP 201: the answer names no created item"));
    const MCreationOutcome created = JudgeCreationAnswer(Answer(R"({"id":"1-x","self":"https://h/pages/1-x"})"));
    EXPECT_EQ(created.code, kCreationCreated);
    EXPECT_EQ(created.id, QStringLiteral("1-x"));
    EXPECT_TRUE(created.reason.isEmpty());
}

TEST(CreationAnswer, TheTitleLookedForIsTheDecodedTitleElement)
{
    EXPECT_EQ(PageTitleOfHtml(QStringLiteral("<html><head><TITLE>A&lt;B &amp; C</TITLE></head></html>")),
        QStringLiteral("A<B & C"));
    EXPECT_EQ(
        PageTitleOfHtml(QStringLiteral("<title lang=\"en\">  Two   words </title>")), QStringLiteral("Two words"));
    EXPECT_EQ(PageTitleOfHtml(QStringLiteral("<html><body/></html>")), QString());
}

TEST(CreationPolicy, NothingIsSentWithoutTokenOrTarget)
{
    MAccount account;
    account.setMSAccountType(MAccount::Personal);
    int sent = 0;
    MServiceSession session(account, nullptr, {}, [&sent](const MHttpRequest&) {
        ++sent;
        return MHttpResponse();
    });
    EXPECT_EQ(CreatePageInOnlineOneNote(
                  session, MPageCreationPolicy::Enex(), QStringLiteral("https://h/s"), "t", "<html/>", {})
                  .code,
        kCreationNoToken);
    account.setOnlineOneNoteAccessToken(QStringLiteral("token"));
    EXPECT_EQ(CreatePageInOnlineOneNote(session, MPageCreationPolicy::Enex(), QString(), "t", "<html/>", {}).code,
        kCreationNoTarget);
    EXPECT_EQ(CreateNewSectionInOnlineOneNote(session, QString(), QStringLiteral("Tag")), QString());

    MContainerUrls parent;
    MContainerUrls made;
    EXPECT_EQ(
        CreateContainerIn(session, parent, MNodeKind::Section, QStringLiteral("S"), made).code, kCreationNoTarget);
    account.setOnlineOneNoteAccessToken(QString());
    EXPECT_EQ(
        CreateContainerIn(session, parent, MNodeKind::SectionGroup, QStringLiteral("G"), made).code, kCreationNoToken);
    EXPECT_EQ(sent, 0);
}

// Pictures and files sent with their types, and a missing file left out with a line on the page, are
// walked against the emulator by the file import's tests; here the extensions, which match exactly.
TEST(Attachments, VanishedFilesAreLeftOutAndTypesComeFromTheExtension)
{
    MTempDir dir;
    QMap<QString, QString> attachments;
    attachments.insert(QStringLiteral("a"), dir.WriteFile("shot.png", "png"));
    attachments.insert(QStringLiteral("b"), dir.FilePath("vanished.pdf"));
    attachments.insert(QStringLiteral("c"), dir.WriteFile("SHOT.PNG", "upper"));
    const QList<MPagePart> parts = PartsFromAttachments(attachments, MPageCreationPolicy::FolderTree());
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts.at(0).contentType, QByteArray("image/png"));
    EXPECT_EQ(parts.at(1).contentType, QByteArray("application/octet-stream"));
    EXPECT_FALSE(MimeTypeForExtension(QString()).has_value());
}

TEST(ContainerBody, NamesAreValidJsonStringsForEitherService)
{
    const QString name = QStringLiteral("Say \"hi\" \\ then\ttab");
    const QJsonObject graph = QJsonDocument::fromJson(ContainerBody(MAccount::Personal, name)).object();
    EXPECT_EQ(graph.value(QStringLiteral("displayName")).toString(), name);
    const QJsonObject legacy = QJsonDocument::fromJson(ContainerBody(MAccount::OneNotePersonal, name)).object();
    EXPECT_EQ(legacy.value(QStringLiteral("name")).toString(), name);
}

TEST(CreationAnswer, ALostContainerCreationIsLookedForByNameBeforeItIsSentAgain)
{
    SetStringTableLanguage(QStringLiteral("en"));
    MAccount account;
    account.setMSAccountType(MAccount::Personal);
    account.setOnlineOneNoteAccessToken(QStringLiteral("token"));
    QStringList sent;
    std::deque<MHttpResponse> answers;
    MServiceSession session(account, nullptr, {}, [&](const MHttpRequest& request) {
        sent.append(QString::fromLatin1(request.method) + QLatin1Char(' ') + request.url);
        MHttpResponse next = answers.front();
        answers.pop_front();
        return next;
    });
    MRetryRules quick;
    quick.lostCreationSettleMs = 0;
    quick.firstLostReadPauseMs = 0;
    session.SetRules(quick);
    MHttpResponse lost;
    lost.sent = true;
    lost.transportError = QStringLiteral("Connection reset");

    // The section was made: the listing names it (in another case), and it is taken as created.
    answers = {lost, Answer(R"({"value":[{"id":"1-s","displayName":"TRIPS","self":"https://h/sections/1-s"}]})", 200)};
    QString failure;
    EXPECT_EQ(CreateNewSectionInOnlineOneNote(session, QStringLiteral("https://h/notebooks/1-n"), "Trips", &failure),
        QStringLiteral("https://h/sections/1-s"));
    EXPECT_EQ(sent, (QStringList {"POST https://h/notebooks/1-n/sections", "GET https://h/notebooks/1-n/sections"}));

    // It was not: sent once more.
    sent.clear();
    answers = {lost, Answer(R"({"value":[]})", 200), Answer(R"({"id":"1-t","self":"https://h/sections/1-t"})")};
    EXPECT_EQ(CreateNewSectionInOnlineOneNote(session, QStringLiteral("https://h/notebooks/1-n"), "Trips", &failure),
        QStringLiteral("https://h/sections/1-t"));
    EXPECT_EQ(sent.size(), 3);

    // The parent could not be read: no second try that might make a second section.
    sent.clear();
    answers = {lost, Answer("<html><title>Down</title></html>", 502)};
    EXPECT_EQ(CreateNewSectionInOnlineOneNote(session, QStringLiteral("https://h/notebooks/1-n"), "Trips", &failure),
        QString());
    EXPECT_EQ(failure,
        QStringLiteral("no answer: Connection reset; whether it arrived could not be checked: HTTP 502: Down"));
    EXPECT_EQ(sent.size(), 2);
}
