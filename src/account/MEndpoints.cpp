#include "MAccount.h"

#include "app/MConfig.h"

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
    e.clientIdGraph = QStringLiteral("3f6c2a71-9d4e-4b8a-a1c5-7e20d9b64f13");
    e.clientIdOneNote = QStringLiteral("b82e5d40-6a17-4c93-8f2e-1d9a7c35e608");
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
    const QString graphId = config.ReadValue(QStringLiteral("ClientId_Graph"), d.clientIdGraph).trimmed();
    const QString oneNoteId = config.ReadValue(QStringLiteral("ClientId_OneNote"), d.clientIdOneNote).trimmed();
    e.clientIdGraph = graphId.isEmpty() ? d.clientIdGraph : graphId;
    e.clientIdOneNote = oneNoteId.isEmpty() ? d.clientIdOneNote : oneNoteId;
    return e;
}

QString MEndpoints::HostOf(const QString& origin)
{
    const qsizetype scheme = origin.indexOf(QLatin1String("://"));
    QString host = scheme < 0 ? origin : origin.mid(scheme + 3);
    const qsizetype slash = host.indexOf(QLatin1Char('/'));
    return slash < 0 ? host : host.left(slash);
}
