// The OneNote interface of Graph (…/onenote) and of the OneNote service (…/notes): notebooks, section
// groups, sections, pages and resources, over the drive items of MEmuState.
#include "MEmuInternal.h"
#include "MEmuMultipart.h"
#include "MEmuPagePatch.h"
#include "MEmuPageQuery.h"
#include "MEmuPageRenderer.h"

#include <QJsonArray>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>
#include <functional>

namespace {

const QString kNotFound = QStringLiteral("The requested resource does not exist.");

class OneNote
{
public:
    OneNote(MEmulator::Impl& emu, MEmuAccount& account, const MEmuRequest& request, const QString& base, bool legacy)
        : m_Emu(emu)
        , m_State(emu.state)
        , m_Account(account)
        , m_Request(request)
        , m_Base(base)
        , m_Legacy(legacy)
    { }

    MEmuResponse Handle(const QStringList& s)
    {
        const QString& m = m_Request.method;
        const bool get = m == QLatin1String("GET");
        const bool post = m == QLatin1String("POST");
        const QString kind = s.value(0);
        if (kind == QLatin1String("notebooks") && s.size() == 1)
            return get ? NotebookList() : post ? Create(QString(), MEmuItem::Notebook) : Unsupported();
        if (s.size() >= 2 && (kind == QLatin1String("notebooks") || kind == QLatin1String("sectionGroups"))) {
            const bool notebook = kind == QLatin1String("notebooks");
            MEmuItem* item = Visible(s[1]);
            if (!item || (notebook != (item->kind == MEmuItem::Notebook)) || item->kind == MEmuItem::File)
                return OneNoteError(404, QStringLiteral("20102"), kNotFound);
            if (s.size() == 2 && get)
                return JsonAnswer(200, Container(*item, true));
            if (s.size() == 3 && s[2] == QLatin1String("sections"))
                return get ? Children(*item, true) : post ? Create(item->id, MEmuItem::File) : Unsupported();
            if (s.size() == 3 && s[2] == QLatin1String("sectionGroups"))
                return get ? Children(*item, false) : post ? Create(item->id, MEmuItem::Folder) : Unsupported();
        }
        if (kind == QLatin1String("sections") && s.size() >= 2) {
            MEmuItem* item = Visible(s[1]);
            if (!item || !item->IsSection())
                return OneNoteError(404, QStringLiteral("20102"), kNotFound);
            if (s.size() == 2 && get)
                return JsonAnswer(200, Section(*item));
            if (s.size() == 3 && s[2] == QLatin1String("pages"))
                return get ? SectionPages(*item) : post ? CreatePage(*item) : Unsupported();
        }
        if (kind == QLatin1String("pages") && s.size() == 1)
            return get ? AllPages() : Unsupported();
        if (kind == QLatin1String("pages") && s.size() >= 2) {
            MEmuPage* page = m_State.Page(s[1]);
            if (!page || !Visible(QStringLiteral("1-") + page->sectionItemId))
                return OneNoteError(404, QStringLiteral("20102"), kNotFound);
            if (s.size() == 2 && get)
                return OnePage(*page);
            if (s.size() == 2 && m == QLatin1String("DELETE"))
                return DeletePage(*page);
            if (s.size() == 3 && s[2] == QLatin1String("content"))
                return get ? Content(*page) : m == QLatin1String("PATCH") ? Patch(*page) : Unsupported();
        }
        if (kind == QLatin1String("resources") && s.size() == 3 && get
            && (s[2] == QLatin1String("$value") || s[2] == QLatin1String("content"))) {
            // Resource ids are not tied to an account here: a valid token is enough.
            const MEmuResource* resource = m_State.Resource(s[1]);
            if (!resource)
                return OneNoteError(404, QStringLiteral("20102"), kNotFound);
            // Not documented for resources: the varied style answers them as the drive answers an
            // item's content, with a redirect to a pre-authenticated address on another origin,
            // so that a client is seen to follow it and to keep its token behind.
            if (m_Emu.varied)
                return Redirect(m_Emu.DownloadAddress(m_Request, QString(), s[1]));
            MEmuResponse r;
            r.contentType = resource->mime.toUtf8();
            r.body = resource->bytes;
            return r;
        }
        return OneNoteError(
            400, QStringLiteral("20111"), QStringLiteral("The request URI is not valid: %1 %2").arg(m, m_Request.path));
    }

private:
    MEmuResponse Unsupported()
    {
        return OneNoteError(405, QStringLiteral("20112"), QStringLiteral("The method is not supported here."));
    }

    // A notebook shared with this account as a reader is not written through it.
    std::optional<MEmuResponse> WriteDenied(const MEmuItem* item)
    {
        if (item && m_State.Account(item->accountKey) != &m_Account
            && m_Account.RoleIn(m_State.NotebookOf(item->id)) == QLatin1String("Reader"))
            return OneNoteError(
                403, QStringLiteral("40004"), QStringLiteral("The user does not have permission to write here."));
        return std::nullopt;
    }

    static MEmuResponse NoContent()
    {
        MEmuResponse r = JsonAnswer(204, {});
        r.contentType.clear();
        return r;
    }

    // The item behind a OneNote id when this account may see it.
    MEmuItem* Visible(const QString& oneNoteId)
    {
        const qsizetype dash = oneNoteId.indexOf(QLatin1Char('-'));
        MEmuItem* item = dash < 0 ? nullptr : m_State.Item(oneNoteId.mid(dash + 1));
        if (!item || item->parentId.isEmpty())
            return nullptr;
        if (item->accountKey == m_Account.key)
            return item;
        const QString notebook = m_State.NotebookOf(item->id);
        for (const auto& [id, role] : m_Account.sharedNotebooks)
            if (id == notebook)
                return item;
        return nullptr;
    }

    static QString Time(const QDateTime& t) { return PageTime(t); }
    static QString Guid(const QString& id) { return MEmuState::StableGuid(id); }

    // Client links are always https, on the document host; the application reads them by that marker.
    QString Docs(QString link) const
    {
        return link.replace(
            QLatin1String("{{docs}}"), QStringLiteral("https://") + m_Request.Header(QStringLiteral("host")));
    }
    QString DocumentsUrl(const MEmuItem& item) { return Docs(m_State.ClientLink(item.id)); }

    void Links(MJsonWriter& w, const QString& client, const QString& web)
    {
        w.Key("links").BeginObject();
        w.Key("oneNoteClientUrl").BeginObject().Field("href", QStringLiteral("onenote:") + client).EndObject();
        w.Key("oneNoteWebUrl").BeginObject().Field("href", web).EndObject();
        w.EndObject();
    }

    QString WebUrl(const MEmuItem& item)
    {
        return m_Request.origin
            + QStringLiteral("/redir.aspx?cid=%1&resid=%2")
                  .arg(m_State.Account(item.accountKey)->cid.toLower(), UrlEncode(item.id));
    }

    void Identity(MJsonWriter& w, const MEmuItem& item, const char* collection)
    {
        const QString id = QStringLiteral("1-") + item.id;
        w.Field("id", id).Field("self", m_Base + QLatin1Char('/') + QLatin1String(collection) + QLatin1Char('/') + id);
        w.Field("createdDateTime", Time(item.created));
        w.Field(m_Legacy ? "name" : "displayName", item.DisplayName());
        w.Field("lastModifiedDateTime", Time(item.modified));
    }

    void People(MJsonWriter& w, const MEmuItem& item)
    {
        const MEmuAccount* owner = m_State.Account(item.accountKey);
        for (const char* key : {"createdBy", "lastModifiedBy"}) {
            w.Key(key).BeginObject().Key("user").BeginObject();
            w.Field("id", owner->userId).Field("displayName", owner->displayName);
            w.EndObject().EndObject();
        }
    }

    // Which parts of a container the caller asked to have expanded.
    struct Expand
    {
        bool sections = false;
        bool groups = false;
        bool deep = false; // levels=max: every depth, each with its sections
    };

    Expand Expansion()
    {
        const QString expand = m_Request.Option(QStringLiteral("expand"));
        Expand e;
        e.sections = expand.contains(QLatin1String("sections"));
        e.groups = expand.contains(QLatin1String("sectionGroups"));
        e.deep = e.groups && expand.contains(QLatin1String("levels=max"));
        return e;
    }

    QByteArray Section(const MEmuItem& item)
    {
        MJsonWriter w;
        w.BeginObject();
        Identity(w, item, "sections");
        w.FieldBool("isDefault", item.isDefault);
        w.Field("pagesUrl", m_Base + QStringLiteral("/sections/1-") + item.id + QStringLiteral("/pages"));
        People(w, item);
        Links(w, DocumentsUrl(item) + QStringLiteral("#section-id=") + Guid(item.id) + QStringLiteral("&end"),
            WebUrl(item));
        const MEmuItem* parent = m_State.Item(item.parentId);
        w.Key(parent && parent->kind == MEmuItem::Notebook ? "parentNotebook" : "parentSectionGroup").BeginObject();
        if (parent)
            w.Field("id", QStringLiteral("1-") + parent->id)
                .Field(m_Legacy ? "name" : "displayName", parent->DisplayName());
        w.EndObject();
        w.EndObject();
        return w.Text();
    }

    QByteArray Container(const MEmuItem& item, bool top)
    {
        Expand e = Expansion();
        return ContainerWith(item, top ? e : Expand {});
    }

    QByteArray ContainerWith(const MEmuItem& item, const Expand& e)
    {
        const bool notebook = item.kind == MEmuItem::Notebook;
        MJsonWriter w;
        w.BeginObject();
        Identity(w, item, notebook ? "notebooks" : "sectionGroups");
        const QString id = QStringLiteral("1-") + item.id;
        const QString self
            = m_Base + (notebook ? QStringLiteral("/notebooks/") : QStringLiteral("/sectionGroups/")) + id;
        if (notebook) {
            w.FieldBool("isDefault", item.isDefault);
            w.Field("userRole", m_Account.RoleIn(item.id));
            w.FieldBool("isShared", item.isShared);
        }
        w.Field("sectionsUrl", self + QStringLiteral("/sections"));
        w.Field("sectionGroupsUrl", self + QStringLiteral("/sectionGroups"));
        People(w, item);
        if (notebook)
            Links(w, DocumentsUrl(item), WebUrl(item));
        if (e.sections) {
            w.Key("sections").BeginArray();
            for (const QString& childId : item.children)
                if (const MEmuItem* child = m_State.Item(childId); child && child->IsSection())
                    w.Raw(Section(*child));
            w.EndArray();
        }
        if (e.groups) {
            w.Key("sectionGroups").BeginArray();
            const Expand inner = e.deep ? Expand {true, true, true} : Expand {};
            for (const QString& childId : item.children)
                if (const MEmuItem* child = m_State.Item(childId); child && child->kind == MEmuItem::Folder)
                    w.Raw(ContainerWith(*child, inner));
            w.EndArray();
        }
        w.EndObject();
        return w.Text();
    }

    MEmuResponse List(const QByteArray& collection, const std::vector<QByteArray>& values, const QString& next = {})
    {
        MJsonWriter w;
        w.BeginObject().Field("@odata.context",
            m_Base.left(m_Base.indexOf(QLatin1String("/v1.0")) + 5) + QStringLiteral("/$metadata#")
                + QString::fromUtf8(collection));
        w.Key("value").BeginArray();
        for (const QByteArray& v : values)
            w.Raw(v);
        w.EndArray();
        if (!next.isEmpty())
            w.Field("@odata.nextLink", next);
        w.EndObject();
        return JsonAnswer(200, w.Text());
    }

    MEmuResponse NotebookList()
    {
        // The documented large-library limit: the expanded list is refused for an account that holds
        // too many OneNote items, while the plain list and the reads of one notebook or group still
        // answer (the way such an account's tree can be read at all).
        const Expand e = Expansion();
        const qint64 limit = m_State.limits.oneNoteItems;
        if ((e.sections || e.groups) && limit > 0 && m_State.OneNoteItemCount(m_Account) > limit) {
            const QString count = QLocale(QLocale::English).toString(limit);
            return OneNoteError(403, QStringLiteral("10008"),
                QStringLiteral("One or more of the document libraries on the user or group's OneDrive contains more "
                               "than %1 OneNote items (notebooks, sections, section groups) and cannot be queried "
                               "using the API. Please make sure that none of the user or group's document libraries "
                               "contains more than %1 OneNote items. Please follow the link below for instructions "
                               "on how to remedy this situation.")
                    .arg(count));
        }
        std::vector<QByteArray> values;
        for (const QString& id : m_State.NotebookIds(m_Account))
            values.push_back(Container(*m_State.Item(id), true));
        return List("users('me')/onenote/notebooks", values);
    }

    MEmuResponse Children(const MEmuItem& parent, bool sections)
    {
        std::vector<QByteArray> values;
        for (const QString& childId : parent.children) {
            const MEmuItem* child = m_State.Item(childId);
            if (child && sections && child->IsSection())
                values.push_back(Section(*child));
            else if (child && !sections && child->kind == MEmuItem::Folder)
                values.push_back(Container(*child, true));
        }
        return List(sections ? "sections" : "sectionGroups", values);
    }

    // Name rules of the OneNote interface; the error codes are the documented ones where the
    // documentation names one (20153 for a duplicate notebook name), otherwise chosen nearby.
    std::optional<MEmuResponse> NameError(const QString& name, MEmuItem::Kind kind, const QString& parentId)
    {
        const bool notebook = kind == MEmuItem::Notebook;
        const QString forbidden = notebook ? QStringLiteral("?*/:<>|&#'%~\\\"") : QStringLiteral("?*/:<>|&#'%~");
        if (name.trimmed().isEmpty())
            return OneNoteError(400, QStringLiteral("20117"), QStringLiteral("The name must not be empty."));
        if (name.size() > (notebook ? 128 : 50))
            return OneNoteError(400, QStringLiteral("20115"),
                QStringLiteral("The name is too long: at most %1 characters.").arg(notebook ? 128 : 50));
        for (const QChar c : name)
            if (forbidden.contains(c))
                return OneNoteError(400, QStringLiteral("20116"),
                    QStringLiteral("The name contains a character that is not allowed: %1").arg(c));
        const QString fileName = kind == MEmuItem::File ? name + QStringLiteral(".one") : name;
        if (m_State.ChildNamed(parentId, fileName))
            return OneNoteError(409, notebook ? QStringLiteral("20153") : QStringLiteral("20154"),
                QStringLiteral("An item with the name '%1' already exists in this location.").arg(name));
        return std::nullopt;
    }

    MEmuResponse Create(const QString& parentId, MEmuItem::Kind kind)
    {
        const std::optional<QJsonDocument> body = ParseLenientJson(m_Request.body);
        if (!body || !body->isObject())
            return OneNoteError(400, QStringLiteral("20008"), QStringLiteral("The request body is not valid JSON."));
        const QString name
            = body->object().value(m_Legacy ? QLatin1String("name") : QLatin1String("displayName")).toString();
        MEmuItem* owner = parentId.isEmpty() ? nullptr : m_State.Item(parentId);
        if (auto denied = WriteDenied(owner))
            return *denied;
        const QString where = parentId.isEmpty() ? m_Account.documentsId : parentId;
        if (auto error = NameError(name, kind, where))
            return *error;
        const QString accountKey = owner ? owner->accountKey : m_Account.key;
        MEmuItem& item
            = m_State.AddItem(accountKey, where, kind, kind == MEmuItem::File ? name + QStringLiteral(".one") : name);
        if (kind == MEmuItem::File)
            item.content = QByteArray("Section file ") + name.toUtf8() + "\n";
        MEmuResponse r = JsonAnswer(201, kind == MEmuItem::File ? Section(item) : ContainerWith(item, {}));
        return r;
    }

    // A page as the service writes it, with the properties and parents the query asks for.
    QByteArray Page(const MEmuPage& page, const MEmuPageQuery& query)
    {
        const MEmuItem* section = m_State.Item(page.sectionItemId);
        const QString self = m_Base + QStringLiteral("/pages/") + page.id;
        MJsonWriter w;
        w.BeginObject();
        if (query.Wants("id"))
            w.Field("id", page.id);
        if (query.Wants("self"))
            w.Field("self", self);
        if (query.Wants("createdDateTime"))
            w.Field("createdDateTime", Time(page.created));
        if (query.Wants("title"))
            w.Field("title", page.title);
        if (query.Wants("createdByAppId"))
            w.Field("createdByAppId", QString());
        if (query.Wants("contentUrl"))
            w.Field("contentUrl", self + QStringLiteral("/content"));
        if (query.Wants("lastModifiedDateTime"))
            w.Field("lastModifiedDateTime", Time(page.modified));
        if (query.pageLevel && query.Wants("level"))
            w.Field("level", qint64(page.level));
        if (query.pageLevel && query.Wants("order"))
            w.Field("order",
                qint64(std::find(section->pages.begin(), section->pages.end(), page.id) - section->pages.begin()));
        if (query.Wants("links"))
            Links(w, Docs(m_State.PageClientLink(page)),
                WebUrl(*section) + QStringLiteral("&page=") + UrlEncode(page.id));
        // Expanded parents come whatever the select names, as an OData expand does.
        if (query.parentSection) {
            w.Key("parentSection").Raw(Section(*section));
        } else if (query.parentSectionIds) {
            w.Key("parentSection").BeginObject();
            w.Field("id", QStringLiteral("1-") + section->id)
                .Field(m_Legacy ? "name" : "displayName", section->DisplayName())
                .Field("self", m_Base + QStringLiteral("/sections/1-") + section->id);
            w.EndObject();
        }
        if (const MEmuItem* notebook = m_State.Item(m_State.NotebookOf(section->id)); notebook && query.parentNotebook)
            w.Key("parentNotebook").Raw(ContainerWith(*notebook, {}));
        w.EndObject();
        return w.Text();
    }

    MEmuResponse OnePage(const MEmuPage& page)
    {
        MEmuPageQuery query;
        if (auto error = ReadPageQuery(m_Request, false, m_State.limits.maxTop, query))
            return OneNoteError(error->status, error->code, error->message);
        return JsonAnswer(200, Page(page, query));
    }

    // A page listing with the documented options, over pages in the order they were created, section
    // by section. The service's default order (last modified first) would make paging in tests depend
    // on timing. Without top: 20 pages and an @odata.nextLink to the next 20, as documented; with top
    // no link, so that clients page with skip.
    MEmuResponse PageList(std::vector<const MEmuPage*> pages, const QByteArray& context)
    {
        MEmuPageQuery query;
        if (auto error = ReadPageQuery(m_Request, true, m_State.limits.maxTop, query))
            return OneNoteError(error->status, error->code, error->message);
        std::erase_if(pages, [&](const MEmuPage* p) { return !query.Keeps(*p); });
        query.Sort(pages);
        std::vector<QByteArray> values;
        for (size_t i = size_t(query.skip); i < pages.size() && values.size() < size_t(query.top); ++i)
            values.push_back(Page(*pages[i], query));
        const size_t end = size_t(query.skip) + values.size();
        return List(context, values, !query.topGiven && end < pages.size() ? NextLink(end) : QString());
    }

    // This request's address with skip moved on.
    QString NextLink(size_t skip) const
    {
        QStringList options;
        for (const auto& [key, value] : m_Request.query)
            if (key != QLatin1String("skip") && key != QLatin1String("$skip"))
                options << QString::fromLatin1(
                    QUrl::toPercentEncoding(key, "$") + '=' + QUrl::toPercentEncoding(value));
        options << QStringLiteral("$skip=%1").arg(skip);
        return m_Request.origin + m_Request.target.section(QLatin1Char('?'), 0, 0) + QLatin1Char('?')
            + options.join(QLatin1Char('&'));
    }

    MEmuResponse SectionPages(const MEmuItem& section)
    {
        std::vector<const MEmuPage*> pages;
        for (const QString& id : section.pages)
            pages.push_back(m_State.Page(id));
        return PageList(std::move(pages), "users('me')/onenote/sections('1-" + section.id.toUtf8() + "')/pages");
    }

    // The pages of every notebook the account sees, its own and those shared with it.
    MEmuResponse AllPages()
    {
        std::vector<const MEmuPage*> pages;
        int sections = 0;
        std::function<void(const MEmuItem&)> walk = [&](const MEmuItem& container) {
            for (const QString& childId : container.children) {
                const MEmuItem* child = m_State.Item(childId);
                if (child && child->IsSection()) {
                    ++sections;
                    for (const QString& id : child->pages)
                        pages.push_back(m_State.Page(id));
                } else if (child && child->kind == MEmuItem::Folder) {
                    walk(*child);
                }
            }
        };
        for (const QString& id : m_State.NotebookIds(m_Account))
            if (const MEmuItem* notebook = m_State.Item(id))
                walk(*notebook);
        // The documented refusal of a library with too many sections; the documentation gives neither
        // the number (a fixture's "limits" sets it) nor the status (400 here, as for its neighbours).
        if (const int limit = m_State.limits.pageListSections; limit > 0 && sections > limit)
            return OneNoteError(400, QStringLiteral("20266"),
                QStringLiteral("The number of maximum sections is exceeded for this request. To get pages for "
                               "accounts with a high number of sections, we recommend getting pages for one section "
                               "at a time."));
        return PageList(std::move(pages), "users('me')/onenote/pages");
    }

    MEmuResponse Content(MEmuPage& page)
    {
        MEmuResponse answer = ContentAnswer(page);
        // A test's change "online" while the page was being read: the answer holds the page as it was.
        if (auto pending = m_State.changesAfterRead.extract(page.id))
            if (auto error = ApplyChanges(page, pending.mapped(), {}))
                qWarning(
                    "The change after reading page %s failed: %s", qPrintable(page.id), qPrintable(error->message));
        return answer;
    }

    MEmuResponse ContentAnswer(const MEmuPage& page)
    {
        if (page.verbatim)
            return HtmlAnswer(200, page.html);
        QByteArray html = page.html;
        html.replace("{{base}}", m_Base.toUtf8());
        html.replace("{{docs}}", Docs(QStringLiteral("{{docs}}")).toUtf8());
        if (m_Request.Query(QStringLiteral("includeIDs")).compare(QLatin1String("true"), Qt::CaseInsensitive) != 0) {
            static const QRegularExpression ids(QStringLiteral(" id=\"[a-z0-9]+:\\{[^\"]*\\}\\{\\d+\\}\""));
            html = QString::fromUtf8(html).remove(ids).toUtf8();
        }
        return HtmlAnswer(200, html);
    }

    std::optional<MEmuError> ApplyChanges(
        MEmuPage& page, const QJsonArray& changes, const std::map<QString, MEmuPart>& parts)
    {
        if (auto error = PatchPageContent(m_State, page, changes, parts))
            return error;
        // A verbatim page is served as stored: what a change added is stored for this caller's interface.
        if (page.verbatim)
            page.html.replace("{{base}}", m_Base.toUtf8());
        m_State.PageWritten(page);
        return std::nullopt;
    }

    MEmuResponse Patch(MEmuPage& page)
    {
        if (auto denied = WriteDenied(m_State.Item(page.sectionItemId)))
            return *denied;
        const QByteArray type = m_Request.Header(QStringLiteral("content-type")).toUtf8();
        QByteArray commands = m_Request.body;
        std::map<QString, MEmuPart> parts;
        if (type.startsWith("multipart/form-data")) {
            std::vector<MEmuPart> list;
            if (auto refused = ReadParts(type, list))
                return *refused;
            std::optional<QByteArray> found;
            for (MEmuPart& part : list) {
                if (part.name.compare(QLatin1String("Commands"), Qt::CaseInsensitive) == 0)
                    found = part.bytes;
                else
                    parts.emplace(part.name, std::move(part));
            }
            if (!found)
                return OneNoteError(400, QStringLiteral("20124"),
                    QStringLiteral("A multipart PATCH holds its changes in a part named \"Commands\"."));
            commands = *found;
        } else if (!type.startsWith("application/json")) {
            return OneNoteError(415, QStringLiteral("20131"),
                QStringLiteral("The changes are sent as application/json, or as multipart/form-data with a "
                               "\"Commands\" part."));
        }
        const std::optional<QJsonDocument> body = ParseLenientJson(commands);
        if (!body || !body->isArray())
            return OneNoteError(
                400, QStringLiteral("20126"), QStringLiteral("The request body must be a JSON array of changes."));
        if (auto error = ApplyChanges(page, body->array(), parts))
            return OneNoteError(error->status, error->code, error->message);
        return NoContent();
    }

    // The parts of a multipart body, or the documented refusal of one too large (20008) or malformed
    // (20011).
    std::optional<MEmuResponse> ReadParts(const QByteArray& type, std::vector<MEmuPart>& parts)
    {
        if (m_Request.body.size() > m_State.limits.maxRequestBytes)
            return OneNoteError(413, QStringLiteral("20008"),
                QStringLiteral("The request is larger than %1 bytes.").arg(m_State.limits.maxRequestBytes));
        QString error;
        std::optional<std::vector<MEmuPart>> list = ParseMultipart(type, m_Request.body, &error);
        if (!list)
            return OneNoteError(400, QStringLiteral("20011"), error);
        parts = std::move(*list);
        return std::nullopt;
    }

    MEmuResponse DeletePage(const MEmuPage& page)
    {
        if (auto denied = WriteDenied(m_State.Item(page.sectionItemId)))
            return *denied;
        m_State.RemovePage(page.id);
        return NoContent();
    }

    MEmuResponse CreatePage(const MEmuItem& section)
    {
        const QByteArray type = m_Request.Header(QStringLiteral("content-type")).toUtf8();
        std::map<QString, MEmuPart> parts;
        QByteArray html;
        if (type.startsWith("multipart/form-data")) {
            std::vector<MEmuPart> list;
            if (auto refused = ReadParts(type, list))
                return *refused;
            int presentations = 0;
            for (MEmuPart& part : list) {
                if (part.name == QLatin1String("Presentation")) {
                    ++presentations;
                    if (!part.contentType.startsWith(QLatin1String("text/html"))
                        && !part.contentType.startsWith(QLatin1String("application/xhtml+xml")))
                        return OneNoteError(400, QStringLiteral("20003"),
                            QStringLiteral("The Presentation part must be text/html or application/xhtml+xml."));
                    html = part.bytes;
                } else if (part.bytes.size() > m_State.limits.maxPartBytes) {
                    return OneNoteError(413, QStringLiteral("20007"),
                        QStringLiteral("The part '%1' is larger than %2 bytes.")
                            .arg(part.name)
                            .arg(m_State.limits.maxPartBytes));
                } else {
                    parts.emplace(part.name, std::move(part));
                }
            }
            if (presentations == 0)
                return OneNoteError(400, QStringLiteral("20001"),
                    QStringLiteral("The request is missing the required 'Presentation' part."));
            if (presentations > 1)
                return OneNoteError(400, QStringLiteral("20002"),
                    QStringLiteral("The request contains more than one 'Presentation' part."));
        } else if (type.startsWith("text/html") || type.startsWith("application/xhtml+xml")) {
            if (m_Request.body.size() > 4 * 1024 * 1024)
                return OneNoteError(
                    413, QStringLiteral("20006"), QStringLiteral("A request over 4 MB must be multipart."));
            html = m_Request.body;
        } else {
            return OneNoteError(415, QStringLiteral("20004"),
                QStringLiteral("The content type '%1' is not supported for page creation.")
                    .arg(QString::fromUtf8(type)));
        }
        MEmuPage& page = m_State.AddPage(section.id, QString(), QDateTime());
        if (auto error = RenderPage(m_State, page, html, parts)) {
            RemoveLastPage(section.id);
            return OneNoteError(error->status, error->code, error->message);
        }
        m_State.PageWritten(page); // its section changes with it
        MEmuPageQuery bare; // as before: the created page without its parent section
        bare.parentSectionIds = false;
        MEmuResponse r = JsonAnswer(201, Page(page, bare));
        r.headers.emplace_back("Location", (m_Base + QStringLiteral("/pages/") + page.id).toUtf8());
        return r;
    }

    void RemoveLastPage(const QString& sectionId)
    {
        MEmuItem* section = m_State.Item(sectionId);
        if (section && !section->pages.empty())
            section->pages.pop_back();
    }

    MEmulator::Impl& m_Emu;
    MEmuState& m_State;
    MEmuAccount& m_Account;
    const MEmuRequest& m_Request;
    QString m_Base;
    bool m_Legacy;
};

} // namespace

MEmuResponse HandleOneNote(MEmulator::Impl& emu, MEmuAccount& account, const MEmuRequest& request,
    const QStringList& segments, const QString& base, bool legacy)
{
    return OneNote(emu, account, request, base, legacy).Handle(segments);
}

MEmuResponse ChangeAfterRead(MEmulator::Impl& emu, const QByteArray& body)
{
    const std::optional<QJsonDocument> doc = ParseLenientJson(body);
    if (!doc || !doc->isObject())
        return GraphError(
            400, QStringLiteral("BadRequest"), QStringLiteral("The body is {\"page\":ID,\"changes\":[...]}."));
    const QJsonObject request = doc ? doc->object() : QJsonObject();
    const QString pageId = request.value(QLatin1String("page")).toString();
    const QJsonArray changes = request.value(QLatin1String("changes")).toArray();
    const std::lock_guard lock(emu.stateMutex);
    const MEmuPage* page = emu.state.Page(pageId);
    if (!page)
        return GraphError(404, QStringLiteral("itemNotFound"), QStringLiteral("No page has the id '%1'.").arg(pageId));
    // Tried on a copy now, so that changes the page cannot take are refused to the test, not lost at the read.
    MEmuPage trial = *page;
    if (auto error = PatchPageContent(emu.state, trial, changes, {}))
        return OneNoteError(error->status, error->code, error->message);
    emu.state.changesAfterRead[pageId] = changes;
    return JsonAnswer(204, {});
}
