#include "util/TextEscape.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

TEST(TextEscape, MarkupKeepsTextReadableAndJsonStringsRoundTrip)
{
    EXPECT_EQ(EscapeHtmlText(QStringLiteral("A<B & C > \"q\"")), QStringLiteral("A&lt;B &amp; C &gt; \"q\""));
    EXPECT_EQ(EscapeHtmlAttribute(QStringLiteral("a\"b&<")), QStringLiteral("a&quot;b&amp;&lt;"));
    EXPECT_EQ(EscapeHtmlText(QStringLiteral("&amp;")), QStringLiteral("&amp;amp;")); // text, not markup
    const QString name = QStringLiteral("quote \" slash \\ nl\n cr\r bell\x07 日本");
    const QByteArray json = QStringLiteral("{\"n\":\"%1\"}").arg(EscapeJsonString(name)).toUtf8();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.constData();
    EXPECT_EQ(document.object().value(QStringLiteral("n")).toString(), name);
}
