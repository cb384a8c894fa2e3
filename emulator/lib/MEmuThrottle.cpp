#include "MEmuThrottle.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <algorithm>

std::optional<QString> MEmuThrottle::Configure(const QString& text)
{
    const QString trimmed = text.trimmed();
    std::vector<Window> windows;
    if (trimmed.compare(QLatin1String("off"), Qt::CaseInsensitive) != 0 && !trimmed.isEmpty()) {
        static const QRegularExpression kWindow(QStringLiteral("^\\s*(\\d+)\\s*/\\s*(\\d+)\\s*([smh]?)\\s*$"));
        for (const QString& part : trimmed.split(QLatin1Char(','))) {
            const QRegularExpressionMatch m = kWindow.match(part);
            if (!m.hasMatch() || m.captured(1).toInt() < 1 || m.captured(2).toLongLong() < 1)
                return QStringLiteral("a throttle window is COUNT/SECONDSs, as in 10/2s: %1").arg(part);
            const QString unit = m.captured(3);
            const qint64 scale = unit == QLatin1String("h") ? 3600000 : unit == QLatin1String("m") ? 60000 : 1000;
            windows.push_back(Window {m.captured(1).toInt(), m.captured(2).toLongLong() * scale, 0});
        }
    }
    m_Windows = std::move(windows);
    m_Text = m_Windows.empty() ? QStringLiteral("off") : trimmed;
    ClearCounts();
    return std::nullopt;
}

qint64 MEmuThrottle::Take(const QString& key, qint64 nowMs)
{
    if (m_Windows.empty())
        return 0;
    qint64 longest = 0;
    for (const Window& window : m_Windows)
        longest = std::max(longest, window.ms);
    std::deque<qint64>& calls = m_Calls[key];
    while (!calls.empty() && nowMs - calls.front() >= longest)
        calls.pop_front();
    qint64 wait = 0;
    Window* refusing = nullptr;
    for (Window& window : m_Windows) {
        // Requests still inside this window: those less than its length ago.
        const auto inside = std::count_if(calls.begin(), calls.end(), [&](qint64 t) { return nowMs - t < window.ms; });
        if (inside < window.count)
            continue;
        // The place frees when the request `count` places back leaves the window.
        const qint64 frees = calls[calls.size() - size_t(window.count)] + window.ms - nowMs;
        if (frees > wait) {
            wait = frees;
            refusing = &window;
        }
    }
    if (refusing) {
        ++refusing->refused;
        ++m_Refused;
        ++m_PerKey[key].second;
        return std::max<qint64>(1, wait);
    }
    calls.push_back(nowMs);
    ++m_Counted;
    ++m_PerKey[key].first;
    return 0;
}

void MEmuThrottle::ClearCounts()
{
    m_Calls.clear();
    m_PerKey.clear();
    m_Counted = 0;
    m_Refused = 0;
    for (Window& window : m_Windows)
        window.refused = 0;
}

QJsonObject MEmuThrottle::Report(qint64 nowMs) const
{
    QJsonArray windows;
    for (const Window& window : m_Windows) {
        const qint64 seconds = window.ms / 1000;
        windows.append(QJsonObject {{QStringLiteral("window"), QStringLiteral("%1/%2s").arg(window.count).arg(seconds)},
            {QStringLiteral("count"), window.count}, {QStringLiteral("seconds"), seconds},
            {QStringLiteral("refused"), window.refused}});
    }
    QJsonObject perKey;
    for (const auto& [key, counts] : m_PerKey) {
        qint64 longest = 0;
        for (const Window& window : m_Windows)
            longest = std::max(longest, window.ms);
        const auto it = m_Calls.find(key);
        const qint64 inside = it == m_Calls.end()
            ? 0
            : std::count_if(it->second.begin(), it->second.end(), [&](qint64 t) { return nowMs - t < longest; });
        perKey.insert(key,
            QJsonObject {{QStringLiteral("counted"), counts.first}, {QStringLiteral("refused"), counts.second},
                {QStringLiteral("inLongestWindow"), inside}});
    }
    return QJsonObject {{QStringLiteral("setting"), m_Text}, {QStringLiteral("windows"), windows},
        {QStringLiteral("counted"), m_Counted}, {QStringLiteral("refused"), m_Refused},
        {QStringLiteral("perKey"), perKey}};
}
