#pragma once

#include "net/MHttpClient.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>

// What a caller needs an answer to carry before it counts as the service's data.
enum class MExpect {
    Success, // any 2xx answer, even an empty one (a title update answers 204 No Content)
    Text, // a body with something in it (page content)
    Json, // a JSON object
    List, // a JSON object whose "value" is an array (a page list, a children listing)
    Created, // a JSON object naming the new item by a non-empty "id"
    Bytes, // the bytes of a file; the answer must not be empty
};

// Why an answer is not the data asked for.
enum class MAnswerFailure {
    None,
    NotSent, // no access token: nothing was sent
    Stopped, // the run was stopped before the request went out (or while it waited to go again)
    Transport, // no answer: refused, dropped, timed out
    Service, // an error answer: a status of 400 or more, or the service's error object
    Empty, // a success status without the data that should come with it
    Unexpected, // a success status with something else than was asked for
};

// One answer as judged: the raw response, and when it is no good, why, in words a user can read.
struct MServiceAnswer
{
    MHttpResponse response;
    MAnswerFailure failure = MAnswerFailure::None;
    QString errorCode; // the service's error code, when it sent one
    QString errorMessage; // the service's error message, when it sent one
    QString reason; // "HTTP 500 Internal Server Error: 500 - Internal server error.", "no answer: ..."

    bool Ok() const { return failure == MAnswerFailure::None; }
    long Status() const { return response.status; }
    QString Text() const { return response.Text(); }
    QByteArray Body() const { return response.body.value_or(QByteArray()); }
    // The answer's JSON object (empty when it is not one).
    QJsonObject Object() const;
    // The entries of a list answer (empty when it is no list).
    QJsonArray List() const;
    // The error code when there is one, else the reason: what the one-word failure messages show.
    QString CodeOrReason() const { return errorCode.isEmpty() ? reason : errorCode; }
};

// Why something was not done: what kind of failure (a stop is no fault of the item, and control
// flow asks Stopped(), never the words) and the words a user reads.
struct MFailure
{
    MAnswerFailure kind = MAnswerFailure::None;
    QString reason;

    bool Stopped() const { return kind == MAnswerFailure::Stopped; }
    static MFailure Of(const MServiceAnswer& answer) { return {answer.failure, answer.reason}; }
};

// Judges an answer. An answer is the service's data only when its status is 2xx, it is not the
// service's error object, and it carries what `expect` asks for. Only an answer that IS an error
// object counts as one, so that a page or file that merely quotes an error text is not lost.
MServiceAnswer JudgeAnswer(MHttpResponse response, MExpect expect);

// An answer that asks the caller to wait and try again: 429, 503, 504, or a throttling code.
bool IsThrottled(const MServiceAnswer& answer);
// An answer saying the access token is no longer good.
bool IsInvalidToken(const MServiceAnswer& answer);
// The wait an answer asks for in its "Retry-After" header (seconds, or an HTTP date), in ms.
std::optional<qint64> RetryAfterMs(const MHttpResponse& response, qint64 nowMs);
