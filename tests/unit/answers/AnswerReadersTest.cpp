// Every reader of a service answer, on the same answer in each form the services write it: compact,
// pretty-printed with CRLF, with "/" and non-ASCII escaped, with Graph's extra fields, with its
// members in another order, and all of these at once. The forms come from the emulator's writer.
#include "MEmuJson.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "drive/CopyMonitor.h"
#include "drive/MFolderListing.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"
#include "net/AnswerJson.h"
#include "service/MServiceSession.h"
#include "tasks/ContainerRequest.h"
#include "tasks/MPageList.h"
#include "tasks/PageRequest.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

MHttpResponse Response(long status, const QByteArray& body)
{
    MHttpResponse response;
    response.sent = true;
    response.status = status;
    response.statusText = status == 404 ? "Not Found" : "";
    response.body = body;
    return response;
}

QString Follow(const QByteArray& status)
{
    MAccount account;
    account.setOnlineOneNoteAccessToken(QStringLiteral("t"));
    MServiceSession session(account, nullptr, {}, [&](const MHttpRequest&) { return Response(200, status); });
    const MCopyOutcome outcome = FollowCopy(session, QStringLiteral("http://monitor"), MCopyRules());
    return QStringLiteral("%1|%2").arg(outcome.done).arg(outcome.resourceId);
}

QString Tree(const QByteArray& list)
{
    MNotebookNode root;
    MNotebookTree::NotebooksFromJson(QString::fromUtf8(list), root, MAccount::Personal);
    QStringList nodes;
    std::function<void(const MNotebookNode&)> walk = [&](const MNotebookNode& node) {
        for (const auto& child : node.children()) {
            nodes << child->name + QLatin1Char('|') + child->selfUrl + QLatin1Char('|') + child->clientUrl;
            walk(*child);
        }
    };
    walk(root);
    return nodes.join(QLatin1Char(';'));
}

struct ReaderCase
{
    const char* reader;
    QByteArray compact;
    std::function<QString(const QByteArray&)> read;
    QString expected;
};

// Slashes and an accented letter in every answer, so that their escaped forms are read too.
const QList<ReaderCase>& Cases()
{
    static const QList<ReaderCase> cases {
        {"token",
            R"({"token_type":"Bearer","expires_in":3599,"access_token":"EwA/é","refresh_token":"M.R3/x","user_id":"c0ffee"})",
            [](const QByteArray& a) {
                const MTokenAnswer t = ParseTokenAnswer(QString::fromUtf8(a));
                return QStringList {t.accessToken, t.refreshToken, QString::number(t.expiresIn.value_or(-1)), t.userId}
                    .join(QLatin1Char('|'));
            },
            QStringLiteral("EwA/é|M.R3/x|3599|c0ffee")},
        {"me",
            R"({"@odata.context":"https://g/v1.0/$metadata#users/$entity","displayName":"Zoé","userPrincipalName":"zoe@x.org","id":"8f3a/2"})",
            [](const QByteArray& a) {
                const MUserAnswer u = ParseUserAnswer(QString::fromUtf8(a));
                return u.id + QLatin1Char('|') + u.userPrincipalName;
            },
            QStringLiteral("8f3a/2|zoe@x.org")},
        {"error object",
            R"({"error":{"code":"itemNotFound","message":"Le fichier \"x\" est introuvable é / <b>ici</b>"}})",
            [](const QByteArray& a) {
                const MServiceAnswer judged = JudgeAnswer(Response(404, a), MExpect::List);
                return judged.errorCode + QLatin1Char('|') + judged.reason;
            },
            QStringLiteral("itemNotFound|HTTP 404 Not Found, itemNotFound: Le fichier \"x\" est introuvable é / ici")},
        {"page list",
            R"({"value":[{"id":"1-a!1-b","title":"Café/Menu","links":{"oneNoteClientUrl":{"href":"onenote:https://d/Notes/S.one#x"}}}]})",
            [](const QByteArray& a) {
                const QList<MPageEntry> pages = ParsePageList(a);
                return pages.size() == 1
                    ? pages[0].id + QLatin1Char('|') + pages[0].title + QLatin1Char('|') + pages[0].clientUrl
                    : QString();
            },
            QStringLiteral("1-a!1-b|Café/Menu|onenote:https://d/Notes/S.one#x")},
        {"page metadata",
            R"({"id":"1-p","title":"T","links":{"oneNoteClientUrl":{"href":"onenote:https://d/a#p&section-id={A}&end"}}})",
            [](const QByteArray& a) { return ClientUrlFromPageMetadata(QString::fromUtf8(a)); },
            QStringLiteral("onenote:https://d/a#p&section-id={A}&end")},
        {"notebook list",
            R"({"value":[{"id":"0-N","self":"https://g/notebooks/0-N","displayName":"Bücher","links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/c0ffee/Documents/B"}},"sections":[{"id":"0-S","self":"https://g/sections/0-S","displayName":"A/B"}]}]})",
            [](const QByteArray& a) {
                MAccount account;
                qint64 count = 0;
                return Tree(a) + QLatin1Char('#') + account.GetAccountIdFromNotebookJson(QString::fromUtf8(a), count);
            },
            QStringLiteral("Bücher|https://g/notebooks/0-N|onenote:https://d.docs.live.net/c0ffee/Documents/B;"
                           "A/B|https://g/sections/0-S|#c0ffee")},
        {"creation",
            R"({"id":"1-G","self":"https://g/sectionGroups/1-G","displayName":"Reise \"Süd\"","sectionsUrl":"https://g/sectionGroups/1-G/sections"})",
            [](const QByteArray& a) {
                const MCreationOutcome outcome = JudgeCreationAnswer(Response(201, a));
                return QStringList {QString::number(outcome.code), outcome.id,
                    ReadUrlField(outcome.answer, QLatin1String("self")),
                    ReadUrlField(outcome.answer, QLatin1String("sectionsUrl"))}
                    .join(QLatin1Char('|'));
            },
            QStringLiteral("1|1-G|https://g/sectionGroups/1-G|https://g/sectionGroups/1-G/sections")},
        {"creation error", R"({"error":{"code":"20117","message":"Le nom \"x\" est pris é"}})",
            [](const QByteArray& a) {
                const MCreationOutcome outcome = JudgeCreationAnswer(Response(409, a));
                return QStringLiteral("%1|%2|%3").arg(outcome.code).arg(outcome.errorCode, outcome.message);
            },
            QStringLiteral("-4|20117|Le nom \"x\" est pris é")},
        {"drive listing",
            R"({"value":[{"id":"A!1","name":"Notes.one","size":12,"file":{"mimeType":"application/msonenote"}},{"id":"A!2","name":"Trip","size":7,"folder":{"childCount":0}}]})",
            [](const QByteArray& a) {
                const MFolderListing listing = MFolderListing::FromJson(a);
                qint64 size = 0;
                const QString folder = listing.FolderId(QStringLiteral("trip"), size);
                return QStringLiteral("%1|%2|%3")
                    .arg(folder)
                    .arg(size)
                    .arg(listing.UniqueSectionFileName(QStringLiteral("Notes")));
            },
            QStringLiteral("A!2|7|Notes (1).one")},
        {"copy monitor", R"({"status":"completed","percentageComplete":100.0,"resourceId":"A!9/x"})", Follow,
            QStringLiteral("1|A!9/x")},
    };
    return cases;
}

struct Form
{
    const char* name;
    MJsonStyle style;
};

QList<Form> Forms()
{
    MJsonStyle pretty, escaped, extra, reordered, all;
    pretty.pretty = all.pretty = true;
    escaped.escapeAll = all.escapeAll = true;
    extra.extraFields = all.extraFields = true;
    extra.odataContext = all.odataContext = QStringLiteral("https://g/v1.0/$metadata#x");
    reordered.reorder = all.reorder = true;
    return {{"compact", MJsonStyle()}, {"pretty", pretty}, {"escaped", escaped}, {"extra fields", extra},
        {"reordered", reordered}, {"all at once", all}};
}

TEST(AnswerReaders, EveryReaderReadsEveryFormOfTheSameAnswerAlike)
{
    SetStringTableLanguage(QStringLiteral("en"));
    for (const ReaderCase& c : Cases()) {
        for (const Form& form : Forms()) {
            const QByteArray answer = RestyleJson(c.compact, form.style);
            if (QLatin1String(form.name) != QLatin1String("compact")) {
                EXPECT_NE(answer, c.compact) << c.reader << ": the " << form.name << " form is another text";
            }
            EXPECT_EQ(c.read(answer).toStdString(), c.expected.toStdString())
                << c.reader << " in the " << form.name << " form:\n"
                << answer.toStdString();
        }
    }
}

TEST(AnswerReaders, OnlyAWholeErrorObjectIsTheServicesErrorAndAnyErrorMemberFailsACreation)
{
    EXPECT_FALSE(ReadServiceError(R"(<p>{"error":{"code":"x"}}</p>)")) << "a page quoting an error";
    EXPECT_FALSE(ReadServiceError(R"({"value":[{"error":{"code":"x"}}]})"));
    EXPECT_FALSE(ReadServiceError(R"({"error":"invalid_grant"})")) << "the identity platform's form is no Graph error";
    EXPECT_EQ(ReadServiceError(R"({"error":{"code":20102}})").value_or(MServiceError()).code, QStringLiteral("20102"));
    EXPECT_FALSE(ReadServiceError(R"({"error":{"code":"x"}})" + QByteArray(70000, ' ')))
        << "longer than an error object: the start of a file";

    // A creation fails on an "error" member wherever it is, and not on the user's own words.
    EXPECT_EQ(JudgeCreationAnswer(Response(201, R"({"id":"1-p","error":"quota"})")).errorCode, QStringLiteral("quota"));
    const MCreationOutcome titled = JudgeCreationAnswer(Response(201, R"({"id":"1-p","title":"Fix \"error\": now"})"));
    EXPECT_TRUE(titled.Created()) << qPrintable(titled.reason);
    EXPECT_EQ(
        WithoutStringValues(QStringLiteral(R"({"a" : "b\"c", "d":["e"]})")), QStringLiteral(R"({"a" : "", "d":[""]})"));
}

} // namespace
