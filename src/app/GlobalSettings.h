#pragma once

#include <QDateTime>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>

// The process-wide settings every task reads. Intervals and the log switch are atomics (workers read
// them while the options window writes them); the update-check values sit behind a mutex.
class MGlobalSettings
{
public:
    std::atomic<qint64> UploadInterval {3};
    std::atomic<qint64> DownloadInterval {3};
    std::atomic<bool> EnableLog {false};

    QDateTime OneAppUpdate_Last() const;
    void SetOneAppUpdate_Last(const QDateTime& day);
    QString CheckedUpdateVersion_Last() const;
    void SetCheckedUpdateVersion_Last(const QString& version);
    // The service's request limits the program keeps to ("120/60s,400/3600s", or "off").
    QString RequestBudget() const;
    void SetRequestBudget(const QString& windows);

private:
    mutable std::mutex m_Mutex;
    QDateTime m_OneAppUpdate_Last;
    QString m_CheckedUpdateVersion_Last;
    QString m_RequestBudget = QStringLiteral("120/60s,400/3600s");
};

MGlobalSettings& GlobalSettings();

// Reads the intervals and the log switch (current values as defaults), the update-check values,
// and loads the stored account again.
void LoadGlobalSettings();
// Writes the intervals and the log switch, then has the account save its own keys.
void SaveGlobalSettings();

// The stored account joins the settings here: the account module registers how it loads and saves
// itself, so this layer does not depend on it.
struct MSettingsParticipant
{
    std::function<void(const QString& settingsFile)> load;
    std::function<void(const QString& settingsFile)> save;
};
void SetAccountSettingsParticipant(MSettingsParticipant participant);
