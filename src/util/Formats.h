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

// A new random UUID, 36 characters, upper-case hexadecimal.
QString NewUuidString();
// Standard Base64; characters outside the alphabet are skipped; undecodable input gives no result.
std::optional<QByteArray> Base64Decode(const QString& text);
std::optional<QByteArray> Base64Decode(const QByteArray& text);
