#pragma once

#include <QList>
#include <QString>
#include <optional>

// The identity platform's error, from a JSON answer ({"error":"invalid_grant","error_description":
// "AADSTS70008: ...","error_codes":[70008],...}) or from a redirect (?error=...&error_description=...).
struct MIdentityError
{
    QString error;
    QString description;
    QList<qint64> codes;

    // AADSTS700016: the platform does not know the application id.
    bool IsUnknownApplication() const;
};
// Absent when the text is no JSON object with an "error" text.
std::optional<MIdentityError> ParseIdentityError(const QString& json);
// Absent when the address carries no "error" field; the description comes percent-decoded.
std::optional<MIdentityError> IdentityErrorFromRedirect(const QString& url);

// The device authorization answer (RFC 8628 section 3.2).
struct MDeviceCode
{
    QString deviceCode;
    QString userCode;
    QString verificationUri;
    QString message;
    qint64 expiresIn = 0; // seconds
    qint64 interval = 5; // seconds between polls
};
// Absent unless the answer has a device code, a user code and a verification address.
std::optional<MDeviceCode> ParseDeviceCodeAnswer(const QString& json);

// What the user is told when the platform does not know the application id: which id, and where
// to check it.
QString UnknownApplicationMessage(const QString& clientId);
