#pragma once

#include <QJsonObject>
#include <QString>
#include <deque>
#include <map>
#include <optional>
#include <vector>

// The request limits of the emulated service, as sliding windows: at most `count` requests of one
// account in any `ms` milliseconds. The OneNote interface documents 120 a minute and 400 an hour;
// tests set small windows ("10/2s,30/10s") to reach them quickly. OneNote and OneDrive requests are
// counted apart. A refused request is not counted.
class MEmuThrottle
{
public:
    struct Window
    {
        int count = 0;
        qint64 ms = 0;
        qint64 refused = 0; // requests this window refused
    };

    static constexpr const char* kDocumented = "120/60s,400/3600s";

    // "COUNT/SECONDSs,..." ("m" and "h" for minutes and hours), or "off"; an error text otherwise.
    std::optional<QString> Configure(const QString& text);
    bool IsOn() const { return !m_Windows.empty(); }
    QString Text() const { return m_Text; }

    // Counts one request of `key` at `nowMs` when every window has room and returns 0; otherwise
    // returns the milliseconds until the fullest window frees a place (at least 1).
    qint64 Take(const QString& key, qint64 nowMs);
    // Forgets the counts (the windows stay).
    void ClearCounts();

    // {"windows":[{"window":"10/2s","count":10,"seconds":2,"refused":N}],"counted":N,"refused":N,
    //  "perKey":{"key":{"counted":N,"refused":N,"inLongestWindow":N}}}
    QJsonObject Report(qint64 nowMs) const;

private:
    std::vector<Window> m_Windows;
    QString m_Text = QStringLiteral("off");
    std::map<QString, std::deque<qint64>> m_Calls;
    std::map<QString, std::pair<qint64, qint64>> m_PerKey; // counted, refused
    qint64 m_Counted = 0;
    qint64 m_Refused = 0;
};
