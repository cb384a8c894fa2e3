#include "tasks/ResourceDownload.h"
#include "TempDir.h"
#include "app/MStrings.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Answers as the client does with a body file: the bytes go to the file, the head to the body;
// the answer is judged as a session judges a download.
auto Answering(std::optional<QByteArray> bytes, long status = 200)
{
    return [bytes, status](const MHttpRequest& request) {
        MHttpResponse response;
        response.sent = true;
        if (!bytes)
            return JudgeAnswer(response, MExpect::Bytes);
        response.status = status;
        QFile file(request.bodyFile);
        if (file.open(QIODevice::WriteOnly))
            file.write(*bytes);
        response.body = bytes->left(65536);
        return JudgeAnswer(response, MExpect::Bytes);
    };
}

// Error objects, error pages, empty and lost answers are never saved as resources or section files
// against the emulator (HonestAnswersTest); here a short file, and what is left on the disk.
TEST(ResourceDownloadTest, OnlyAWholeNonErrorAnswerReplacesTheFile)
{
    SetStringTableLanguage(QStringLiteral("en"));
    MTempDir dir;
    const QString path = dir.WriteFile(QStringLiteral("a.png"), "old");
    MHttpRequest request;
    const MDownloadOutcome outcome = DownloadToFile(request, path, Answering(QByteArray("ne")), 3);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.reason, QStringLiteral("2 bytes arrived of 3"));
    EXPECT_EQ(ReadAll(path), QByteArray("old"));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".download")));

    EXPECT_TRUE(DownloadToFile(request, path, Answering(QByteArray("new")), 3).saved);
    EXPECT_EQ(ReadAll(path), QByteArray("new"));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".download")));
}

} // namespace
