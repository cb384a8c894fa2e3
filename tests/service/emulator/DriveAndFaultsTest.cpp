// The emulated OneDrive interface (listings in pages, folders, copy, upload, download addresses),
// the fault rules, the request limits and the inspection addresses.
#include "EmulatorTestBase.h"

#include <QJsonArray>

namespace {

using DriveTest = EmulatorTest;

QString RootId(EmulatorTest& t)
{
    return t.Json(t.Call("GET", QStringLiteral("/v1.0/me/drive/root"))).value(QLatin1String("id")).toString();
}

TEST_F(DriveTest, ChildrenComeInPagesOfTwoHundredWithANextLink)
{
    const QString root = RootId(*this);
    const QString children = QStringLiteral("/v1.0/me/drive/items/%1/children").arg(root);
    for (int i = 0; i < 230; ++i)
        ASSERT_EQ(Call("POST", children, QStringLiteral("{'name':'Folder %1', 'folder': { }}").arg(i).toUtf8(),
                      "application/json")
                      .status,
            201);
    const QJsonObject first = Json(Call("GET", children + QStringLiteral("?select=id,name")));
    EXPECT_EQ(first.value(QLatin1String("value")).toArray().size(), 200);
    const QString next = first.value(QLatin1String("@odata.nextLink")).toString();
    ASSERT_FALSE(next.isEmpty());
    const QJsonObject second = Json(Call("GET", next));
    EXPECT_EQ(second.value(QLatin1String("value")).toArray().size(), 234 - 200); // the fixture's four plus 230
    EXPECT_FALSE(second.contains(QLatin1String("@odata.nextLink")));
    EXPECT_FALSE(second.value(QLatin1String("value")).toArray()[0].toObject().contains(QLatin1String("size")))
        << "select was lost";
}

TEST_F(DriveTest, FolderClashCopyUploadAndNotebookPackages)
{
    const QString root = RootId(*this);
    const QString children = QStringLiteral("/v1.0/me/drive/items/%1/children").arg(root);
    const MHttpResponse clash = Call("POST", children, "{'name':'backups', 'folder': { }}", "application/json");
    EXPECT_EQ(clash.status, 409);
    EXPECT_TRUE(clash.Text().startsWith(QLatin1String("{\"error\":{\"code\":\"nameAlreadyExists\"")));
    EXPECT_EQ(Call("POST", children, "{'name':'No facet'}", "application/json").status, 400);

    const QJsonArray rootEntries = Json(Call("GET", children)).value(QLatin1String("value")).toArray();
    QString lostId;
    for (const QJsonValue& v : rootEntries)
        if (v.toObject().value(QLatin1String("name")).toString() == QLatin1String("Lost section.onetmp"))
            lostId = v.toObject().value(QLatin1String("id")).toString();
    ASSERT_FALSE(lostId.isEmpty());
    const MHttpResponse copy = Call("POST", QStringLiteral("/v1.0/me/drive/items/%1/copy").arg(lostId),
        QStringLiteral("{'parentReference':{'id':'%1'},'name':'Restored.one'}").arg(root).toUtf8(), "application/json");
    EXPECT_EQ(copy.status, 202);
    EXPECT_TRUE(copy.body.value_or("x").isEmpty());
    const QString monitor = QString::fromUtf8(copy.Header("Location"));
    EXPECT_TRUE(monitor.contains(QLatin1String("/_monitor/")));
    // The copy is made in the background: the monitor says so once, then it is done.
    const MHttpResponse running = Call("GET", monitor, {}, {}, false);
    EXPECT_EQ(running.status, 202);
    EXPECT_EQ(Json(running).value(QLatin1String("status")).toString(), QStringLiteral("inProgress"));
    const QJsonObject done = Json(Call("GET", monitor, {}, {}, false));
    EXPECT_EQ(done.value(QLatin1String("status")).toString(), QStringLiteral("completed"));
    EXPECT_FALSE(done.value(QLatin1String("resourceId")).toString().isEmpty());

    const MHttpResponse created = Call("PUT",
        QStringLiteral("/v1.0/me/drive/items/%1:/%2:/content").arg(root, QStringLiteral("Upload%20me.one")),
        "section bytes", "application/octet-stream");
    EXPECT_EQ(created.status, 201);
    EXPECT_EQ(Json(created).value(QLatin1String("size")).toInt(), 13);
    EXPECT_EQ(
        Call("PUT", QStringLiteral("/v1.0/me/drive/items/%1:/%2:/content").arg(root, QStringLiteral("Upload%20me.one")),
            "replaced", "application/octet-stream")
            .status,
        200);

    const QJsonArray after = Json(Call("GET", children)).value(QLatin1String("value")).toArray();
    QStringList names;
    for (const QJsonValue& v : after)
        names << v.toObject().value(QLatin1String("name")).toString();
    EXPECT_TRUE(names.contains(QStringLiteral("Restored.one")));
    EXPECT_TRUE(names.contains(QStringLiteral("Upload me.one")));

    // A notebook is a package holding its groups as folders and its sections as OneNote files.
    const QString documents = Json(Call("GET", children))
                                  .value(QLatin1String("value"))
                                  .toArray()[0]
                                  .toObject()
                                  .value(QLatin1String("id"))
                                  .toString();
    const QJsonObject notebook = Json(Call("GET", QStringLiteral("/v1.0/me/drive/items/%1/children").arg(documents)))
                                     .value(QLatin1String("value"))
                                     .toArray()[0]
                                     .toObject();
    EXPECT_EQ(notebook.value(QLatin1String("package")).toObject().value(QLatin1String("type")).toString(),
        QStringLiteral("oneNote"));
    EXPECT_EQ(
        QStringLiteral("1-") + notebook.value(QLatin1String("id")).toString(), IdOf(QStringLiteral("Travel Journal")));
    const QJsonArray inside = Json(
        Call("GET",
            QStringLiteral("/v1.0/me/drive/items/%1/children").arg(notebook.value(QLatin1String("id")).toString())))
                                  .value(QLatin1String("value"))
                                  .toArray();
    EXPECT_EQ(inside[0].toObject().value(QLatin1String("file")).toObject().value(QLatin1String("mimeType")).toString(),
        QStringLiteral("application/msonenote"));
}

TEST_F(DriveTest, DownloadAddressesNeedNoBearerAndExpire)
{
    const QString root = RootId(*this);
    const QJsonArray entries = Json(
        Call("GET",
            QStringLiteral("/v1.0/me/drive/items/%1/children?$select=id,size,@microsoft.graph.downloadUrl").arg(root)))
                                   .value(QLatin1String("value"))
                                   .toArray();
    QString address;
    for (const QJsonValue& v : entries)
        if (v.toObject().contains(QLatin1String("@microsoft.graph.downloadUrl")))
            address = v.toObject().value(QLatin1String("@microsoft.graph.downloadUrl")).toString();
    ASSERT_FALSE(address.isEmpty());
    const MHttpResponse download = Call("GET", address, {}, {}, false);
    EXPECT_EQ(download.status, 200);
    EXPECT_EQ(download.body->size(), 40960);
    m_Fixture.Emulator().ExpireDownloadAddresses();
    const MHttpResponse expired = Call("GET", address, {}, {}, false);
    EXPECT_EQ(expired.status, 401);
    EXPECT_TRUE(expired.Text().contains(QLatin1String("\"error\":")));
}

TEST_F(DriveTest, EveryFaultKindAnswersAsConfiguredForItsCount)
{
    MEmulator& emu = m_Fixture.Emulator();
    const QString me = QStringLiteral("/v1.0/me");
    ASSERT_FALSE(emu.AddFault(QStringLiteral("GET /v1.0/me delay ms=3000")).has_value());
    const MHttpResponse late = Call("GET", me, {}, {}, true, 1);
    EXPECT_FALSE(late.HasBody()) << "the client's timeout should have ended the call";

    ASSERT_FALSE(emu.AddFault(QStringLiteral("GET /v1.0/me drop")).has_value());
    EXPECT_FALSE(Call("GET", me).HasBody());

    ASSERT_FALSE(
        emu.AddFault(QStringLiteral(
                         "GET /v1.0/me/* error status=503 code=10002 message=The+service+is+not+available. count=2"))
            .has_value());
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(Call("GET", me + QStringLiteral("/onenote/notebooks"))
                        .Text()
                        .startsWith(QLatin1String(
                            "{\"error\":{\"code\":\"10002\",\"message\":\"The service is not available.\"")));
    EXPECT_EQ(Call("GET", me + QStringLiteral("/onenote/notebooks")).status, 200) << "the count was not used up";

    ASSERT_FALSE(emu.AddFault(QStringLiteral("* /v1.0/me html")).has_value());
    const MHttpResponse html = Call("GET", me);
    EXPECT_EQ(html.status, 500);
    EXPECT_TRUE(html.Text().contains(QLatin1String("<html>")));

    ASSERT_FALSE(emu.AddFault(QStringLiteral("GET /v1.0/me throttle retryAfter=7")).has_value());
    const MHttpResponse throttled = Call("GET", me);
    EXPECT_EQ(throttled.status, 429);
    EXPECT_EQ(throttled.Header("Retry-After"), QByteArray("7"));
    EXPECT_TRUE(throttled.Text().contains(QLatin1String("\"code\":\"20166\"")));

    ASSERT_FALSE(emu.AddFault(QStringLiteral("GET /v1.0/me empty")).has_value());
    const MHttpResponse empty = Call("GET", me);
    EXPECT_EQ(empty.status, 200);
    EXPECT_TRUE(empty.HasBody() && empty.body->isEmpty());

    EXPECT_TRUE(emu.AddFault(QStringLiteral("GET /x explode")).has_value());
    EXPECT_EQ(Call("GET", me).status, 200);
}

TEST_F(DriveTest, RequestLimitsAnswer429WithCode20166WhenSwitchedOn)
{
    m_Fixture.Emulator().SetThrottling(true);
    const QString list = QStringLiteral("/v1.0/me/onenote/notebooks");
    for (int i = 0; i < 120; ++i)
        ASSERT_EQ(Call("GET", list).status, 200) << i;
    const MHttpResponse over = Call("GET", list);
    EXPECT_EQ(over.status, 429);
    EXPECT_TRUE(over.Text().contains(QLatin1String("\"code\":\"20166\"")));
    EXPECT_TRUE(over.Header("Retry-After").isEmpty()) << "the OneNote interface names no time";
    EXPECT_EQ(Call("GET", QStringLiteral("/v1.0/me/drive/root")).status, 200) << "OneDrive requests are counted apart";
}

TEST_F(DriveTest, ConfiguredWindowsRefuseOverTheirCountReportWhatTheyCountedAndFreeUpInTime)
{
    m_Fixture.Emulator().ClearRequests();
    // Over HTTP, as a script would set them.
    ASSERT_EQ(Call("POST", QStringLiteral("/_emulator/throttle"), "2/1s,3/60s", "text/plain", false).status, 204);
    EXPECT_EQ(Call("POST", QStringLiteral("/_emulator/throttle"), "many", "text/plain", false).status, 400);
    const QString list = QStringLiteral("/v1.0/me/onenote/notebooks");
    EXPECT_EQ(Call("GET", list).status, 200);
    EXPECT_EQ(Call("GET", list).status, 200);
    EXPECT_EQ(Call("GET", list).status, 429);
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
    EXPECT_EQ(Call("GET", list).status, 200) << "the one-second window has room again";
    EXPECT_EQ(Call("GET", list).status, 429) << "the minute window has not";

    // OneDrive under the same windows says how long to wait.
    EXPECT_EQ(Call("GET", QStringLiteral("/v1.0/me/drive/root")).status, 200);
    EXPECT_EQ(Call("GET", QStringLiteral("/v1.0/me/drive/root")).status, 200);
    const MHttpResponse drive = Call("GET", QStringLiteral("/v1.0/me/drive/root"));
    EXPECT_EQ(drive.status, 429);
    EXPECT_EQ(drive.Header("Retry-After"), QByteArray("1"));
    EXPECT_TRUE(drive.Text().contains(QLatin1String("activityLimitReached")));

    const QJsonObject throttle = Json(Call("GET", QStringLiteral("/_emulator/state"), {}, {}, false))
                                     .value(QLatin1String("throttle"))
                                     .toObject();
    EXPECT_EQ(throttle.value(QLatin1String("setting")).toString(), QStringLiteral("2/1s,3/60s"));
    EXPECT_EQ(throttle.value(QLatin1String("counted")).toInteger(), 5);
    EXPECT_EQ(throttle.value(QLatin1String("refused")).toInteger(), 3);
    const QJsonArray windows = throttle.value(QLatin1String("windows")).toArray();
    ASSERT_EQ(windows.size(), 2);
    EXPECT_EQ(windows[0].toObject().value(QLatin1String("refused")).toInteger(), 2);
    EXPECT_EQ(windows[1].toObject().value(QLatin1String("refused")).toInteger(), 1);

    ASSERT_EQ(Call("POST", QStringLiteral("/_emulator/throttle"), "off", "text/plain", false).status, 204);
    EXPECT_EQ(Call("GET", list).status, 200);
}

TEST_F(DriveTest, AFaultMayLetTheFirstMatchingRequestsThrough)
{
    ASSERT_FALSE(
        m_Fixture.Emulator().AddFault(QStringLiteral("GET /v1.0/me error status=500 after=2 count=1")).has_value());
    EXPECT_EQ(Call("GET", Me()).status, 200);
    EXPECT_EQ(Call("GET", Me()).status, 200);
    EXPECT_EQ(Call("GET", Me()).status, 500);
    EXPECT_EQ(Call("GET", Me()).status, 200);
}

TEST_F(DriveTest, InspectionShowsRequestsStateAndTakesFaultsOverHttp)
{
    Call("POST", QStringLiteral("/v1.0/me/onenote/notebooks"), "{\"displayName\":\"Logged\"}", "application/json");
    const QJsonArray log
        = QJsonDocument::fromJson(*Call("GET", QStringLiteral("/_emulator/requests"), {}, {}, false).body).array();
    ASSERT_FALSE(log.isEmpty());
    const QJsonObject last = log.last().toObject();
    EXPECT_EQ(last.value(QLatin1String("method")).toString(), QStringLiteral("POST"));
    EXPECT_EQ(last.value(QLatin1String("body")).toString(), QStringLiteral("{\"displayName\":\"Logged\"}"));
    EXPECT_TRUE(last.value(QLatin1String("headers"))
                    .toObject()
                    .value(QLatin1String("authorization"))
                    .toString()
                    .startsWith(QLatin1String("Bearer ")));
    EXPECT_TRUE(Call("GET", QStringLiteral("/_emulator/state"), {}, {}, false)
                    .Text()
                    .contains(QLatin1String("\"name\":\"Logged\"")));

    EXPECT_EQ(Call("POST", QStringLiteral("/_emulator/faults"), "GET /v1.0/me error status=404 code=itemNotFound",
                  "text/plain", false)
                  .status,
        204);
    EXPECT_EQ(Call("GET", QStringLiteral("/v1.0/me")).status, 404);
    EXPECT_EQ(Call("POST", QStringLiteral("/_emulator/reset"), {}, {}, false).status, 204);
    EXPECT_FALSE(Call("GET", QStringLiteral("/_emulator/state"), {}, {}, false)
                     .Text()
                     .contains(QLatin1String("\"name\":\"Logged\"")));
}

TEST_F(DriveTest, MakerWebServesVersionProductPageAndTagIcons)
{
    EXPECT_EQ(
        Call("GET", QStringLiteral("/uploads/soft/pagewright/pagewrightinfo.txt"), {}, {}, false).Text().trimmed(),
        QStringLiteral("1.0.0.0"));
    EXPECT_EQ(Call("GET", QStringLiteral("/a/addins/pagewright.html"), {}, {}, false).status, 200);
    const MHttpResponse icon
        = Call("GET", QStringLiteral("/uploads/soft/quillview/apptags/to-do-completed.png"), {}, {}, false);
    EXPECT_TRUE(icon.body.value_or("").startsWith("\x89PNG"));
}

} // namespace
