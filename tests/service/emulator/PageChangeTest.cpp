// Page updates (the PATCH of page content: every target, action and refusal, beyond the few the
// replace feature sends) and page deletion of the emulated OneNote interface.
#include "EmulatorTestBase.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QThread>

namespace {

const QByteArray kPageHtml = "<html><head><title>Targets</title></head><body>"
                             "<p data-id=\"intro\">Intro</p><ul data-id=\"list\"><li>one</li></ul>"
                             "<table data-id=\"grid\"><tr><td><span data-id=\"cell\">x</span></td></tr></table>"
                             "<img data-id=\"pic\" src=\"data:image/png;base64,iVBORw0KGgo=\" />"
                             "<div data-id=\"inner\"><p>inside</p></div></body></html>";

class PageChangeTest : public EmulatorTest
{
public:
    using EmulatorTest::EmulatorTest;

    // A new page of kPageHtml; its generated ids by data-id ("{{intro}}" in a change names the id of
    // the element whose data-id is "intro").
    void MakePage()
    {
        const MHttpResponse made = Call("POST",
            Me()
                + QStringLiteral("/onenote/sections/%1/pages")
                      .arg(IdOf(QStringLiteral("Travel Journal/Empty section"))),
            kPageHtml, "text/html");
        ASSERT_EQ(made.status, 201);
        m_Page = Json(made).value(QLatin1String("id")).toString();
        static const QRegularExpression pair(QStringLiteral("<\\w+ id=\"([^\"]+)\"[^>]*? data-id=\"([^\"]+)\""));
        m_Ids.clear();
        for (auto it = pair.globalMatch(Content()); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            m_Ids.emplace_back(QStringLiteral("{{%1}}").arg(m.captured(2)), m.captured(1));
        }
    }

    QString Page(const QString& tail = {}) const { return Me() + QStringLiteral("/onenote/pages/") + m_Page + tail; }
    QString Content() { return Call("GET", Page(QStringLiteral("/content?includeIDs=true"))).Text(); }
    QString Code(const MHttpResponse& r)
    {
        return Json(r).value(QLatin1String("error")).toObject().value(QLatin1String("code")).toString();
    }
    QByteArray Changes(QString changes) const
    {
        for (const auto& [name, id] : m_Ids)
            changes.replace(name, id);
        return changes.toUtf8();
    }
    MHttpResponse Patch(const QString& changes, const QByteArray& type = "application/json")
    {
        return Call("PATCH", Page(QStringLiteral("/content")), Changes(changes), type);
    }
    QJsonArray Values(const QString& path) { return Json(Call("GET", path)).value(QLatin1String("value")).toArray(); }

    QString m_Page;
    std::vector<std::pair<QString, QString>> m_Ids;
};

TEST_F(PageChangeTest, EachTargetTakesItsDocumentedActionsInTheOrderSent)
{
    const struct
    {
        const char* changes;
        std::vector<const char*> inOrder; // what the content holds afterwards, in this order
        std::vector<const char*> gone;
    } cases[] {
        {"[{'target':'body','action':'prepend','content':'<p>first</p>'},"
         "{'target':'#intro','action':'insert','position':'before','content':'<p>above</p>'},"
         "{'target':'#intro','action':'insert','content':'<p>below</p>'},"
         "{'target':'#list','action':'append','content':'<li>two</li>'},"
         "{'target':'#inner','action':'append','content':'<p>deeper</p>'},"
         "{'target':'body','action':'append','content':'<p>last</p>'}]",
            {"first", "above", "Intro", "below", "one</li><li", "two</li></ul>", "inside</p><p", "deeper</p></div>",
                "last</p>", "</div>\n\t</body>"},
            {}},
        {"[{'target':'body','action':'append','position':'before','content':'<p>first</p>'}]", {"first", "Intro"}, {}},
        {"[{'target':'{{intro}}','action':'replace','content':'<p data-id=\"intro\">swapped</p>'},"
         "{'target':'#pic','action':'replace','content':'<p>was a picture</p>'},"
         "{'target':'{{grid}}','action':'replace','content':'<p>no table</p>'},"
         "{'target':'{{inner}}','action':'replace','content':'<p>flat</p>'},"
         "{'target':'title','action':'replace','content':'A & B'}]",
            {"<title>A &amp; B</title>", "data-id=\"intro\">swapped", "no table", "was a picture", "flat"},
            {"Intro", "<img", "<td>", "inside"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.changes);
        MakePage();
        const MHttpResponse r = Patch(QString::fromUtf8(c.changes));
        ASSERT_EQ(r.status, 204) << r.Text().toStdString();
        EXPECT_TRUE(r.body.value_or("x").isEmpty());
        const QString after = Content();
        qsizetype at = 0;
        for (const char* text : c.inOrder) {
            at = after.indexOf(QString::fromUtf8(text), at);
            EXPECT_GE(at, 0) << text << "\n" << after.toStdString();
        }
        for (const char* text : c.gone)
            EXPECT_FALSE(after.contains(QLatin1String(text))) << text;
    }
}

TEST_F(PageChangeTest, WhatATargetDoesNotTakeIsRefusedWithTheDocumentedCode)
{
    const std::pair<const char*, const char*> cases[] {
        {"[{'target':'#intro','action':'replace','content':'<p>x</p>'}]", "20141"}, // a p by its generated id only
        {"[{'target':'#grid','action':'append','content':'<tr><td>x</td></tr>'}]", "20138"},
        {"[{'target':'#cell','action':'insert','content':'<p>x</p>'}]", "20133"}, // a span takes nothing
        {"[{'target':'#_default','action':'insert','content':'<p>x</p>'}]", "20141"}, // positioned: append only
        {"[{'target':'{{_default}}','action':'replace','content':'<p>x</p>'}]", "20141"},
        {"[{'target':'title','action':'append','content':'x'}]", "20141"},
        {"[{'target':'#nothere','action':'insert','content':'<p>x</p>'}]", "20120"},
        {"[{'target':'#{{intro}}','action':'insert','content':'<p>x</p>'}]", "20134"},
        {"[{'target':'intro','action':'insert','content':'<p>x</p>'}]", "20134"},
        {"[{'target':'#intro','action':'delete','content':''}]", "20122"},
        {"[{'target':'#intro','action':'insert','position':'middle','content':'<p>x</p>'}]", "20121"},
        {"[{'target':'#intro','action':'insert'}]", "20121"},
        {"[{'target':'body','action':'append','content':'<p>x</p>','where':'here'}]", "20126"},
        {"[]", "20125"},
        {"{'target':'title','action':'replace','content':'x'}", "20126"},
        {"[1]", "20126"},
        {"[{'target':'body','action':'append','content':'<p>kept?</p>'},{'target':'#nothere','action':'insert',"
         "'content':'<p>x</p>'}]",
            "20120"},
    };
    MakePage();
    const QString before = Content();
    for (const auto& [changes, code] : cases) {
        const MHttpResponse r = Patch(QString::fromUtf8(changes));
        EXPECT_EQ(r.status, 400) << changes;
        EXPECT_EQ(Code(r), QLatin1String(code)) << changes;
    }
    EXPECT_EQ(Content(), before) << "a refused request changes nothing, its changes before the refused one included";
}

TEST_F(PageChangeTest, IdsStayPutUntilAChangeReplacesTheirElement)
{
    MakePage();
    ASSERT_EQ(Content(), Content());
    const QString listed = Json(Call("GET", Page())).value(QLatin1String("lastModifiedDateTime")).toString();
    // Someone replaces the first paragraph while the application reads the page.
    ASSERT_FALSE(m_Fixture.Emulator().ChangePageAfterRead(
        m_Page, Changes("[{'target':'{{intro}}','action':'replace','content':'<p>edited online</p>'}]")));
    EXPECT_TRUE(Content().contains(QLatin1String(">Intro</p>"))) << "the read shows the page as it was";
    const MHttpResponse stale
        = Patch(QStringLiteral("[{'target':'{{intro}}','action':'replace','content':'<p>mine</p>'}]"));
    EXPECT_EQ(stale.status, 400);
    EXPECT_EQ(Code(stale), QStringLiteral("20120"));
    EXPECT_TRUE(Content().contains(QLatin1String("edited online")));
    // Elements no change touched keep their ids; what a change wrote has ids of its own, targets in turn.
    ASSERT_EQ(Patch(QStringLiteral("[{'target':'{{inner}}','action':'replace','content':'<p>mine</p>'}]")).status, 204);
    const QRegularExpressionMatch mine
        = QRegularExpression(QStringLiteral("<p id=\"([^\"]+)\">mine</p>")).match(Content());
    ASSERT_TRUE(mine.hasMatch());
    EXPECT_EQ(
        Patch(QStringLiteral("[{'target':'%1','action':'replace','content':'<p>again</p>'}]").arg(mine.captured(1)))
            .status,
        204);
    EXPECT_GT(Json(Call("GET", Page())).value(QLatin1String("lastModifiedDateTime")).toString(), listed);

    EXPECT_TRUE(
        m_Fixture.Emulator().ChangePageAfterRead(m_Page, "[{'target':'#nothere','action':'insert','content':''}]"));
    EXPECT_EQ(Call("POST", QStringLiteral("/_emulator/change-after-read"), "{'page':'1-none','changes':[]}",
                  "application/json", false)
                  .status,
        404);
}

// DELETE, and the answers without a body, in both answer styles.
class PageDeleteTest : public PageChangeTest, public ::testing::WithParamInterface<const char*>
{
public:
    PageDeleteTest()
        : PageChangeTest([] {
            QJsonObject fixture = MServiceFixture::DemoFixture();
            fixture.insert(QStringLiteral("answerStyle"), QString::fromLatin1(GetParam()));
            return fixture;
        }())
    { }
};

TEST_P(PageDeleteTest, ADeletedPageIsGoneFromEveryRead)
{
    MakePage();
    const QString section = IdOf(QStringLiteral("Travel Journal/Empty section"));
    for (const MHttpResponse& r :
        {Patch(QStringLiteral("[{'target':'title','action':'replace','content':'Gone'}]")), Call("DELETE", Page())}) {
        EXPECT_EQ(r.status, 204);
        EXPECT_TRUE(r.body.value_or("x").isEmpty());
    }
    for (const auto& [method, tail] : std::vector<std::pair<QByteArray, QString>> {{"GET", QString()},
             {"GET", QStringLiteral("/content")}, {"DELETE", QString()}, {"PATCH", QStringLiteral("/content")}}) {
        const MHttpResponse r = Call(method, Page(tail), "[{'target':'title','action':'replace','content':'x'}]",
            method == "PATCH" ? "application/json" : QByteArray());
        EXPECT_EQ(r.status, 404) << method.constData() << tail.toStdString();
        EXPECT_EQ(Code(r), QStringLiteral("20102"));
    }
    EXPECT_TRUE(Values(Me() + QStringLiteral("/onenote/sections/%1/pages").arg(section)).isEmpty());
    EXPECT_FALSE(Call("GET", Me() + QStringLiteral("/onenote/pages?$top=100")).Text().contains(m_Page));
}

INSTANTIATE_TEST_SUITE_P(Styles, PageDeleteTest, ::testing::Values("plain", "varied"),
    [](const auto& test) { return std::string(test.param); });

} // namespace
