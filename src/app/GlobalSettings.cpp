#include "GlobalSettings.h"

#include "AppPaths.h"
#include "MConfig.h"
#include "util/MClock.h"

namespace {

MSettingsParticipant& AccountParticipant()
{
    static MSettingsParticipant participant;
    return participant;
}

} // namespace

QDateTime MGlobalSettings::OneAppUpdate_Last() const
{
    const std::lock_guard lock(m_Mutex);
    return m_OneAppUpdate_Last;
}

void MGlobalSettings::SetOneAppUpdate_Last(const QDateTime& day)
{
    const std::lock_guard lock(m_Mutex);
    m_OneAppUpdate_Last = day;
}

QString MGlobalSettings::CheckedUpdateVersion_Last() const
{
    const std::lock_guard lock(m_Mutex);
    return m_CheckedUpdateVersion_Last;
}

void MGlobalSettings::SetCheckedUpdateVersion_Last(const QString& version)
{
    const std::lock_guard lock(m_Mutex);
    m_CheckedUpdateVersion_Last = version;
}

QString MGlobalSettings::RequestBudget() const
{
    const std::lock_guard lock(m_Mutex);
    return m_RequestBudget;
}

void MGlobalSettings::SetRequestBudget(const QString& windows)
{
    const std::lock_guard lock(m_Mutex);
    m_RequestBudget = windows;
}

MGlobalSettings& GlobalSettings()
{
    static MGlobalSettings settings;
    return settings;
}

void SetAccountSettingsParticipant(MSettingsParticipant participant)
{
    AccountParticipant() = std::move(participant);
}

void LoadGlobalSettings()
{
    MGlobalSettings& g = GlobalSettings();
    const QString path = AppPaths().settingsFile;
    const MConfig config(path);
    g.UploadInterval = config.ReadValue(QStringLiteral("UploadInterval"), g.UploadInterval.load());
    g.DownloadInterval = config.ReadValue(QStringLiteral("DownloadInterval"), g.DownloadInterval.load());
    g.EnableLog = config.ReadValue(QStringLiteral("EnableLog"), g.EnableLog.load());
    g.SetRequestBudget(config.ReadValue(QStringLiteral("RequestBudget"), g.RequestBudget()));
    g.SetOneAppUpdate_Last(config.ReadValue(QStringLiteral("OneAppUpdate_Last"), MClock::Now().addSecs(-86400)));
    g.SetCheckedUpdateVersion_Last(config.ReadValue(QStringLiteral("CheckedUpdateVersion_Last"), ApplicationVersion()));
    if (AccountParticipant().load)
        AccountParticipant().load(path);
}

void SaveGlobalSettings()
{
    const MGlobalSettings& g = GlobalSettings();
    const QString path = AppPaths().settingsFile;
    MConfig config(path);
    config.WriteValue(QStringLiteral("UploadInterval"), g.UploadInterval.load());
    config.WriteValue(QStringLiteral("DownloadInterval"), g.DownloadInterval.load());
    config.WriteValue(QStringLiteral("EnableLog"), g.EnableLog.load());
    config.Save();
    if (AccountParticipant().save)
        AccountParticipant().save(path);
}
