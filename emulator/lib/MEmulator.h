#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// One request as the emulator received it.
struct MEmuLoggedRequest
{
    QString origin; // the origin that received it: Origin(), or DownloadOrigin() for a download
    QString method;
    QString path; // with the query, as sent
    std::multimap<QString, QString> headers; // names in lower case
    // The first MEmulator::kLoggedBodyBytes bytes; empty once the log holds kLoggedBytesInAll (a
    // long import would otherwise keep every page twice). bodySize is always the whole size.
    QByteArray body;
    qint64 bodySize = 0;

    QString Header(const QString& name) const;
};

// The stand-in for the identity platform, Graph (OneNote and OneDrive) and the maker's web server, on
// 127.0.0.1. Tests start it in-process on a free port; pagewright-emulator runs it as a program.
// Every service role answers from the one origin; the application reaches it through its host settings.
class MEmulator
{
public:
    static constexpr qint64 kLoggedBodyBytes = 4 * 1024 * 1024;
    static constexpr qint64 kLoggedBytesInAll = 256 * 1024 * 1024;
    // The application id the identity platform knows when neither the options nor the fixture name
    // any: the one scripts/demo, the screenshots and the tests give the application.
    static constexpr const char* kApplicationId = "00000000-0000-4000-8000-0000000e0001";

    struct Options
    {
        QJsonObject fixture;
        bool autoConsent = false;
        int port = 0; // 0: any free port
        QString throttle; // request limits over the fixture's ("10/2s,30/10s", "off"); "" keeps the fixture's
        // The large-library limit over the fixture's "itemLimit" (0: none); absent keeps the fixture's.
        std::optional<qint64> itemLimit;
        // How answers are written, over the fixture's "answerStyle"; "" keeps the fixture's. "plain":
        // compact JSON in the documented member order, one origin. "varied": as the real services
        // send them (see MEmuStyle.cpp), with downloads on a second origin.
        QString answerStyle;
        // With the fixture's "clientIds", the only application ids the identity platform knows;
        // when both name none, it knows kApplicationId.
        QStringList clientIds;
        // Seconds a device-code client is told to wait between polls; absent keeps the fixture's
        // "deviceInterval" (5 by default).
        std::optional<qint64> deviceInterval;
    };

    explicit MEmulator(Options options);
    ~MEmulator();
    MEmulator(const MEmulator&) = delete;
    MEmulator& operator=(const MEmulator&) = delete;

    // Loads the fixture and starts listening; an error text when either fails.
    std::optional<QString> Start();
    void Stop();
    int Port() const;
    QString Origin() const; // "http://127.0.0.1:PORT"
    // The second origin that serves the pre-authenticated download addresses in the varied style
    // (another port of 127.0.0.1); "" in the plain style, where Origin() serves them.
    QString DownloadOrigin() const;
    bool Varied() const;
    // The application ids it knows, once started.
    QStringList ClientIds() const;

    // Fault rules (see MEmuFaults.h for the text form); an error text for a rule that cannot be read.
    std::optional<QString> AddFault(const QString& rule);
    void ClearFaults();

    std::vector<MEmuLoggedRequest> Requests() const;
    void ClearRequests();
    // The whole state as JSON (the form /_emulator/state answers).
    QJsonObject State() const;
    // Back to the fixture's state; tokens, faults and the request log are cleared too.
    void Reset();

    // Signs an account in without the browser: a valid access and refresh token for the fixture's
    // account key, as a code exchange would give them.
    struct Tokens
    {
        QString accessToken;
        QString refreshToken;
        QString userId;
    };
    Tokens IssueTokens(const QString& accountKey);
    // Makes every issued access token expire now (the refresh tokens stay valid).
    void ExpireAccessTokens();
    // Makes every download address given out so far expire now.
    void ExpireDownloadAddresses();
    // Switches the documented request limits (120 a minute, 400 an hour) on or off.
    void SetThrottling(bool on);
    // Sets the request limits: "COUNT/SECONDSs,..." or "off"; an error text when it cannot be read.
    std::optional<QString> SetThrottle(const QString& windows);
    // Sets the large-library limit: over this many OneNote items the expanded notebook list answers
    // 403 with code "10008"; 0 for none.
    void SetItemLimit(qint64 items);
    // Makes the changes (a JSON array as a PATCH of page content sends it) to the page right after
    // its content is next read, as if someone edited it online during the read; an error text when
    // the page is unknown or cannot take them.
    std::optional<QString> ChangePageAfterRead(const QString& pageId, const QByteArray& changes);

    struct Impl;

private:
    std::unique_ptr<Impl> m_Impl;
};

// Reads a fixture file; an error text in `error` when it is not a JSON object.
QJsonObject LoadFixtureFile(const QString& path, QString* error);
