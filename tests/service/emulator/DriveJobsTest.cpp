// The drive's background work in the emulator: upload sessions taking ranged fragments with the
// documented answers, copies reported by their monitor (and failed by a fault rule), and folder
// sizes that are the totals of what the folders hold.
#include "EmulatorTestBase.h"

#include <QJsonArray>

namespace {

class DriveJobsTest : public EmulatorTest
{
protected:
    QString RootId()
    {
        return Json(Call("GET", QStringLiteral("/v1.0/me/drive/root"))).value(QLatin1String("id")).toString();
    }

    QJsonObject Child(const QString& folderId, const QString& name)
    {
        const QJsonArray entries = Json(Call("GET", QStringLiteral("/v1.0/me/drive/items/%1/children").arg(folderId)))
                                       .value(QLatin1String("value"))
                                       .toArray();
        for (const QJsonValue& entry : entries)
            if (entry.toObject().value(QLatin1String("name")).toString() == name)
                return entry.toObject();
        return {};
    }

    // A fragment as a client sends it: no bearer token, its range in Content-Range.
    MHttpResponse Fragment(const QString& uploadUrl, const QByteArray& bytes, qint64 first, qint64 total)
    {
        MHttpRequest request;
        request.method = "PUT";
        request.url = uploadUrl;
        request.body = bytes;
        request.headers.append({QByteArray("Content-Type"), QByteArray("application/octet-stream")});
        request.headers.append({QByteArray("Content-Range"),
            QStringLiteral("bytes %1-%2/%3").arg(first).arg(first + bytes.size() - 1).arg(total).toUtf8()});
        return MHttpClient::ForCurrentThread().Send(request);
    }

    static QString Next(const QJsonObject& status)
    {
        return status.value(QLatin1String("nextExpectedRanges")).toArray().first().toString();
    }
};

TEST_F(DriveJobsTest, AnUploadSessionTakesFragmentsInOrderAndMakesTheFileWithTheLast)
{
    const QString root = RootId();
    const QString open = QStringLiteral("/v1.0/me/drive/items/%1:/Big.one:/createUploadSession").arg(root);
    const QByteArray fail = R"({"item":{"@microsoft.graph.conflictBehavior":"fail"}})";
    const QJsonObject session = Json(Call("POST", open, fail, "application/json"));
    const QString url = session.value(QLatin1String("uploadUrl")).toString();
    ASSERT_TRUE(url.contains(QLatin1String("/_upload/")));
    EXPECT_EQ(Next(session), QStringLiteral("0-"));

    const qint64 unit = 320 * 1024;
    const qint64 total = 2 * unit + 10;
    QByteArray file(total, 'x');
    file[0] = 'A';
    file[total - 1] = 'Z';
    EXPECT_EQ(Call("PUT", url, file.left(unit), "application/octet-stream", true).status, 401)
        << "a bearer token beside the address";
    const MHttpResponse first = Fragment(url, file.left(unit), 0, total);
    EXPECT_EQ(first.status, 202);
    EXPECT_EQ(Next(Json(first)), QStringLiteral("327680-"));
    EXPECT_EQ(Fragment(url, file.left(unit), 0, total).status, 416) << "a fragment that was taken already";
    EXPECT_EQ(Fragment(url, file.mid(unit, 1000), unit, total).status, 400) << "not a multiple of 320 KiB";
    EXPECT_EQ(Next(Json(Call("GET", url, {}, {}, false))), QStringLiteral("327680-"));
    EXPECT_FALSE(Child(root, QStringLiteral("Big.one")).contains(QLatin1String("id")))
        << "no file before the last byte";

    const MHttpResponse last = Fragment(url, file.mid(unit), unit, total);
    EXPECT_EQ(last.status, 201);
    EXPECT_EQ(Json(last).value(QLatin1String("size")).toInteger(), total);
    const QString id = Json(last).value(QLatin1String("id")).toString();
    const MHttpResponse download = Call("GET", QStringLiteral("/v1.0/me/drive/items/%1/content").arg(id));
    EXPECT_EQ(download.body.value_or(QByteArray()), file);
    EXPECT_EQ(Call("GET", url, {}, {}, false).status, 404) << "the session ends with its file";

    // The name is taken now, whatever its case: "fail" refuses a second session for it.
    const MHttpResponse clash = Call("POST",
        QStringLiteral("/v1.0/me/drive/items/%1:/big.ONE:/createUploadSession").arg(root), fail, "application/json");
    EXPECT_EQ(clash.status, 409);
    const QString cancelled
        = Json(Call("POST", QStringLiteral("/v1.0/me/drive/items/%1:/Other.one:/createUploadSession").arg(root), fail,
                   "application/json"))
              .value(QLatin1String("uploadUrl"))
              .toString();
    EXPECT_EQ(Call("DELETE", cancelled, {}, {}, false).status, 204);
    EXPECT_EQ(Call("GET", cancelled, {}, {}, false).status, 404);
}

TEST_F(DriveJobsTest, ACopyFailedByAFaultRuleSaysSoOnItsMonitorAndNeverAppears)
{
    const QString root = RootId();
    const QString lost = Child(root, QStringLiteral("Lost section.onetmp")).value(QLatin1String("id")).toString();
    ASSERT_FALSE(lost.isEmpty());
    ASSERT_FALSE(m_Fixture.Emulator()
                     .AddFault(QStringLiteral("GET /_monitor/* failed code=quotaLimitReached message=No+room+left"))
                     .has_value());
    const MHttpResponse copy = Call("POST", QStringLiteral("/v1.0/me/drive/items/%1/copy").arg(lost),
        QStringLiteral(R"({"parentReference":{"id":"%1"},"name":"Copied.one"})").arg(root).toUtf8(),
        "application/json");
    ASSERT_EQ(copy.status, 202);
    const QString monitor = QString::fromUtf8(copy.Header("Location"));
    for (int poll = 0; poll < 2; ++poll) {
        const QJsonObject status = Json(Call("GET", monitor, {}, {}, false));
        EXPECT_EQ(status.value(QLatin1String("status")).toString(), QStringLiteral("failed"));
        EXPECT_EQ(status.value(QLatin1String("error")).toObject().value(QLatin1String("code")).toString(),
            QStringLiteral("quotaLimitReached"));
    }
    EXPECT_TRUE(Child(root, QStringLiteral("Copied.one")).isEmpty());
}

TEST_F(DriveJobsTest, AFolderIsAsLargeAsWhatItHoldsAtEveryDepth)
{
    const QJsonObject backups = Child(RootId(), QStringLiteral("Backups"));
    // C.one 1024 + D.onetmp.bak 1024 + Phone (Meeting notes 81920 + Old (Planning 20480)).
    EXPECT_EQ(backups.value(QLatin1String("size")).toInteger(), 1024 + 1024 + 81920 + 20480);
    const QJsonObject phone = Child(backups.value(QLatin1String("id")).toString(), QStringLiteral("Phone"));
    EXPECT_EQ(phone.value(QLatin1String("size")).toInteger(), 81920 + 20480);
}

} // namespace
