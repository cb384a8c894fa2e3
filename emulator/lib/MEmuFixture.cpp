// Loading the emulated world from a fixture file. The format is the emulator's own:
// {"tokenLifetime":3599, "makerVersion":"2.0.0.0", "throttle":false|true|"10/2s,30/10s", "itemLimit":5000,
//  "answerStyle":"plain"|"varied", "clientIds":["GUID", ...] (the application ids the identity
//  platform knows), "deviceInterval":5, "limits":{...},
//  "accounts":[{"key":"personal", "kind":"personal|work|china", "displayName", "mail", "id", "cid",
//    "notebooks":[{"name", "sections":[...], "sectionGroups":[{"name", "sections", "sectionGroups"}]}],
//    "generatedNotebooks":{"count":20, "generatedSections":500, "generatedSectionGroups":{"count":2, ...}},
//    "sharedNotebooks":[{"owner":"work", "name":"Team Notebook", "userRole":"Contributor"}],
//    "files":[{"path":"Folder/Lost.onetmp", "size":2048}, {"folder":"Photos", "generatedFiles":230}]}]}
// "limits" may set "childrenPageSize", "maxSimpleUploadBytes", "copyMonitorPolls" (how often a
// copy's monitor says "inProgress" before the copy is made) and "pageListSections" (over this many
// sections the page list across sections is refused; 0, the default, for no limit). "itemLimit" is the large-library
// limit (0: none): an account holding more OneNote items answers the expanded notebook list with 403/10008. Big
// libraries need not be written out: a notebook or section group may add "generatedSections":N (empty sections "Section
// 0001", ...) and "generatedSectionGroups":{"count":N, ...} (groups "Group 01",
// ..., each filled by the rest of the object as a container of its own); an account may add
// "generatedNotebooks":{"count":N, ...} (notebooks "Notebook 01", ..., filled the same way).
// A section: {"name", "size", "pages":[{"title", "created", "level", "body", "resources":[{"name", "mime",
// "base64" | "text" | "png":{"width", "height", "color"}}]}], "generatedPages":N}. A page body is page-creation HTML;
// it is rendered as if posted. A page may instead give {"title", "created", "html"}: the content as the
// service wrote it, served exactly as written (its title, when not given, is read from its title element).
#include "MEmuPageRenderer.h"
#include "MEmuPng.h"
#include "MEmuState.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUuid>

namespace {

QString Str(const QJsonObject& o, const char* key, const QString& fallback = QString())
{
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isString() ? v.toString() : fallback;
}

QByteArray PageInput(const QString& title, const QString& created, const QString& body)
{
    QByteArray html = "<!DOCTYPE html><html><head><title>";
    html += EscapeXhtmlText(title, false);
    html += "</title>";
    if (!created.isEmpty())
        html += "<meta name=\"created\" content=\"" + EscapeXhtmlText(created, true) + "\" />";
    html += "</head><body>" + body.toUtf8() + "</body></html>";
    return html;
}

// A generated page: a heading, a few paragraphs and a list, enough to exercise converters.
QString GeneratedBody(int n)
{
    return QStringLiteral("<h1>Generated page %1</h1><p>Paragraph one of page %1 &amp; some text.</p>"
                          "<ul><li>First point</li><li>Second point</li></ul>"
                          "<p data-tag=\"to-do\">Follow up on item %1</p>")
        .arg(n);
}

class Loader
{
public:
    explicit Loader(MEmuState& state)
        : m_State(state)
    { }

    std::optional<QString> Section(const QString& accountKey, const QString& parentId, const QJsonObject& s)
    {
        const QString name = Str(s, "name");
        if (name.isEmpty())
            return QStringLiteral("a section without a name");
        MEmuItem& section = m_State.AddItem(accountKey, parentId, MEmuItem::File, name + QStringLiteral(".one"));
        const QString sectionId = section.id;
        section.content = SectionBytes(name, s.value(QLatin1String("size")).toInteger(4096));
        for (const QJsonValue& p : s.value(QLatin1String("pages")).toArray()) {
            const QJsonObject page = p.toObject();
            if (page.contains(QLatin1String("html"))) {
                AddVerbatimPage(sectionId, page);
                continue;
            }
            std::map<QString, MEmuPart> parts;
            for (const QJsonValue& r : page.value(QLatin1String("resources")).toArray()) {
                const QJsonObject res = r.toObject();
                MEmuPart part {Str(res, "name"), Str(res, "mime", QStringLiteral("application/octet-stream")),
                    QByteArray::fromBase64(Str(res, "base64").toLatin1())};
                if (res.contains(QLatin1String("png"))) {
                    // {"png":{"width":W, "height":H, "color":"#RRGGBB"}}: a generated image
                    const QJsonObject png = res.value(QLatin1String("png")).toObject();
                    part.contentType = QStringLiteral("image/png");
                    part.bytes = MakeSolidPng(png.value(QLatin1String("width")).toInt(64),
                        png.value(QLatin1String("height")).toInt(48),
                        Str(png, "color", QStringLiteral("#3b7dd8")).mid(1).toUInt(nullptr, 16));
                } else if (res.contains(QLatin1String("text"))) {
                    part.bytes = Str(res, "text").toUtf8();
                }
                parts.emplace(part.name, part);
            }
            if (auto error
                = AddPage(sectionId, PageInput(Str(page, "title"), Str(page, "created"), Str(page, "body")), parts))
                return error;
            m_State.Page(m_State.Item(sectionId)->pages.back())->level = page.value(QLatin1String("level")).toInt();
        }
        m_State.ResolveFixtureLinks(sectionId);
        const int generated = s.value(QLatin1String("generatedPages")).toInt(0);
        for (int n = 1; n <= generated; ++n)
            if (auto error = AddPage(sectionId,
                    PageInput(QStringLiteral("%1 page %2").arg(name).arg(n), QString(), GeneratedBody(n)), {}))
                return error;
        return std::nullopt;
    }

    std::optional<QString> Container(const QString& accountKey, const QString& id, const QJsonObject& o)
    {
        for (const QJsonValue& s : o.value(QLatin1String("sections")).toArray())
            if (auto error = Section(accountKey, id, s.toObject()))
                return error;
        for (const QJsonValue& g : o.value(QLatin1String("sectionGroups")).toArray()) {
            const QJsonObject group = g.toObject();
            const QString groupId = m_State.AddItem(accountKey, id, MEmuItem::Folder, Str(group, "name")).id;
            if (auto error = Container(accountKey, groupId, group))
                return error;
        }
        return Generated(accountKey, id, o);
    }

    // The generated part of a container, after what the fixture wrote out.
    std::optional<QString> Generated(const QString& accountKey, const QString& id, const QJsonObject& o)
    {
        const int sections = o.value(QLatin1String("generatedSections")).toInt(0);
        for (int n = 1; n <= sections; ++n) {
            const QString name = QStringLiteral("Section %1").arg(n, 4, 10, QLatin1Char('0'));
            m_State.AddItem(accountKey, id, MEmuItem::File, name + QStringLiteral(".one")).content
                = SectionBytes(name, 1024);
        }
        const QJsonObject groups = o.value(QLatin1String("generatedSectionGroups")).toObject();
        const int count = groups.value(QLatin1String("count")).toInt(0);
        for (int n = 1; n <= count; ++n) {
            const QString name = QStringLiteral("Group %1").arg(n, 2, 10, QLatin1Char('0'));
            const QString groupId = m_State.AddItem(accountKey, id, MEmuItem::Folder, name).id;
            if (auto error = Generated(accountKey, groupId, groups))
                return error;
        }
        return std::nullopt;
    }

    // {"path":"A/B/Lost.onetmp", "size":N}, or {"folder":"A/Photos", "generatedFiles":N} for a folder
    // of N small files "File 0001.jpg", ... (for listings longer than one page).
    void File(const MEmuAccount& account, const QJsonObject& f)
    {
        const bool generated = f.contains(QLatin1String("generatedFiles"));
        QStringList path = Str(f, generated ? "folder" : "path").split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (path.isEmpty())
            return;
        if (generated)
            path.append(QString());
        QString parentId = account.rootId;
        for (qsizetype i = 0; i + 1 < path.size(); ++i) {
            MEmuItem* folder = m_State.ChildNamed(parentId, path[i]);
            parentId = folder ? folder->id : m_State.AddItem(account.key, parentId, MEmuItem::Folder, path[i]).id;
        }
        if (generated) {
            const int count = f.value(QLatin1String("generatedFiles")).toInt();
            for (int n = 1; n <= count; ++n) {
                const QString name = QStringLiteral("File %1.jpg").arg(n, 4, 10, QLatin1Char('0'));
                m_State.AddItem(account.key, parentId, MEmuItem::File, name).content = SectionBytes(name, 512);
            }
            return;
        }
        MEmuItem& file = m_State.AddItem(account.key, parentId, MEmuItem::File, path.last());
        file.content = SectionBytes(path.last(), f.value(QLatin1String("size")).toInteger(2048));
    }

private:
    void AddVerbatimPage(const QString& sectionId, const QJsonObject& fixturePage)
    {
        const QString html = Str(fixturePage, "html");
        QString title = Str(fixturePage, "title");
        if (!fixturePage.contains(QLatin1String("title"))) {
            static const QRegularExpression titleElement(QStringLiteral("<title>(.*?)</title>"),
                QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
            title = titleElement.match(html).captured(1).trimmed();
            title.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"));
            title.replace(QLatin1String("&amp;"), QLatin1String("&"));
        }
        const QDateTime created = QDateTime::fromString(Str(fixturePage, "created"), Qt::ISODate);
        MEmuPage& page = m_State.AddPage(sectionId, title, created);
        page.html = html.toUtf8();
        page.verbatim = true;
    }

    std::optional<QString> AddPage(
        const QString& sectionId, const QByteArray& html, const std::map<QString, MEmuPart>& parts)
    {
        MEmuPage& page = m_State.AddPage(sectionId, QString(), QDateTime());
        if (auto error = RenderPage(m_State, page, html, parts))
            return QStringLiteral("a fixture page could not be rendered: ") + error->message;
        return std::nullopt;
    }

    // Section files are opaque to the application; their bytes only need a stable size and content.
    static QByteArray SectionBytes(const QString& name, qint64 size)
    {
        QByteArray seed = "Section file " + name.toUtf8() + "\n";
        QByteArray bytes;
        bytes.reserve(size);
        while (bytes.size() < size)
            bytes += seed;
        bytes.truncate(size);
        return bytes;
    }

    MEmuState& m_State;
};

} // namespace

std::optional<QString> MEmuState::LoadFixture(const QJsonObject& fixture)
{
    *this = MEmuState();
    tokenLifetime = fixture.value(QLatin1String("tokenLifetime")).toInteger(3599);
    deviceInterval = fixture.value(QLatin1String("deviceInterval")).toInteger(5);
    if (deviceInterval < 0)
        return QStringLiteral("the device-code interval is a number of seconds, 0 or more");
    makerVersion = Str(fixture, "makerVersion", makerVersion);
    const QJsonValue limitsOn = fixture.value(QLatin1String("throttle"));
    if (auto error = throttle.Configure(limitsOn.isString() ? limitsOn.toString()
                : limitsOn.toBool(false)                    ? QString::fromLatin1(MEmuThrottle::kDocumented)
                                                            : QStringLiteral("off")))
        return error;
    limits.oneNoteItems = fixture.value(QLatin1String("itemLimit")).toInteger(MEmuLimits::kDocumentedOneNoteItems);
    if (limits.oneNoteItems < 0)
        return QStringLiteral("the item limit is a count of OneNote items, 0 for none");
    const QJsonObject l = fixture.value(QLatin1String("limits")).toObject();
    limits.maxRequestBytes = l.value(QLatin1String("maxRequestBytes")).toInteger(limits.maxRequestBytes);
    limits.maxPartBytes = l.value(QLatin1String("maxPartBytes")).toInteger(limits.maxPartBytes);
    limits.childrenPageSize = l.value(QLatin1String("childrenPageSize")).toInt(limits.childrenPageSize);
    limits.maxSimpleUploadBytes = l.value(QLatin1String("maxSimpleUploadBytes")).toInteger(limits.maxSimpleUploadBytes);
    limits.copyMonitorPolls = l.value(QLatin1String("copyMonitorPolls")).toInt(limits.copyMonitorPolls);
    limits.pageListSections = l.value(QLatin1String("pageListSections")).toInt(limits.pageListSections);

    Loader loader(*this);
    const QJsonArray accounts = fixture.value(QLatin1String("accounts")).toArray();
    if (accounts.isEmpty())
        return QStringLiteral("the fixture has no accounts");
    for (const QJsonValue& value : accounts) {
        const QJsonObject a = value.toObject();
        MEmuAccount account;
        account.key = Str(a, "key");
        if (account.key.isEmpty() || Account(account.key))
            return QStringLiteral("every account needs a key of its own");
        account.kind = Str(a, "kind", QStringLiteral("personal"));
        account.displayName = Str(a, "displayName", account.key);
        account.mail = Str(a, "mail", account.key + QStringLiteral("@example.com"));
        account.userPrincipalName = Str(a, "userPrincipalName", account.mail);
        account.cid = Str(a, "cid", NewHex(16));
        // Personal accounts have 16-digit hexadecimal ids; work and school accounts GUIDs.
        account.userId = Str(a, "id",
            account.kind == QLatin1String("personal") ? account.cid.toLower()
                                                      : QUuid::createUuid().toString(QUuid::WithoutBraces));
        m_Accounts.emplace(account.key, account);
        m_AccountOrder.push_back(account.key);

        MEmuItem root;
        root.id = NewItemId(account);
        root.name = QStringLiteral("root");
        root.accountKey = account.key;
        root.created = root.modified = now();
        const QString rootId = root.id;
        m_Items.emplace(rootId, std::move(root));
        const QString documentsId = AddItem(account.key, rootId, MEmuItem::Folder, QStringLiteral("Documents")).id;
        Account(account.key)->rootId = rootId;
        Account(account.key)->documentsId = documentsId;

        for (const QJsonValue& n : a.value(QLatin1String("notebooks")).toArray()) {
            const QJsonObject nb = n.toObject();
            MEmuItem& notebook = AddItem(account.key, documentsId, MEmuItem::Notebook, Str(nb, "name"));
            notebook.isDefault = nb.value(QLatin1String("isDefault")).toBool(false);
            const QString notebookId = notebook.id;
            if (auto error = loader.Container(account.key, notebookId, nb))
                return error;
        }
        const QJsonObject generated = a.value(QLatin1String("generatedNotebooks")).toObject();
        for (int n = 1, count = generated.value(QLatin1String("count")).toInt(0); n <= count; ++n) {
            const QString name = QStringLiteral("Notebook %1").arg(n, 2, 10, QLatin1Char('0'));
            const QString notebookId = AddItem(account.key, documentsId, MEmuItem::Notebook, name).id;
            if (auto error = loader.Generated(account.key, notebookId, generated))
                return error;
        }
        for (const QJsonValue& f : a.value(QLatin1String("files")).toArray())
            loader.File(*Account(account.key), f.toObject());
    }
    // Shares refer to notebooks by owner and name, so they are resolved once every account exists.
    for (const QJsonValue& value : accounts) {
        const QJsonObject a = value.toObject();
        for (const QJsonValue& s : a.value(QLatin1String("sharedNotebooks")).toArray()) {
            const QJsonObject share = s.toObject();
            MEmuAccount* owner = Account(Str(share, "owner"));
            MEmuItem* notebook = owner ? ChildNamed(owner->documentsId, Str(share, "name")) : nullptr;
            if (!notebook)
                return QStringLiteral("a shared notebook names no notebook of its owner");
            notebook->isShared = true;
            Account(Str(a, "key"))
                ->sharedNotebooks.emplace_back(notebook->id, Str(share, "userRole", QStringLiteral("Contributor")));
        }
    }
    return std::nullopt;
}
