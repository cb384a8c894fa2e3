#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// Leading decimal number after white space and an optional sign; 0 without digits; clamps to the
// ends of the signed 64-bit range.
qint64 StringToInteger(const QString& text);
// "n B" up to 1024, then KB, MB, GB by truncating shifts: 1024 -> "1024 B", 1025 -> "1 KB".
QString FormatByteSize(qint64 bytes);
QDateTime CurrentDate();
// Local wall-clock time written with a "-00:00" suffix, as OneNote's "created" value takes it:
// 2021-03-05T09:07:02-00:00. No conversion to UTC takes place.
QString FormatDateForOneNote(const QDateTime& date);

struct MVersion
{
    qint64 major = 0;
    qint64 minor = 0;
    qint64 patch = 0;
    qint64 build = 0;
    auto operator<=>(const MVersion&) const = default;
};
// Four dotted fields; a field counts only when its closing "." is there, so "1.2.3" reads 1.2.0.0
// and "7" reads 0.0.0.0.
void ParseVersionString(const QString& text, qint64& a, qint64& b, qint64& c, qint64& d);
MVersion ParseVersionString(const QString& text);

// A new random UUID, 36 characters, upper-case hexadecimal.
QString NewUuidString();
// Standard Base64; characters outside the alphabet are skipped; undecodable input gives no result.
std::optional<QByteArray> Base64Decode(const QString& text);
std::optional<QByteArray> Base64Decode(const QByteArray& text);
