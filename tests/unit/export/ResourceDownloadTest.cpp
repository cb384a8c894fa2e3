#include "export/ResourceDownload.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Answers as the client does with a body file: the bytes go to the file, the head to the body.
auto Answering(std::optional<QByteArray> bytes)
{
    return [bytes](const MHttpRequest& request) {
        MHttpResponse response;
        if (!bytes)
            return response;
        QFile file(request.bodyFile);
        if (file.open(QIODevice::WriteOnly))
            file.write(*bytes);
        response.body = bytes->left(65536);
        return response;
    };
}

TEST(ResourceDownloadTest, OnlyAWholeNonErrorAnswerReplacesTheFile)
{
    MTempDir dir;
    const QString path = dir.WriteFile(QStringLiteral("a.png"), "old");
    MHttpRequest request;

    MDownloadOutcome outcome
        = DownloadToFile(request, path, Answering(QByteArray(R"({"error":{"code":"20102","message":"gone"}})")));
    EXPECT_FALSE(outcome.saved);
    EXPECT_TRUE(outcome.serviceError);
    EXPECT_EQ(outcome.errorCode, QStringLiteral("20102"));
    EXPECT_EQ(ReadAll(path), QByteArray("old"));

    EXPECT_FALSE(DownloadToFile(request, path, Answering(std::nullopt)).saved);
    EXPECT_EQ(ReadAll(path), QByteArray("old"));

    EXPECT_TRUE(DownloadToFile(request, path, Answering(QByteArray("new"))).saved);
    EXPECT_EQ(ReadAll(path), QByteArray("new"));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".download")));
}

TEST(ResourceDownloadTest, AFileThatMerelyMentionsAnErrorIsStillAFile)
{
    EXPECT_TRUE(IsServiceErrorDownload(R"(  {"error":{"code":"InvalidAuthenticationToken"}})"));
    EXPECT_FALSE(IsServiceErrorDownload(R"([{"log":1},{"error":{"code":"x"}}])"));
    EXPECT_FALSE(IsServiceErrorDownload("\x89PNG"));
}

TEST(ResourceDownloadTest, NewTextFilesNeverOverwriteAndReportFailure)
{
    MTempDir dir;
    const QString existing = dir.WriteFile(QStringLiteral("T.txt"), "mine");
    EXPECT_FALSE(WriteNewTextFile(existing, QStringLiteral("other")));
    EXPECT_EQ(ReadAll(existing), QByteArray("mine"));
    EXPECT_FALSE(WriteNewTextFile(dir.FilePath(QStringLiteral("missing/T.txt")), QStringLiteral("x")));
    const QString fresh = dir.FilePath(QStringLiteral("Ü.txt"));
    EXPECT_TRUE(WriteNewTextFile(fresh, QStringLiteral("Grüße")));
    EXPECT_EQ(ReadAll(fresh), QStringLiteral("Grüße").toUtf8());
}

} // namespace
