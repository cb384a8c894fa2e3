#include "TextDecode.h"

#include <QFile>
#include <QStringDecoder>
#include <memory>
#include <tuple>
#include <unicode/ucnv.h>
#include <unicode/ucsdet.h>

namespace {

// Below this ICU is guessing; such a match is tried only when nothing likelier converts.
constexpr int32_t kLeastConfidence = 10;

MDecodedText Decoded(QString text, const char* encoding)
{
    MDecodedText result;
    // A NUL has no place in a text file: this is an image or a program renamed.
    if (text.contains(QChar(0))) {
        result.failure = MTextFailure::NotText;
        return result;
    }
    result.text = std::move(text);
    result.encoding = QString::fromLatin1(encoding);
    return result;
}

MDecodedText Failed(MTextFailure failure, const QString& detail = QString())
{
    MDecodedText result;
    result.failure = failure;
    result.detail = detail;
    return result;
}

// Qt's strict decoding of a Unicode form; absent when a byte does not belong.
std::optional<QString> DecodeStrictly(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// ICU's converter with every unmappable or illegal byte an error rather than a substitute.
std::optional<QString> ConvertStrictly(const char* encoding, const QByteArray& bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open(encoding, &status), &ucnv_close);
    if (U_FAILURE(status))
        return std::nullopt;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    QString text(bytes.size() * 2 + 16, Qt::Uninitialized);
    const int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()), int32_t(text.size()),
        bytes.constData(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    text.truncate(length);
    return text;
}

// What Windows writes for Western text: ISO-8859-1 as detected, but with the quotes, dashes and the
// euro sign it puts where ISO-8859-1 has control characters.
const char* DecodingName(const char* detected)
{
    return qstrcmp(detected, "ISO-8859-1") == 0 ? "windows-1252" : detected;
}

MDecodedText DecodeByDetection(const QByteArray& bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status), &ucsdet_close);
    if (U_FAILURE(status))
        return Failed(MTextFailure::NotText);
    // Tags and entities say nothing about the encoding of the text between them.
    ucsdet_enableInputFilter(detector.get(), true);
    ucsdet_setText(detector.get(), bytes.constData(), int32_t(bytes.size()), &status);
    int32_t found = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &found, &status);
    if (U_FAILURE(status) || !matches)
        return Failed(MTextFailure::NotText);
    // Text in UTF-16 or UTF-32 without its mark has zero bytes all through it (every Latin letter has
    // one); without any, such a match is ICU reading pairs of bytes of something else.
    const bool hasZeroBytes = bytes.contains('\0');
    for (const bool likely : {true, false}) {
        for (int32_t i = 0; i < found; ++i) {
            UErrorCode matchStatus = U_ZERO_ERROR;
            const int32_t confidence = ucsdet_getConfidence(matches[i], &matchStatus);
            const char* name = ucsdet_getName(matches[i], &matchStatus);
            if (U_FAILURE(matchStatus) || !name || (confidence >= kLeastConfidence) != likely)
                continue;
            if (!hasZeroBytes && QByteArrayView(name).startsWith("UTF-"))
                continue;
            if (std::optional<QString> text = ConvertStrictly(DecodingName(name), bytes))
                return Decoded(std::move(*text), DecodingName(name));
        }
    }
    return Failed(MTextFailure::NotText);
}

// UTF-16 without its mark, told by where its zero bytes fall: every character below U+0100 (Latin
// letters, digits, blanks, line breaks) has one, in the high byte of its pair. ASCII text written so
// is valid UTF-8 byte for byte and would be read as text full of NULs; ICU's detection does not
// propose UTF-16 without a mark. Text with zero bytes on both sides of its pairs is something else.
std::optional<QStringConverter::Encoding> Utf16ByZeroBytes(QByteArrayView bytes)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return std::nullopt;
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        evenZeros += bytes[i] == '\0' ? 1 : 0;
        oddZeros += bytes[i + 1] == '\0' ? 1 : 0;
    }
    const qsizetype pairs = bytes.size() / 2;
    // A tenth of the characters below U+0100 is plenty even for CJK text with its digits and blanks;
    // the other side may hold zeros only for the few characters like U+4E00 whose low byte is zero.
    const auto side = [pairs](qsizetype zeros, qsizetype other) { return zeros * 10 >= pairs && other * 10 < zeros; };
    if (side(oddZeros, evenZeros))
        return QStringConverter::Utf16LE;
    if (side(evenZeros, oddZeros))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

} // namespace

MDecodedText DecodeText(const QByteArray& bytes, bool utf8)
{
    const QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF")) {
        if (std::optional<QString> text = DecodeStrictly(QStringConverter::Utf8, view.sliced(3)))
            return Decoded(std::move(*text), "UTF-8");
        return Failed(utf8 ? MTextFailure::NotUtf8 : MTextFailure::NotText);
    }
    for (const auto& [mark, encoding, name] :
        {std::tuple {QByteArrayView("\xFF\xFE"), QStringConverter::Utf16LE, "UTF-16LE"},
            std::tuple {QByteArrayView("\xFE\xFF"), QStringConverter::Utf16BE, "UTF-16BE"}}) {
        if (!view.startsWith(mark))
            continue;
        if (std::optional<QString> text = DecodeStrictly(encoding, view.sliced(2)))
            return Decoded(std::move(*text), name);
        return Failed(MTextFailure::NotText);
    }
    if (const std::optional<QStringConverter::Encoding> utf16 = Utf16ByZeroBytes(view)) {
        if (std::optional<QString> text = DecodeStrictly(*utf16, view))
            return Decoded(std::move(*text), *utf16 == QStringConverter::Utf16LE ? "UTF-16LE" : "UTF-16BE");
    }
    // Bytes that are valid UTF-8 are UTF-8 in practice: no other encoding's text of any length
    // happens to form its sequences.
    if (std::optional<QString> text = DecodeStrictly(QStringConverter::Utf8, view))
        return Decoded(std::move(*text), "UTF-8");
    if (utf8)
        return Failed(MTextFailure::NotUtf8);
    return DecodeByDetection(bytes);
}

MDecodedText ReadDecodedTextFile(const QString& path, bool utf8)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(MTextFailure::CannotOpen, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failed(MTextFailure::CannotOpen, file.errorString());
    return DecodeText(bytes, utf8);
}
