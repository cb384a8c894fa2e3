#include "util/Formats.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// The rule written the plain way: keep the alphabet and "=", then let Qt decode strictly.
std::optional<QByteArray> Reference(const QByteArray& text)
{
    QByteArray clean;
    for (const char ch : text) {
        if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '+' || ch == '/'
            || ch == '=')
            clean.append(ch);
    }
    auto decoded = QByteArray::fromBase64Encoding(clean, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return decoded.decoded;
}

} // namespace

TEST(Base64Decode, AgreesWithTheStrictRuleOnAwkwardInput)
{
    const char* cases[] = {"", "=", "==", "A", "AB", "ABC", "ABCD", "AB==", "ABC=", "A===", "AB=C",
        "AB= =", "ABCD==", "AB\n==", "AB=\n=", "=ABC", "AB==AB==", "QUJD\r\nREVG\n", " \t\n", "QQ", "QQ=", "QUI",
        "QUI==", "****", "QU*J", "QU\xc3\xa9J"};
    for (const char* text : cases)
        EXPECT_EQ(Base64Decode(QByteArray(text)), Reference(QByteArray(text))) << '"' << text << '"';
}

TEST(Base64Decode, AgreesWithTheStrictRuleOnRandomWrappedText)
{
    QRandomGenerator random(20240607);
    const QByteArray noise = "\r\n \t=*-_";
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes(random.bounded(0, 200), Qt::Uninitialized);
        for (char& ch : bytes)
            ch = static_cast<char>(random.bounded(256));
        QByteArray text = bytes.toBase64();
        const int edits = random.bounded(4);
        for (int e = 0; e < edits; ++e)
            text.insert(random.bounded(text.size() + 1), noise.at(random.bounded(noise.size())));
        if (random.bounded(3) == 0)
            text.chop(random.bounded(qMin<qsizetype>(3, text.size()) + 1));
        EXPECT_EQ(Base64Decode(text), Reference(text)) << text.constData();
    }
}
