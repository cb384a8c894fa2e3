#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>

// Where the services' JSON answers are read. Every answer is parsed, never scanned for bytes: the
// services write the same data compact or pretty-printed, with members in any order, with "/" and
// every non-ASCII character escaped or not, and with fields this program does not know.

// The answer's JSON object; absent when the answer is not one.
std::optional<QJsonObject> AnswerObject(const QByteArray& body);

// The service's error object, {"error":{"code":"...","message":"...",...}}, when it is the whole
// answer. An answer that merely holds one (a page quoting an error) is no error, and neither is an
// answer too long to be one (the start of a downloaded file).
struct MServiceError
{
    QString code; // "" when the object has none
    QString message; // as sent, quotes and all characters unescaped
};
std::optional<MServiceError> ReadServiceError(const QByteArray& body);

// The entries of a list answer, {"value":[...]}; absent when the answer is no list.
std::optional<QJsonArray> ReadList(const QByteArray& body);

// The address under "links" of a OneNote object: LinkHref(page, "oneNoteClientUrl").
QString LinkHref(const QJsonObject& object, QLatin1String kind);

// An "error" member anywhere in the answer: what the creation requests count as a failure, whatever
// its form (Graph's object, the identity platform's text). Its code and message when it has them.
std::optional<MServiceError> FindErrorMember(const QJsonObject& answer);

// The JSON text with the contents of its string values taken out (member names stay): a text rule
// run on it sees the answer's structure, never the user's words that the answer repeats.
QString WithoutStringValues(const QString& json);
