// What of the emulated OneNote interface no feature's test walks: the item limit set by hand, the
// legacy names, bodies refused, the title update's answer and forms, verbatim pages, the container
// names refused and the page-size limit. (The limit reached by a big library and the step-by-step
// reads after it are BigLibraryServiceTest's; containers made, quoted names and titles kept are the
// import and replace tests'.)
#include "EmulatorTestBase.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

const QString kExpand
    = QStringLiteral("sections,sectionGroups(expand=sections,sectionGroups(levels=max;expand=sections))");

using OneNoteTest = EmulatorTest;

QByteArray Multipart(
    const QByteArray& boundary, const std::vector<std::tuple<QByteArray, QByteArray, QByteArray>>& parts)
{
    QByteArray body;
    for (const auto& [name, type, bytes] : parts)
        body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\nContent-Type: " + type
            + "\r\n\r\n" + bytes + "\r\n";
    return body + "--" + boundary + "--\r\n";
}

TEST_F(OneNoteTest, OverTheItemLimitOnlyTheExpandedListIsRefusedWithTheDocumentedError)
{
    const QString expanded = Me() + QStringLiteral("/onenote/notebooks?$expand=") + kExpand;
    ASSERT_EQ(Call("GET", expanded).status, 200) << "the demo is far below the documented 5,000";
    // Set as the command line and a fixture's "itemLimit" set it; the demo's account holds more than 5.
    ASSERT_EQ(Call("POST", QStringLiteral("/_emulator/item-limit"), "5", "text/plain", false).status, 204);
    const MHttpResponse refused = Call("GET", expanded);
    EXPECT_EQ(refused.status, 403);
    const QJsonObject error = Json(refused).value(QLatin1String("error")).toObject();
    EXPECT_EQ(error.value(QLatin1String("code")).toString(), QStringLiteral("10008"));
    EXPECT_TRUE(error.value(QLatin1String("message")).toString().contains(QLatin1String("more than 5 OneNote items")));
    EXPECT_EQ(Call("GET", Me() + QStringLiteral("/onenote/notebooks?expand=sections")).status, 403);
    EXPECT_EQ(Call("GET", Me() + QStringLiteral("/onenote/notebooks")).status, 200) << "the plain list still answers";

    EXPECT_EQ(Call("POST", QStringLiteral("/_emulator/item-limit"), "many", "text/plain", false).status, 400);
    m_Fixture.Emulator().SetItemLimit(0);
    EXPECT_EQ(Call("GET", expanded).status, 200) << "0 is no limit";
}

TEST_F(OneNoteTest, LegacyInterfaceNamesItemsWithName)
{
    const MHttpResponse r = Call("GET", QStringLiteral("/api/v1.0/me/notes/notebooks"));
    EXPECT_TRUE(r.Text().contains(QLatin1String("\"name\":\"Travel Journal\"")));
    EXPECT_FALSE(r.Text().contains(QLatin1String("\"displayName\":\"Travel Journal\"")));
}

TEST_F(OneNoteTest, MalformedAndOversizeBodiesGetTheDocumentedErrors)
{
    const QString pages
        = Me() + QStringLiteral("/onenote/sections/%1/pages").arg(IdOf(QStringLiteral("Travel Journal/Empty section")));
    const MHttpResponse noPresentation
        = Call("POST", pages, Multipart("b", {{"pic", "image/png", "x"}}), "multipart/form-data; boundary=b");
    EXPECT_EQ(noPresentation.status, 400);
    EXPECT_TRUE(noPresentation.Text().contains(QLatin1String("\"code\":\"20001\"")));
    const MHttpResponse unclosed
        = Call("POST", pages, "--b\r\nContent-Disposition: form-data; name=\"Presentation\"\r\n\r\n<p>x</p>",
            "multipart/form-data; boundary=b");
    EXPECT_EQ(unclosed.status, 400);
    const MHttpResponse missingPart
        = Call("POST", pages, Multipart("b", {{"Presentation", "text/html", "<img src=\"name:nothere\"/>"}}),
            "multipart/form-data; boundary=b");
    EXPECT_EQ(missingPart.status, 400);
    EXPECT_TRUE(missingPart.Text().contains(QLatin1String("\"code\":\"20008\""))) << "as the service answers";
    const MHttpResponse plainMissingPart
        = Call("POST", pages, "<p>text</p><object data=\"name:nothere\" data-attachment=\"a.pdf\"/>", "text/html");
    EXPECT_EQ(plainMissingPart.status, 400);
    EXPECT_TRUE(plainMissingPart.Text().contains(QLatin1String("\"code\":\"20008\"")));
    const MHttpResponse wrongType = Call("POST", pages, "<p>x</p>", "application/json");
    EXPECT_EQ(wrongType.status, 415);
    EXPECT_EQ(Json(Call("GET", pages)).value(QLatin1String("value")).toArray().size(), 0) << "a refused page was kept";
}

TEST_F(OneNoteTest, TitleUpdateAnswers204WithoutBodyAndAcceptsSingleQuotedJson)
{
    const QString section = IdOf(QStringLiteral("Travel Journal/Lisbon 2024"));
    const QJsonObject first = Json(Call("GET", Me() + QStringLiteral("/onenote/sections/%1/pages?top=1").arg(section)))
                                  .value(QLatin1String("value"))
                                  .toArray()[0]
                                  .toObject();
    const QString id = first.value(QLatin1String("id")).toString();
    const MHttpResponse patched = Call("PATCH", Me() + QStringLiteral("/onenote/pages/%1/content").arg(id),
        "[{'target':'title', 'action':'replace', 'content':'Day one: \"Alfama\" & more'}]", "application/json");
    EXPECT_EQ(patched.status, 204);
    EXPECT_TRUE(patched.body.value_or("x").isEmpty());
    EXPECT_EQ(Json(Call("GET", Me() + QStringLiteral("/onenote/pages/%1").arg(id))).value(QLatin1String("title")),
        QStringLiteral("Day one: \"Alfama\" & more"));
    const MHttpResponse form = Call("PATCH", Me() + QStringLiteral("/onenote/pages/%1/content").arg(id),
        "[{\"target\":\"title\",\"action\":\"replace\",\"content\":\"x\"}]", "text/plain");
    EXPECT_EQ(form.status, 415) << "the changes are JSON or nothing";
}

TEST_F(OneNoteTest, AVerbatimFixturePageIsServedExactlyAsWritten)
{
    const QString section = IdOf(QStringLiteral("Travel Journal/Archive/Field notes"));
    const QJsonArray pages = Json(Call("GET", Me() + QStringLiteral("/onenote/sections/%1/pages").arg(section)))
                                 .value(QLatin1String("value"))
                                 .toArray();
    ASSERT_EQ(pages.size(), 3);
    const QJsonObject replayed = pages[2].toObject();
    EXPECT_EQ(replayed.value(QLatin1String("title")).toString(), QStringLiteral("Replayed: market day"));
    const QString written = MServiceFixture::DemoFixture()
                                .value(QLatin1String("accounts"))[0]
                                .toObject()
                                .value(QLatin1String("notebooks"))[0]
                                .toObject()
                                .value(QLatin1String("sectionGroups"))[0]
                                .toObject()
                                .value(QLatin1String("sections"))[1]
                                .toObject()
                                .value(QLatin1String("pages"))[2]
                                .toObject()
                                .value(QLatin1String("html"))
                                .toString();
    ASSERT_FALSE(written.isEmpty());
    // Without includeIDs too: the page is what the service once wrote, ids and all.
    EXPECT_EQ(Call("GET", replayed.value(QLatin1String("contentUrl")).toString()).Text(), written);
}

TEST_F(OneNoteTest, ContainerCreationFollowsTheNameRules)
{
    const QString notebook = IdOf(QStringLiteral("Travel Journal"));
    const QString sections = Me() + QStringLiteral("/onenote/notebooks/%1/sections").arg(notebook);
    const MHttpResponse twice = Call("POST", sections, "{\"displayName\":\"lisbon 2024\"}", "application/json");
    EXPECT_EQ(twice.status, 409);
    EXPECT_EQ(Call("POST", sections, "{\"displayName\":\"a/b\"}", "application/json").status, 400);
    EXPECT_EQ(Call("POST", Me() + QStringLiteral("/onenote/notebooks"), "{\"displayName\":\"Say \\\"hi\\\"\"}",
                  "application/json")
                  .status,
        400);
    const MHttpResponse group = Call("POST", Me() + QStringLiteral("/onenote/notebooks/%1/sectionGroups").arg(notebook),
        "{'displayName':'New group'}", "application/json");
    EXPECT_EQ(group.status, 201) << "single-quoted JSON is taken";
}

TEST_F(OneNoteTest, AcceptsAHundredMegabytePageWhenTheLimitAllowsAndRefusesItOtherwise)
{
    const QString pages
        = Me() + QStringLiteral("/onenote/sections/%1/pages").arg(IdOf(QStringLiteral("Travel Journal/Empty section")));
    std::vector<std::tuple<QByteArray, QByteArray, QByteArray>> parts {{"Presentation", "text/html", QByteArray()}};
    QByteArray html = "<html><head><title>Big</title></head><body>";
    for (int i = 0; i < 5; ++i) {
        const QByteArray name = "part" + QByteArray::number(i);
        parts.emplace_back(name, "application/octet-stream", QByteArray(20 * 1024 * 1024, char('a' + i)));
        html += "<object data-attachment=\"" + name + ".bin\" data=\"name:" + name + "\" />";
    }
    std::get<2>(parts[0]) = html + "</body></html>";
    const QByteArray body = Multipart("big", parts);
    const MHttpResponse refused = Call("POST", pages, body, "multipart/form-data; boundary=big", true, 60);
    EXPECT_EQ(refused.status, 413);

    QJsonObject fixture = MServiceFixture::DemoFixture();
    fixture.insert(QStringLiteral("limits"), QJsonObject {{QStringLiteral("maxRequestBytes"), 200 * 1024 * 1024}});
    MServiceFixture roomy(fixture);
    MHttpRequest request {"POST", roomy.Origin() + pages,
        {{"Authorization", "Bearer " + roomy.Account().OnlineOneNoteAccessToken().toUtf8()},
            {"Content-Type", "multipart/form-data; boundary=big"}},
        body, 60, {}};
    request.url = roomy.Origin() + Me()
        + QStringLiteral("/onenote/sections/%1/pages")
              .arg(MServiceFixture::FindPath(*roomy.FetchTree(), QStringLiteral("Travel Journal/Empty section"))->id);
    const MHttpResponse accepted = MHttpClient::ForCurrentThread().Send(request);
    EXPECT_EQ(accepted.status, 201);
    EXPECT_EQ(roomy.Emulator().Requests().back().bodySize, body.size());
}

} // namespace
