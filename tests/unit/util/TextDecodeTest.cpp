#include "util/TextDecode.h"

#include <gtest/gtest.h>

namespace {

const QString kChinese = QStringLiteral(
    "你好，世界。这是一个用来测试编码识别的中文文本文件，里面有几句普通的话。今天天气很好，我们去公园散步吧。");
const QByteArray kChineseGbk = QByteArray::fromHex(
    "c4e3bac3a3accac0bde7a1a3d5e2cac7d2bbb8f6d3c3c0b4b2e2cad4b1e0c2ebcab6b1f0b5c4d6d0cec4cec4b1becec4bcfea3acc0efc3e6"
    "d3d0bcb8bee4c6d5cda8b5c4bbb0a1a3bdf1ccecccecc6f8badcbac3a3acced2c3c7c8a5b9abd4b0c9a2b2bdb0c9a1a3");
const QString kJapanese = QStringLiteral(
    "これは文字コードの判定を試すための日本語のテキストです。今日はとても良い天気ですね。明日も晴れるでしょう。");
const QByteArray kJapaneseShiftJis = QByteArray::fromHex(
    "82b182ea82cd95b68e9a8352815b836882cc94bb92e882f08e8e82b782bd82df82cc93fa967b8cea82cc8365834c8358836782c582b78142"
    "8da193fa82cd82c682c482e097c782a293568b4382c582b782cb814296be93fa82e090b082ea82e982c582b582e582a48142");
const QString kWestern
    = QStringLiteral("“Smart quotes” – and the price was 10 € for the café’s crème brûlée. Naïve façade, déjà vu.");
const QByteArray kWesternWindows = QByteArray::fromHex(
    "93536d6172742071756f74657394209620616e642074686520707269636520776173203130208020666f722074686520636166e99273206372"
    "e86d65206272fb6ce9652e204e61ef7665206661e76164652c2064e96ae02076752e");

QByteArray Utf16(const QString& text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFE\xFF", 2);
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes += littleEndian ? QByteArray {&low, 1} + QByteArray {&high, 1}
                              : QByteArray {&high, 1} + QByteArray {&low, 1};
    }
    return bytes;
}

TEST(TextDecodeTest, ByteOrderMarksDecideFirstEvenWhenUtf8IsAskedFor)
{
    for (const bool utf8 : {false, true}) {
        EXPECT_EQ(DecodeText(QByteArray("\xEF\xBB\xBF") + kChinese.toUtf8(), utf8).text, kChinese);
        const MDecodedText little = DecodeText(Utf16(kJapanese, true), utf8);
        EXPECT_EQ(little.text, kJapanese);
        EXPECT_EQ(little.encoding, QStringLiteral("UTF-16LE"));
        EXPECT_EQ(DecodeText(Utf16(kWestern, false), utf8).text, kWestern);
    }
}

TEST(TextDecodeTest, Utf16WithoutAMarkIsToldByWhereItsZeroBytesFall)
{
    const QString mixed = QStringLiteral("Notes 2024: 你好 world\r\n一二三, line two\r\n");
    for (const bool little : {true, false}) {
        for (const QString& text : {kWestern, mixed, QStringLiteral("a")}) {
            for (const bool utf8 : {false, true}) {
                const MDecodedText decoded = DecodeText(Utf16(text, little).mid(2), utf8);
                EXPECT_EQ(decoded.text, text) << little << utf8 << qPrintable(text);
                EXPECT_EQ(decoded.encoding, little ? "UTF-16LE" : "UTF-16BE");
            }
        }
    }
}

TEST(TextDecodeTest, FilesFromWindowsChineseAndJapaneseSystemsArriveReadable)
{
    const MDecodedText chinese = DecodeText(kChineseGbk, false);
    EXPECT_EQ(chinese.text, kChinese) << qPrintable(chinese.encoding);
    const MDecodedText japanese = DecodeText(kJapaneseShiftJis, false);
    EXPECT_EQ(japanese.text, kJapanese) << qPrintable(japanese.encoding);
    // Western text from Windows keeps its quotes, dash and euro sign.
    const MDecodedText western = DecodeText(kWesternWindows, false);
    EXPECT_EQ(western.text, kWestern) << qPrintable(western.encoding);
    // UTF-8 without a mark is taken as UTF-8.
    EXPECT_EQ(DecodeText(kJapanese.toUtf8(), false).text, kJapanese);
    EXPECT_EQ(DecodeText(QByteArray(), false).text, QString());
}

TEST(TextDecodeTest, WhatCannotBeReadAsTextFailsWithItsReason)
{
    const MDecodedText notUtf8 = DecodeText(kChineseGbk, true);
    EXPECT_FALSE(notUtf8.text.has_value());
    EXPECT_EQ(notUtf8.failure, MTextFailure::NotUtf8);
    // A picture named ".txt" is not turned into a page of gibberish.
    static constexpr char kPngStart[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10";
    const QByteArray png = QByteArray(kPngStart, sizeof kPngStart - 1) + QByteArray(200, '\x7f');
    const MDecodedText binary = DecodeText(png, false);
    EXPECT_FALSE(binary.text.has_value());
    EXPECT_EQ(binary.failure, MTextFailure::NotText);
}

} // namespace
