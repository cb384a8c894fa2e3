// What of the emulated OneDrive and request limits no feature's test walks: download addresses
// expiring, the switched-on limits and configured windows.
#include "EmulatorTestBase.h"

#include <QJsonArray>

namespace {

using DriveTest = EmulatorTest;

QString RootId(EmulatorTest& t)
{
    return t.Json(t.Call("GET", QStringLiteral("/v1.0/me/drive/root"))).value(QLatin1String("id")).toString();
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

} // namespace
