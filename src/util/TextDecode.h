#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Text files arrive from Windows, Chinese and Japanese systems as often as in UTF-8. A file's bytes
// become text by the first rule that holds: its byte-order mark (UTF-8, UTF-16 LE or BE); UTF-16 LE or
// BE without a mark, told by the zero bytes of its characters below U+0100; UTF-8 when asked for, or
// when the bytes are valid UTF-8; otherwise the encodings ICU's charset detection names, most likely
// first, the first that converts every byte. A file that none of these read, or
// whose text holds NUL characters (a binary file), is not text, and the result says so.

enum class MTextFailure {
    None,
    CannotOpen, // `detail` holds the system's reason
    NotUtf8, // UTF-8 was asked for and the bytes are not
    NotText, // no encoding reads it, or it holds binary data
};

struct MDecodedText
{
    std::optional<QString> text;
    QString encoding; // the encoding that read it ("UTF-8", "GB18030", "Shift_JIS", ...)
    MTextFailure failure = MTextFailure::None;
    QString detail;
};

// `utf8` asks for UTF-8 where the bytes carry no byte-order mark: bytes that are not UTF-8 then fail.
MDecodedText DecodeText(const QByteArray& bytes, bool utf8);
// The whole file, decoded.
MDecodedText ReadDecodedTextFile(const QString& path, bool utf8);
