// The varied answer style carries the plain style's data, in the forms the real services use.
#include "ServiceFixture.h"
#include "model/MNotebookTree.h"
#include "service/MHttpClient.h"

#include <gtest/gtest.h>

namespace {

MHttpResponse Notebooks(MServiceFixture& service)
{
    MHttpRequest request;
    request.url = service.Origin() + QStringLiteral("/v1.0/me/onenote/notebooks?expand=sections");
    request.headers.append({"Authorization", "Bearer " + service.Account().OnlineOneNoteAccessToken().toUtf8()});
    return MHttpClient::ForCurrentThread().Send(request);
}

std::string Names(const MHttpResponse& answer)
{
    MONObject root;
    MNotebookTree::ListJasonToVTSNotebook(answer.Text(), root, MAccount::Personal);
    QStringList names;
    for (const auto& notebook : root.children())
        for (const auto& section : notebook->children())
            names << notebook->name + QLatin1Char('/') + section->name;
    return names.join(QLatin1Char('|')).toStdString();
}

TEST(AnswerStyle, VariedAnswersHoldTheSameDataGzippedChunkedPrettyEscapedAndWithGraphsExtraFields)
{
    QJsonObject fixture = MServiceFixture::DemoFixture();
    fixture.insert(QStringLiteral("answerStyle"), QStringLiteral("plain"));
    MServiceFixture plain(fixture);
    fixture.insert(QStringLiteral("answerStyle"), QStringLiteral("varied"));
    MServiceFixture varied(fixture);
    ASSERT_TRUE(plain.Started() && varied.Started());
    EXPECT_TRUE(plain.Emulator().DownloadOrigin().isEmpty());
    EXPECT_NE(varied.Emulator().DownloadOrigin(), varied.Origin());

    const MHttpResponse compact = Notebooks(plain);
    const MHttpResponse styled = Notebooks(varied);
    EXPECT_TRUE(compact.Header("Content-Encoding").isEmpty());
    EXPECT_EQ(styled.Header("Content-Encoding"), QByteArray("gzip"));
    EXPECT_EQ(styled.Header("Transfer-Encoding"), QByteArray("chunked"));
    const QByteArray body = styled.body.value_or(QByteArray());
    EXPECT_TRUE(body.startsWith("{\r\n  \"value\": [")) << "pretty, and the members the other way round";
    EXPECT_TRUE(body.contains("\"@odata.etag\": ") && body.contains(":\\/\\/")) << body.left(400).toStdString();
    EXPECT_FALSE(compact.body.value_or(QByteArray()).contains("@odata.etag"));
    EXPECT_EQ(Names(styled), Names(compact));
    EXPECT_EQ(Names(compact).substr(0, 27), "Travel Journal/Lisbon 2024|");
}

} // namespace
