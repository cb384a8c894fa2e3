// The OneDrive interface of Graph (…/drive): items, children listings in pages, folder creation,
// copying (in the background, see MEmuDriveJobs.cpp), simple upload, upload sessions and the
// pre-authenticated download addresses.
#include "MEmuInternal.h"

#include <QCryptographicHash>
#include <QJsonArray>

namespace {

constexpr qsizetype kHashedBytes = 64 * 1024 * 1024;

class Drive
{
public:
    Drive(MEmulator::Impl& emu, MEmuAccount& account, const MEmuRequest& request, const QString& base)
        : m_Emu(emu)
        , m_State(emu.state)
        , m_Account(account)
        , m_Request(request)
        , m_Base(base)
    { }

    MEmuResponse Handle(QStringList s)
    {
        const QString& m = m_Request.method;
        const bool get = m == QLatin1String("GET");
        if (s.value(0) == QLatin1String("root")) {
            s[0] = m_Account.rootId;
            s.prepend(QStringLiteral("items"));
        }
        if (s.value(0) != QLatin1String("items") || s.size() < 2)
            return NotFound();
        // Simple upload: items/{parent-id}:/{file name}:/content
        if (s.size() == 4 && s[1].endsWith(QLatin1Char(':')) && s[2].endsWith(QLatin1Char(':'))
            && s[3] == QLatin1String("content") && m == QLatin1String("PUT"))
            return Upload(s[1].chopped(1), s[2].chopped(1));
        // Upload session: items/{parent-id}:/{file name}:/createUploadSession
        if (s.size() == 4 && s[1].endsWith(QLatin1Char(':')) && s[2].endsWith(QLatin1Char(':'))
            && s[3] == QLatin1String("createUploadSession") && m == QLatin1String("POST"))
            return CreateUploadSession(s[1].chopped(1), s[2].chopped(1));
        MEmuItem* item = Mine(s[1]);
        if (!item)
            return NotFound();
        if (s.size() == 2 && get)
            return JsonAnswer(200, ItemJson(*item, Selection()));
        if (s.size() == 3 && s[2] == QLatin1String("children"))
            return get ? Children(*item) : m == QLatin1String("POST") ? CreateFolder(*item) : NotAllowed();
        if (s.size() == 3 && s[2] == QLatin1String("copy") && m == QLatin1String("POST"))
            return Copy(*item);
        if (s.size() == 3 && s[2] == QLatin1String("content") && get && item->kind == MEmuItem::File)
            return Redirect(DownloadUrl(*item));
        return NotAllowed();
    }

    // The item as the service writes it, with the fields `select` names (all when empty).
    QByteArray ItemJson(const MEmuItem& item, const QStringList& select);

private:
    MEmuResponse NotFound()
    {
        return GraphError(404, QStringLiteral("itemNotFound"), QStringLiteral("The resource could not be found."));
    }
    MEmuResponse NotAllowed()
    {
        return GraphError(405, QStringLiteral("invalidRequest"), QStringLiteral("The method is not allowed here."));
    }

    MEmuItem* Mine(const QString& id)
    {
        MEmuItem* item = m_State.Item(id);
        return item && item->accountKey == m_Account.key ? item : nullptr;
    }

    // The fields $select asks for; empty for all of them.
    QStringList Selection() const
    {
        QString select = m_Request.Query(QStringLiteral("$select"));
        if (select.isEmpty())
            select = m_Request.Query(QStringLiteral("select"));
        return select.isEmpty() ? QStringList() : select.split(QLatin1Char(','), Qt::SkipEmptyParts);
    }

    QString DownloadUrl(const MEmuItem& item) { return m_Emu.DownloadAddress(m_Request, item.id); }

    static QString Time(const QDateTime& t) { return t.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")); }

    qint64 Size(const MEmuItem& item)
    {
        if (item.kind == MEmuItem::File)
            return item.content.size();
        qint64 total = 0;
        for (const QString& childId : item.children)
            if (const MEmuItem* child = m_State.Item(childId))
                total += Size(*child);
        return total;
    }

    MEmuResponse Children(const MEmuItem& parent)
    {
        const QString skipText = m_Request.Query(QStringLiteral("$skiptoken"));
        const int skip = skipText.toInt();
        QString topText = m_Request.Query(QStringLiteral("$top"));
        int pageSize = m_State.limits.childrenPageSize;
        if (!topText.isEmpty())
            pageSize = std::clamp(topText.toInt(), 1, pageSize);
        MJsonWriter w;
        w.BeginObject().Field("@odata.context",
            m_Base.left(m_Base.indexOf(QLatin1String("/v1.0")) + 5)
                + QStringLiteral("/$metadata#users('me')/drive/items('") + parent.id + QStringLiteral("')/children"));
        w.Key("value").BeginArray();
        const QStringList select = Selection();
        const size_t end = std::min(parent.children.size(), size_t(skip + pageSize));
        for (size_t i = size_t(skip); i < end; ++i)
            w.Raw(ItemJson(*m_State.Item(parent.children[i]), select));
        w.EndArray();
        if (end < parent.children.size()) {
            QString next = m_Base + QStringLiteral("/items/") + UrlEncode(parent.id) + QStringLiteral("/children?");
            if (!select.isEmpty())
                next += QStringLiteral("$select=") + select.join(QLatin1Char(',')) + QLatin1Char('&');
            if (!topText.isEmpty())
                next += QStringLiteral("$top=") + topText + QLatin1Char('&');
            next += QStringLiteral("$skiptoken=") + QString::number(end);
            w.Field("@odata.nextLink", next);
        }
        w.EndObject();
        return JsonAnswer(200, w.Text());
    }

    std::optional<MEmuResponse> ClashOrBadName(const QString& parentId, const QString& name)
    {
        static const QString forbidden = QStringLiteral("\"*:<>?/\\|");
        if (name.trimmed().isEmpty())
            return GraphError(400, QStringLiteral("invalidRequest"), QStringLiteral("The name must not be empty."));
        for (const QChar c : name)
            if (forbidden.contains(c))
                return GraphError(400, QStringLiteral("invalidRequest"),
                    QStringLiteral("The provided name contains invalid characters."));
        if (m_State.ChildNamed(parentId, name))
            return GraphError(409, QStringLiteral("nameAlreadyExists"),
                QStringLiteral("The specified item name already exists. Name: %1").arg(name));
        return std::nullopt;
    }

    MEmuResponse CreateFolder(MEmuItem& parent)
    {
        if (parent.kind == MEmuItem::File)
            return GraphError(400, QStringLiteral("invalidRequest"), QStringLiteral("A file cannot hold items."));
        const std::optional<QJsonDocument> body = ParseLenientJson(m_Request.body);
        if (!body || !body->isObject())
            return GraphError(400, QStringLiteral("invalidRequest"), QStringLiteral("Invalid request body."));
        const QJsonObject o = body->object();
        if (!o.contains(QLatin1String("folder")))
            return GraphError(400, QStringLiteral("invalidRequest"),
                QStringLiteral("Either 'folder' or 'file' must be provided, but not both."));
        const QString name = o.value(QLatin1String("name")).toString();
        const QString behaviour
            = o.value(QLatin1String("@microsoft.graph.conflictBehavior")).toString(QStringLiteral("fail"));
        if (behaviour == QLatin1String("rename") && m_State.ChildNamed(parent.id, name)) {
            QString free;
            for (int n = 1; m_State.ChildNamed(parent.id, free = QStringLiteral("%1 %2").arg(name).arg(n)); ++n) { }
            return JsonAnswer(201, ItemJson(m_State.AddItem(m_Account.key, parent.id, MEmuItem::Folder, free), {}));
        }
        if (auto error = ClashOrBadName(parent.id, name))
            return *error;
        return JsonAnswer(201, ItemJson(m_State.AddItem(m_Account.key, parent.id, MEmuItem::Folder, name), {}));
    }

    MEmuResponse Copy(const MEmuItem& item)
    {
        const std::optional<QJsonDocument> body = ParseLenientJson(m_Request.body);
        if (!body || !body->isObject())
            return GraphError(400, QStringLiteral("invalidRequest"), QStringLiteral("Invalid request body."));
        const QJsonObject o = body->object();
        const QString parentId
            = o.value(QLatin1String("parentReference")).toObject().value(QLatin1String("id")).toString(item.parentId);
        MEmuItem* parent = Mine(parentId);
        if (!parent || parent->kind == MEmuItem::File)
            return GraphError(400, QStringLiteral("invalidRequest"), QStringLiteral("The destination does not exist."));
        const QString name = o.value(QLatin1String("name")).toString(item.name);
        if (auto error = ClashOrBadName(parent->id, name))
            return *error;
        // The service copies in the background: 202 and the address of a monitor to ask.
        return StartCopyJob(m_Emu, m_Account, m_Request, item.id, parent->id, name);
    }

    MEmuResponse CreateUploadSession(const QString& parentId, const QString& name)
    {
        MEmuItem* parent = Mine(parentId);
        if (!parent || parent->kind == MEmuItem::File)
            return NotFound();
        QString behaviour = QStringLiteral("replace");
        if (!m_Request.body.trimmed().isEmpty()) {
            const std::optional<QJsonDocument> body = ParseLenientJson(m_Request.body);
            if (!body || !body->isObject())
                return GraphError(400, QStringLiteral("invalidRequest"), QStringLiteral("Invalid request body."));
            const QJsonObject item = body->object().value(QLatin1String("item")).toObject();
            behaviour = item.value(QLatin1String("@microsoft.graph.conflictBehavior")).toString(behaviour);
        }
        MEmuItem* existing = m_State.ChildNamed(parent->id, name);
        if (existing && behaviour == QLatin1String("fail"))
            return GraphError(
                409, QStringLiteral("nameAlreadyExists"), QStringLiteral("The specified item name already exists."));
        if (!existing)
            if (auto error = ClashOrBadName(parent->id, name))
                return *error;
        return StartUploadJob(m_Emu, m_Account, m_Request, parent->id, name, behaviour);
    }

    MEmuResponse Upload(const QString& parentId, const QString& name)
    {
        MEmuItem* parent = Mine(parentId);
        if (!parent || parent->kind == MEmuItem::File)
            return NotFound();
        MEmuItem* existing = m_State.ChildNamed(parent->id, name);
        if (existing && m_Request.Query(QStringLiteral("@microsoft.graph.conflictBehavior")) == QLatin1String("fail"))
            return GraphError(
                409, QStringLiteral("nameAlreadyExists"), QStringLiteral("The specified item name already exists."));
        if (!existing)
            if (auto error = ClashOrBadName(parent->id, name))
                return *error;
        if (m_Request.body.size() > m_State.limits.maxSimpleUploadBytes)
            return GraphError(413, QStringLiteral("invalidRequest"),
                QStringLiteral("The request is larger than one upload takes; use an upload session."));
        MEmuItem& file = existing ? *existing : m_State.AddItem(m_Account.key, parent->id, MEmuItem::File, name);
        file.content = m_Request.body;
        file.modified = QDateTime::currentDateTimeUtc();
        return JsonAnswer(existing ? 200 : 201, ItemJson(file, {}));
    }

    MEmulator::Impl& m_Emu;
    MEmuState& m_State;
    MEmuAccount& m_Account;
    const MEmuRequest& m_Request;
    QString m_Base;
};

QByteArray Drive::ItemJson(const MEmuItem& item, const QStringList& select)
{
    auto wanted = [&](const char* field) { return select.isEmpty() || select.contains(QLatin1String(field)); };
    MJsonWriter w;
    w.BeginObject();
    // A download address comes first, as the service writes it, and only for files.
    if (item.kind == MEmuItem::File && wanted("@microsoft.graph.downloadUrl"))
        w.Field("@microsoft.graph.downloadUrl", DownloadUrl(item));
    if (wanted("createdDateTime"))
        w.Field("createdDateTime", Time(item.created));
    if (wanted("id"))
        w.Field("id", item.id);
    if (wanted("lastModifiedDateTime"))
        w.Field("lastModifiedDateTime", Time(item.modified));
    if (wanted("name"))
        w.Field("name", item.parentId.isEmpty() ? QStringLiteral("root") : item.name);
    if (wanted("size"))
        w.Field("size", Size(item));
    if (wanted("webUrl"))
        w.Field("webUrl",
            m_Request.origin
                + QStringLiteral("/redir.aspx?cid=%1&resid=%2").arg(m_Account.cid.toLower(), UrlEncode(item.id)));
    if (wanted("parentReference") && !item.parentId.isEmpty()) {
        w.Key("parentReference").BeginObject();
        w.Field("driveId", m_Account.cid.toLower()).Field("driveType", QStringLiteral("personal"));
        w.Field("id", item.parentId).Field("path", m_State.ParentPath(item.id));
        w.EndObject();
    }
    if (item.kind == MEmuItem::File && wanted("file")) {
        w.Key("file").BeginObject().Field("mimeType", item.mimeType);
        // Hashing a file of gigabytes for every listing would stall the emulator; the application
        // reads no hashes, so large files go without.
        if (item.content.size() <= kHashedBytes) {
            w.Key("hashes").BeginObject().Field("sha1Hash",
                QString::fromLatin1(
                    QCryptographicHash::hash(item.content, QCryptographicHash::Sha1).toHex().toUpper()));
            w.EndObject();
        }
        w.EndObject();
    }
    if (item.kind == MEmuItem::Folder && wanted("folder"))
        w.Key("folder").BeginObject().Field("childCount", qint64(item.children.size())).EndObject();
    if (item.kind == MEmuItem::Notebook && wanted("package"))
        w.Key("package").BeginObject().Field("type", QStringLiteral("oneNote")).EndObject();
    if (item.parentId.isEmpty() && wanted("root"))
        w.Key("root").BeginObject().EndObject();
    w.EndObject();
    return w.Text();
}

} // namespace

MEmuResponse HandleDrive(MEmulator::Impl& emu, MEmuAccount& account, const MEmuRequest& request,
    const QStringList& segments, const QString& base)
{
    return Drive(emu, account, request, base).Handle(segments);
}

QByteArray DriveItemJson(MEmulator::Impl& emu, MEmuAccount& account, const MEmuRequest& request, const MEmuItem& item)
{
    return Drive(emu, account, request, QString()).ItemJson(item, {});
}

MEmuResponse HandleDownload(MEmulator::Impl& emu, const MEmuRequest& request)
{
    // Pre-authenticated: no bearer token, only the token in the address, valid for a limited time.
    auto it = emu.downloadAddresses.find(request.path.mid(11));
    if (it == emu.downloadAddresses.end() || it->second.expires <= QDateTime::currentDateTimeUtc())
        return GraphError(401, QStringLiteral("unauthenticated"), QStringLiteral("The download address has expired."));
    MEmuResponse r;
    if (!it->second.resourceId.isEmpty()) {
        const MEmuResource* resource = emu.state.Resource(it->second.resourceId);
        if (!resource)
            return GraphError(404, QStringLiteral("itemNotFound"), QStringLiteral("The item no longer exists."));
        r.contentType = resource->mime.toUtf8();
        r.body = resource->bytes;
        return r;
    }
    const MEmuItem* item = emu.state.Item(it->second.itemId);
    if (!item)
        return GraphError(404, QStringLiteral("itemNotFound"), QStringLiteral("The item no longer exists."));
    r.contentType = item->mimeType.toUtf8();
    r.body = item->content;
    return r;
}
