#pragma once

#include "ServiceFixture.h"
#include "net/MHttpClient.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

// Raw requests to an in-process emulator through the application's own HTTP client.
class EmulatorTest : public ::testing::Test
{
public:
    explicit EmulatorTest(QJsonObject fixture = MServiceFixture::DemoFixture())
        : m_Fixture(std::move(fixture))
    { }

    MHttpResponse Call(const QByteArray& method, const QString& path, const QByteArray& body = {},
        const QByteArray& contentType = {}, bool bearer = true, int timeout = 10)
    {
        MHttpRequest request;
        request.method = method;
        request.url = path.startsWith(QLatin1String("http")) ? path : m_Fixture.Origin() + path;
        request.timeoutSeconds = timeout;
        if (bearer)
            request.headers.append(
                {"Authorization", "Bearer " + m_Fixture.Account().OnlineOneNoteAccessToken().toUtf8()});
        if (!contentType.isEmpty())
            request.headers.append({"Content-Type", contentType});
        request.body = body;
        return MHttpClient::ForCurrentThread().Send(request);
    }

    QJsonObject Json(const MHttpResponse& response)
    {
        EXPECT_TRUE(response.HasBody());
        return QJsonDocument::fromJson(response.body.value_or(QByteArray())).object();
    }

    // The OneNote id of a section or notebook found by its path of names.
    QString IdOf(const QString& path)
    {
        if (!m_Tree)
            m_Tree = m_Fixture.FetchTree();
        const MNotebookNode* node = MServiceFixture::FindPath(*m_Tree, path);
        EXPECT_NE(node, nullptr) << path.toStdString();
        return node ? node->id : QString();
    }

    QString Me() const { return QStringLiteral("/v1.0/me"); }

    MServiceFixture m_Fixture;
    std::shared_ptr<MNotebookNode> m_Tree;
};
