#include "UpdateCheck.h"

#include "IdleTime.h"
#include "MessageBox.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "app/PrivateFiles.h"
#include "net/MHttpClient.h"
#include "util/MClock.h"

#include <QDebug>
#include <QFile>
#include <QThread>

namespace {

constexpr long long kDownloadIdleSeconds = 20;
constexpr long long kAnnounceIdleSeconds = 30;

// The leading decimal digits of a part; 0 when it does not begin with one.
qint64 LeadingNumber(const QString& part)
{
    qint64 value = 0;
    for (const QChar c : part) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > (qint64(1) << 53))
            break; // a version part this long is nonsense; stop before it overflows
    }
    return value;
}

bool IsToday(const QDateTime& time)
{
    return time.isValid() && time.date() == MClock::Now().date();
}

// The default download: one request of the request frame on a thread of its own, the body
// streamed into the temporary file.
void DownloadOnThread(const QString& url, const QString& file, std::function<void(const QString&)> done)
{
    QThread* thread = QThread::create([url, file, done = std::move(done)] {
        MHttpRequest request;
        request.url = url;
        request.bodyFile = file;
        const MHttpResponse response = MHttpClient::ForCurrentThread().Send(request);
        if (!response.HasBody())
            done(response.transportError.isEmpty() ? QStringLiteral("no answer") : response.transportError);
        else
            done(QString());
    });
    thread->setObjectName(QStringLiteral("UpdateCheckThread"));
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

MUpdateCheckHooks WithDefaults(MUpdateCheckHooks hooks)
{
    if (!hooks.idleSeconds)
        hooks.idleSeconds = [] { return GetSystemIdleSeconds(); };
    if (!hooks.taskRunning)
        hooks.taskRunning = [] { return false; };
    if (!hooks.download)
        hooks.download = DownloadOnThread;
    if (!hooks.systemLog)
        hooks.systemLog = [](const QString& text) { qWarning().noquote() << text; };
    if (!hooks.announce)
        hooks.announce = [](const QString& text) { ShowMessageBox(text); };
    if (!hooks.openPage)
        hooks.openPage = [](const QString&) {};
    return hooks;
}

} // namespace

MVersion ParseVersion(const QString& text)
{
    MVersion version {0, 0, 0, 0};
    qsizetype from = 0;
    for (int i = 0; i < 3; ++i) {
        const qsizetype dot = text.indexOf(QLatin1Char('.'), from);
        if (dot < 0)
            return version; // this part and every later one read as empty
        version[size_t(i)] = LeadingNumber(text.mid(from, dot - from));
        from = dot + 1;
    }
    version[3] = LeadingNumber(text.mid(from));
    return version;
}

bool IsNewerVersion(const QString& candidate, const QString& own)
{
    return ParseVersion(candidate) > ParseVersion(own);
}

MUpdateCheck::MUpdateCheck(
    QString makerWeb, QString infoFile, QString settingsFile, QString ownVersion, MUpdateCheckHooks hooks)
    : m_MakerWeb(std::move(makerWeb))
    , m_InfoFile(std::move(infoFile))
    , m_SettingsFile(std::move(settingsFile))
    , m_OwnVersion(std::move(ownVersion))
    , m_Hooks(WithDefaults(std::move(hooks)))
    , m_LastExamination(MClock::Now().addSecs(-86400))
{ }

QString MUpdateCheck::InfoUrl() const
{
    return m_MakerWeb + QStringLiteral("/uploads/soft/pagewright/pagewrightinfo.txt");
}

QString MUpdateCheck::ProductPageUrl() const
{
    return m_MakerWeb + QStringLiteral("/a/addins/pagewright.html");
}

bool MUpdateCheck::UserAway(long long idleSeconds) const
{
    const long long idle = m_Hooks.idleSeconds();
    // Where the idle time cannot be read (a Wayland session, no screen-saver extension) waiting for
    // it would mean never checking: the check goes by the day rule alone, out of a running task's way.
    if (idle < 0)
        return !m_Hooks.taskRunning();
    return idle >= idleSeconds;
}

bool MUpdateCheck::DownloadStep()
{
    if (!UserAway(kDownloadIdleSeconds) || IsToday(GlobalSettings().OneAppUpdate_Last()))
        return false;
    // The day is taken when the download starts, so a failing server is asked once a day only.
    GlobalSettings().SetOneAppUpdate_Last(MClock::Now());
    const QString temp = m_InfoFile + QStringLiteral(".download");
    // Made here, owner-only like the rest of the application folder; the download fills it.
    QFile made(temp);
    OpenPrivately(made, QIODevice::WriteOnly | QIODevice::Truncate);
    made.close();
    // The completion runs on the download's thread and may outlive this object: it captures copies.
    m_Hooks.download(InfoUrl(), temp,
        [info = m_InfoFile, settings = m_SettingsFile, log = m_Hooks.systemLog, temp](
            const QString& error) { DownloadFinished(info, settings, temp, error, log); });
    return true;
}

void MUpdateCheck::DownloadFinished(const QString& infoFile, const QString& settingsFile, const QString& tempFile,
    const QString& error, const std::function<void(const QString&)>& systemLog)
{
    if (!error.isEmpty()) {
        QFile::remove(tempFile);
        systemLog(QStringLiteral("下载文件出错：%1").arg(error));
        return;
    }
    QFile::remove(infoFile);
    if (!QFile::rename(tempFile, infoFile)) {
        systemLog(QStringLiteral("移动文件失败：%1").arg(tempFile));
        return;
    }
    MConfig config(settingsFile);
    config.WriteValue(QStringLiteral("OneAppUpdate_Last"), GlobalSettings().OneAppUpdate_Last());
    config.Save();
}

bool MUpdateCheck::AnnounceStep()
{
    if (!UserAway(kAnnounceIdleSeconds) || !QFile::exists(m_InfoFile) || IsToday(m_LastExamination))
        return false;
    m_LastExamination = MClock::Now();
    QFile file(m_InfoFile);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QString remote = QString::fromUtf8(file.readAll()).trimmed();
    if (remote.isEmpty() || remote == GlobalSettings().CheckedUpdateVersion_Last())
        return true;
    if (!IsNewerVersion(remote, m_OwnVersion))
        return true; // not stored: compared again tomorrow
    GlobalSettings().SetCheckedUpdateVersion_Last(remote);
    MConfig config(m_SettingsFile);
    config.WriteValue(QStringLiteral("CheckedUpdateVersion_Last"), remote);
    config.Save();
    m_Hooks.announce(QStringLiteral("Found Pagewright new version %1").arg(remote));
    m_Hooks.openPage(ProductPageUrl());
    return true;
}
