#include "MAccount.h"

#include "app/MConfig.h"
#include "util/TextUtils.h"

#include <QStringList>

namespace {

// An origin as written in the settings, without the trailing "/" a user may add.
QString Origin(const QString& value)
{
    QString origin = value.trimmed();
    while (origin.endsWith(QLatin1Char('/')))
        origin.chop(1);
    return origin;
}

QString Read(const MConfig& config, const char* key, const QString& fallback)
{
    const QString value = Origin(config.ReadValue(QString::fromLatin1(key), fallback));
    return value.isEmpty() ? fallback : value;
}

} // namespace

MEndpoints MEndpoints::Defaults()
{
    MEndpoints e;
    e.globalLogin = QStringLiteral("https://login.microsoftonline.com");
    e.chinaLogin = QStringLiteral("https://login.chinacloudapi.cn");
    e.consumerLogin = QStringLiteral("https://login.live.com");
    e.globalGraph = QStringLiteral("https://graph.microsoft.com");
    e.chinaGraph = QStringLiteral("https://microsoftgraph.chinacloudapi.cn");
    e.oneNoteService = QStringLiteral("https://www.onenote.com");
    e.consumerDocuments = QStringLiteral("https://d.docs.live.net");
    e.makerWeb = QStringLiteral("https://www.brindlecraft.com");
    return e;
}

MEndpoints MEndpoints::Load(const QString& settingsFile)
{
    const MEndpoints d = Defaults();
    const MConfig config(settingsFile);
    MEndpoints e;
    e.globalLogin = Read(config, "Host_GlobalLogin", d.globalLogin);
    e.chinaLogin = Read(config, "Host_ChinaLogin", d.chinaLogin);
    e.consumerLogin = Read(config, "Host_ConsumerLogin", d.consumerLogin);
    e.globalGraph = Read(config, "Host_GlobalGraph", d.globalGraph);
    e.chinaGraph = Read(config, "Host_ChinaGraph", d.chinaGraph);
    e.oneNoteService = Read(config, "Host_OneNoteService", d.oneNoteService);
    e.consumerDocuments = Read(config, "Host_ConsumerDocuments", d.consumerDocuments);
    e.makerWeb = Read(config, "Host_MakerWeb", d.makerWeb);
    e.clientIdGraph = config.ReadValue(QStringLiteral("ClientId_Graph"), "").trimmed();
    e.clientIdOneNote = config.ReadValue(QStringLiteral("ClientId_OneNote"), "").trimmed();
    return e;
}

QString MEndpoints::HostOf(const QString& origin)
{
    const qsizetype scheme = origin.indexOf(QLatin1String("://"));
    QString host = scheme < 0 ? origin : origin.mid(scheme + 3);
    const qsizetype slash = host.indexOf(QLatin1Char('/'));
    return slash < 0 ? host : host.left(slash);
}

QString AccountIdFromClientUrl(const QString& clientUrl, const QString& documentsHost)
{
    const QStringList parts
        = GetStringBetween(clientUrl, QStringLiteral("https://"), QString()).split(QLatin1Char('/'));
    if (parts.size() < 2)
        return QStringLiteral("");
    if (parts.at(0).compare(documentsHost, Qt::CaseInsensitive) == 0)
        return parts.at(1);
    return parts.size() >= 3 ? parts.at(2) : QStringLiteral("");
}
