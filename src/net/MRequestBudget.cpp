#include "MRequestBudget.h"

#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/PrivateFiles.h"
#include "util/MSleeper.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

namespace {

constexpr qint64 kSaveEveryMs = 2000;
constexpr qint64 kDefaultLongestMs = 3600 * 1000;

// A request is reckoned to leave a window a little after the window's length: the service counts
// arrivals, and an arrival may lag its send by more than the one before it did (a loaded machine, a
// slow network): a twentieth of the window, between 50 and 250 ms.
qint64 Margin(const MBudgetWindow& window)
{
    return std::min<qint64>(250, std::max<qint64>(50, window.ms / 20));
}

} // namespace

std::optional<std::vector<MBudgetWindow>> MRequestBudget::ParseWindows(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
        return std::vector<MBudgetWindow>();
    static const QRegularExpression kWindow(QStringLiteral("^\\s*(\\d+)\\s*/\\s*(\\d+)\\s*([smh]?)\\s*$"));
    std::vector<MBudgetWindow> windows;
    for (const QString& part : trimmed.split(QLatin1Char(','))) {
        const QRegularExpressionMatch m = kWindow.match(part);
        if (!m.hasMatch())
            return std::nullopt;
        const QString unit = m.captured(3);
        const qint64 scale = unit == QLatin1String("h") ? 3600000 : unit == QLatin1String("m") ? 60000 : 1000;
        MBudgetWindow window {m.captured(1).toInt(), m.captured(2).toLongLong() * scale};
        if (window.count < 1 || window.ms < 1)
            return std::nullopt;
        windows.push_back(window);
    }
    if (windows.empty())
        return std::nullopt;
    return windows;
}

bool MRequestBudget::Configure(const QString& text)
{
    std::optional<std::vector<MBudgetWindow>> windows = ParseWindows(text);
    const bool ok = windows.has_value();
    if (!ok)
        windows = ParseWindows(QLatin1String(kDefaultWindows));
    const std::lock_guard lock(m_Mutex);
    m_Text = text;
    m_Windows = *windows;
    m_Off = m_Windows.empty();
    return ok;
}

bool MRequestBudget::IsOff() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Off;
}

std::vector<MBudgetWindow> MRequestBudget::Windows() const
{
    const std::lock_guard lock(m_Mutex);
    return m_Windows;
}

qint64 MRequestBudget::NextSlot(const MSent& sent, const std::vector<MBudgetWindow>& windows, qint64 nowMs)
{
    // Slots are handed out in order, so the history stays sorted and the request `count` places back
    // is the one that must have left a window before the next may enter it.
    qint64 slot = sent.empty() ? nowMs : std::max(nowMs, sent.back());
    for (const MBudgetWindow& window : windows) {
        if (sent.size() < size_t(window.count))
            continue;
        slot = std::max(slot, sent[sent.size() - size_t(window.count)] + window.ms + Margin(window));
    }
    return slot;
}

qint64 MRequestBudget::LongestWindowLocked() const
{
    qint64 longest = 0;
    for (const MBudgetWindow& window : m_Windows)
        longest = std::max(longest, window.ms + Margin(window));
    return longest > 0 ? longest : kDefaultLongestMs;
}

void MRequestBudget::TrimLocked(MSent& sent, qint64 nowMs) const
{
    const qint64 oldest = nowMs - LongestWindowLocked();
    while (!sent.empty() && sent.front() <= oldest)
        sent.pop_front();
}

qint64 MRequestBudget::Reserve(const QString& account, qint64 nowMs)
{
    const std::lock_guard lock(m_Mutex);
    MSent& sent = m_Sent[account];
    TrimLocked(sent, nowMs);
    m_Dirty = true;
    if (m_Off) {
        sent.insert(std::upper_bound(sent.begin(), sent.end(), nowMs), nowMs);
        return nowMs;
    }
    const qint64 slot = NextSlot(sent, m_Windows, nowMs);
    sent.push_back(slot);
    return slot;
}

void MRequestBudget::Release(const QString& account, qint64 slotMs)
{
    const std::lock_guard lock(m_Mutex);
    MSent& sent = m_Sent[account];
    const auto it = std::find(sent.begin(), sent.end(), slotMs);
    if (it != sent.end())
        sent.erase(it);
    m_Dirty = true;
}

void MRequestBudget::Restamp(const QString& account, qint64 slotMs, qint64 sentMs)
{
    const std::lock_guard lock(m_Mutex);
    MSent& sent = m_Sent[account];
    const auto it = std::find(sent.begin(), sent.end(), slotMs);
    if (it == sent.end() || sentMs <= slotMs)
        return;
    sent.erase(it);
    sent.insert(std::upper_bound(sent.begin(), sent.end(), sentMs), sentMs);
}

void MRequestBudget::Record(const QString& account, qint64 nowMs)
{
    const std::lock_guard lock(m_Mutex);
    MSent& sent = m_Sent[account];
    TrimLocked(sent, nowMs);
    sent.insert(std::upper_bound(sent.begin(), sent.end(), nowMs), nowMs);
    m_Dirty = true;
}

qint64 MRequestBudget::FreeAt(const QString& account, qint64 nowMs) const
{
    const std::lock_guard lock(m_Mutex);
    if (m_Off)
        return nowMs;
    const auto it = m_Sent.constFind(account);
    return it == m_Sent.constEnd() ? nowMs : NextSlot(*it, m_Windows, nowMs);
}

qint64 MRequestBudget::EstimateMs(const QString& account, qint64 requests, qint64 nowMs) const
{
    const std::lock_guard lock(m_Mutex);
    if (m_Off)
        return -1;
    MSent sent = m_Sent.value(account);
    qint64 last = nowMs;
    for (qint64 i = 0; i < requests; ++i) {
        last = NextSlot(sent, m_Windows, nowMs);
        sent.push_back(last);
    }
    return last - nowMs;
}

int MRequestBudget::SentWithin(const QString& account, qint64 ms, qint64 nowMs) const
{
    const std::lock_guard lock(m_Mutex);
    const MSent sent = m_Sent.value(account);
    return int(std::count_if(sent.begin(), sent.end(), [&](qint64 t) { return t > nowMs - ms && t <= nowMs; }));
}

void MRequestBudget::SetStoreFile(const QString& path)
{
    const std::lock_guard lock(m_Mutex);
    m_StoreFile = path;
    m_Sent.clear();
    LoadLocked();
}

QString MRequestBudget::StoreFile() const
{
    const std::lock_guard lock(m_Mutex);
    return m_StoreFile;
}

void MRequestBudget::LoadLocked()
{
    if (m_StoreFile.isEmpty())
        return;
    QFile file(m_StoreFile);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const qint64 now = NowMs();
    const QJsonObject accounts
        = QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("sent")).toObject();
    for (auto it = accounts.begin(); it != accounts.end(); ++it) {
        MSent sent;
        for (const QJsonValue& value : it.value().toArray())
            sent.push_back(value.toInteger());
        std::sort(sent.begin(), sent.end());
        TrimLocked(sent, now);
        if (!sent.empty())
            m_Sent.insert(it.key(), std::move(sent));
    }
}

QByteArray MRequestBudget::SerializeLocked() const
{
    QJsonObject accounts;
    for (auto it = m_Sent.constBegin(); it != m_Sent.constEnd(); ++it) {
        QJsonArray times;
        for (const qint64 t : *it)
            times.append(t);
        if (!times.isEmpty())
            accounts.insert(it.key(), times);
    }
    return QJsonDocument(QJsonObject {{QStringLiteral("sent"), accounts}}).toJson(QJsonDocument::Compact);
}

void MRequestBudget::Save()
{
    QString path;
    QByteArray bytes;
    {
        const std::lock_guard lock(m_Mutex);
        if (m_StoreFile.isEmpty() || !m_Dirty)
            return;
        path = m_StoreFile;
        bytes = SerializeLocked();
        m_LastSaveMs = NowMs();
        m_Dirty = false;
    }
    // A lost write costs only pacing on the next start, never data: nothing to report.
    QSaveFile file(path);
    if (OpenPrivately(file, QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        file.commit();
}

void MRequestBudget::SaveSoon(qint64 nowMs)
{
    {
        const std::lock_guard lock(m_Mutex);
        if (m_StoreFile.isEmpty() || nowMs - m_LastSaveMs < kSaveEveryMs)
            return;
    }
    Save();
}

void MRequestBudget::Clear()
{
    const std::lock_guard lock(m_Mutex);
    m_Sent.clear();
}

void MRequestBudget::Follow(const QString& appFolder, const QString& windowsText)
{
    bool reconfigure = false;
    bool reload = false;
    {
        const std::lock_guard lock(m_Mutex);
        reconfigure = windowsText != m_Text || (m_Windows.empty() && !m_Off);
        reload = appFolder != m_AppFolder;
        m_AppFolder = appFolder;
    }
    if (reconfigure)
        Configure(windowsText);
    if (reload)
        SetStoreFile(appFolder.isEmpty() ? QString() : QDir(appFolder).filePath(QLatin1String(kRequestBudgetName)));
}

MRequestBudget& TheRequestBudget()
{
    static MRequestBudget budget;
    budget.Follow(AppPaths().appFolder, GlobalSettings().RequestBudget());
    return budget;
}

bool IsOneNoteAddress(const QString& url)
{
    // The interface root right after the principal: ".../v1.0/me/onenote", ".../v1.0/users/ID/onenote",
    // or the OneNote service's ".../api/v1.0/me/notes". A OneDrive path may hold a folder of that name.
    static const QRegularExpression kRoot(
        QStringLiteral("^[a-z]+://[^/]+(/[^/?]+)?/v1\\.0/(me|users/[^/?]+)/(onenote|notes)(/|\\?|$)"));
    return kRoot.match(url).hasMatch();
}
