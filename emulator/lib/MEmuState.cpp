#include "MEmuState.h"

#include "MEmuJson.h"
#include "MEmuPageRenderer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

QString MEmuState::NewHex(int digits)
{
    QString out;
    for (int i = 0; i < digits; ++i)
        out += QString::number(QRandomGenerator::global()->bounded(16), 16).toUpper();
    return out;
}

QString MEmuAccount::RoleIn(const QString& notebookId) const
{
    for (const auto& [id, role] : sharedNotebooks)
        if (id == notebookId)
            return role;
    return QStringLiteral("Owner");
}

MEmuAccount* MEmuState::Account(const QString& key)
{
    auto it = m_Accounts.find(key);
    return it == m_Accounts.end() ? nullptr : &it->second;
}

MEmuAccount* MEmuState::AccountByUserId(const QString& userId)
{
    for (auto& [key, account] : m_Accounts)
        if (account.userId == userId)
            return &account;
    return nullptr;
}

MEmuAccount* MEmuState::AccountByMail(const QString& mail)
{
    for (auto& [key, account] : m_Accounts)
        if (account.mail.compare(mail, Qt::CaseInsensitive) == 0)
            return &account;
    return nullptr;
}

MEmuItem* MEmuState::Item(const QString& id)
{
    auto it = m_Items.find(id);
    return it == m_Items.end() ? nullptr : &it->second;
}

MEmuPage* MEmuState::Page(const QString& id)
{
    auto it = m_Pages.find(id);
    return it == m_Pages.end() ? nullptr : &it->second;
}

MEmuResource* MEmuState::Resource(const QString& id)
{
    auto it = m_Resources.find(id);
    return it == m_Resources.end() ? nullptr : &it->second;
}

QString MEmuState::NewItemId(const MEmuAccount& account)
{
    return QStringLiteral("%1!%2").arg(account.cid).arg(++m_Counter);
}

QString MEmuState::NewGuid()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

QString MEmuState::NewToken(const char* prefix)
{
    return QString::fromLatin1(prefix) + QUuid::createUuid().toString(QUuid::Id128) + NewHex(16);
}

QDateTime MEmuState::now() const
{
    return QDateTime::currentDateTimeUtc();
}

MEmuItem& MEmuState::AddItem(
    const QString& accountKey, const QString& parentId, MEmuItem::Kind kind, const QString& name)
{
    MEmuAccount* account = Account(accountKey);
    MEmuItem item;
    item.id = NewItemId(*account);
    item.name = name;
    item.parentId = parentId;
    item.kind = kind;
    item.accountKey = accountKey;
    item.created = item.modified = now();
    if (kind == MEmuItem::File)
        item.mimeType
            = item.IsSection() ? QStringLiteral("application/msonenote") : QStringLiteral("application/octet-stream");
    const QString id = item.id;
    if (MEmuItem* parent = Item(parentId))
        parent->children.push_back(id);
    return m_Items.emplace(id, std::move(item)).first->second;
}

MEmuItem* MEmuState::ChildNamed(const QString& parentId, const QString& name)
{
    MEmuItem* parent = Item(parentId);
    if (!parent)
        return nullptr;
    for (const QString& childId : parent->children) {
        MEmuItem* child = Item(childId);
        if (child && child->name.compare(name, Qt::CaseInsensitive) == 0)
            return child;
    }
    return nullptr;
}

MEmuPage& MEmuState::AddPage(const QString& sectionItemId, const QString& title, const QDateTime& created)
{
    MEmuPage page;
    // Page ids name the page and its section: "1-<32 hex>!<n>-<section item id>".
    page.id = QStringLiteral("1-%1!%2-%3").arg(NewHex(32)).arg(++m_Counter).arg(sectionItemId);
    page.sectionItemId = sectionItemId;
    page.title = title;
    page.created = created.isValid() ? created : now();
    page.modified = now();
    const QString id = page.id;
    Item(sectionItemId)->pages.push_back(id);
    return m_Pages.emplace(id, std::move(page)).first->second;
}

MEmuResource& MEmuState::AddResource(const QString& mime, const QByteArray& bytes)
{
    MEmuResource resource;
    resource.id = QStringLiteral("1-%1!%2").arg(NewHex(32)).arg(++m_Counter);
    resource.mime = mime;
    resource.bytes = bytes;
    const QString id = resource.id;
    return m_Resources.emplace(id, std::move(resource)).first->second;
}

void MEmuState::PageWritten(MEmuPage& page)
{
    page.modified = std::max(now(), page.modified.addMSecs(1));
    if (MEmuItem* section = Item(page.sectionItemId))
        section->modified = std::max(section->modified, page.modified);
}

void MEmuState::RemovePage(const QString& pageId)
{
    auto found = m_Pages.find(pageId);
    if (found == m_Pages.end())
        return;
    if (MEmuItem* section = Item(found->second.sectionItemId)) {
        std::erase(section->pages, pageId);
        section->modified = std::max(now(), section->modified.addMSecs(1));
    }
    changesAfterRead.erase(pageId);
    m_Pages.erase(found);
}

MEmuItem& MEmuState::CopyItem(const QString& itemId, const QString& newParentId, const QString& newName)
{
    const MEmuItem source = *Item(itemId); // copied: AddItem may rehash the map
    const QString accountKey = Item(newParentId)->accountKey;
    MEmuItem& copy = AddItem(accountKey, newParentId, source.kind, newName);
    copy.mimeType = source.mimeType;
    copy.content = source.content;
    const QString copyId = copy.id;
    for (const QString& pageId : source.pages) {
        const MEmuPage original = *Page(pageId);
        MEmuPage& page = AddPage(copyId, original.title, original.created);
        page.html = original.html;
        page.serial = original.serial;
    }
    for (const QString& childId : source.children) {
        const MEmuItem* child = Item(childId);
        if (child)
            CopyItem(childId, copyId, child->name);
    }
    return *Item(copyId);
}

std::vector<QString> MEmuState::NotebookIds(const MEmuAccount& account) const
{
    std::vector<QString> ids;
    auto docs = m_Items.find(account.documentsId);
    if (docs != m_Items.end())
        for (const QString& childId : docs->second.children) {
            auto child = m_Items.find(childId);
            if (child != m_Items.end() && child->second.kind == MEmuItem::Notebook)
                ids.push_back(childId);
        }
    for (const auto& [id, role] : account.sharedNotebooks)
        ids.push_back(id);
    return ids;
}

qint64 MEmuState::OneNoteItemCount(const MEmuAccount& account) const
{
    // Notebooks may stand in any folder of the drive; inside one, every folder is a section group.
    qint64 count = 0;
    std::vector<std::pair<QString, bool>> open {{account.rootId, false}}; // item, inside a notebook
    while (!open.empty()) {
        const auto [id, inNotebook] = open.back();
        open.pop_back();
        const auto found = m_Items.find(id);
        if (found == m_Items.end())
            continue;
        const MEmuItem& item = found->second;
        const bool oneNote
            = item.kind == MEmuItem::Notebook || (inNotebook && (item.kind == MEmuItem::Folder || item.IsSection()));
        if (oneNote)
            ++count;
        for (const QString& child : item.children)
            open.emplace_back(child, inNotebook || item.kind == MEmuItem::Notebook);
    }
    return count;
}

MEmuAccount* MEmuState::Owner(const QString& itemId)
{
    MEmuItem* item = Item(itemId);
    return item ? Account(item->accountKey) : nullptr;
}

QString MEmuState::NotebookOf(const QString& itemId)
{
    for (MEmuItem* item = Item(itemId); item; item = Item(item->parentId))
        if (item->kind == MEmuItem::Notebook)
            return item->id;
    return QString();
}

QString MEmuState::DocumentsPath(const QString& itemId)
{
    QStringList names;
    for (MEmuItem* item = Item(itemId); item && !item->parentId.isEmpty(); item = Item(item->parentId))
        names.prepend(item->name);
    return names.join(QLatin1Char('/'));
}

QString MEmuState::ParentPath(const QString& itemId)
{
    MEmuItem* item = Item(itemId);
    if (!item || item->parentId.isEmpty())
        return QString();
    const QString path = DocumentsPath(item->parentId);
    return path.isEmpty() ? QStringLiteral("/drive/root:") : QStringLiteral("/drive/root:/") + path;
}

QByteArray MEmuState::ToJson() const
{
    MJsonWriter w;
    w.BeginObject().Key("accounts").BeginArray();
    for (const QString& key : m_AccountOrder) {
        const MEmuAccount& a = m_Accounts.at(key);
        w.BeginObject()
            .Field("key", a.key)
            .Field("kind", a.kind)
            .Field("userId", a.userId)
            .Field("displayName", a.displayName)
            .Field("mail", a.mail)
            .Field("rootId", a.rootId)
            .EndObject();
    }
    w.EndArray().Key("items").BeginArray();
    std::vector<const MEmuItem*> items;
    for (const auto& [id, item] : m_Items)
        items.push_back(&item);
    std::sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->id < b->id; });
    for (const MEmuItem* item : items) {
        w.BeginObject()
            .Field("id", item->id)
            .Field("name", item->name)
            .Field("parentId", item->parentId)
            .Field("kind",
                item->kind == MEmuItem::Folder         ? QStringLiteral("folder")
                    : item->kind == MEmuItem::Notebook ? QStringLiteral("notebook")
                                                       : QStringLiteral("file"))
            .Field("account", item->accountKey)
            .Field("size", qint64(item->content.size()));
        w.Key("pages").BeginArray();
        for (const QString& pageId : item->pages) {
            const MEmuPage& page = m_Pages.at(pageId);
            w.BeginObject()
                .Field("id", page.id)
                .Field("title", page.title)
                .Field("created", page.created.toString(Qt::ISODate))
                .Field("modified", page.modified.toString(Qt::ISODateWithMs))
                .Field("html", QString::fromUtf8(page.html))
                .EndObject();
        }
        w.EndArray().EndObject();
    }
    w.EndArray().Key("resources").BeginArray();
    for (const auto& [id, resource] : m_Resources)
        w.BeginObject()
            .Field("id", resource.id)
            .Field("mime", resource.mime)
            .Field("size", qint64(resource.bytes.size()))
            .EndObject();
    w.EndArray();
    w.Key("throttle")
        .Raw(QJsonDocument(throttle.Report(QDateTime::currentMSecsSinceEpoch())).toJson(QJsonDocument::Compact));
    w.EndObject();
    return w.Text();
}

QString MEmuState::StableGuid(const QString& id)
{
    return QUuid::createUuidV5(QUuid(), id).toString(QUuid::WithBraces).toUpper();
}

QString MEmuState::ClientLink(const QString& itemId)
{
    const MEmuItem* item = Item(itemId);
    const MEmuAccount* owner = item ? Account(item->accountKey) : nullptr;
    if (!owner)
        return QString();
    QStringList path;
    for (const QString& part : DocumentsPath(itemId).split(QLatin1Char('/')))
        path << QString::fromLatin1(QUrl::toPercentEncoding(part));
    if (owner->kind == QLatin1String("personal"))
        return QStringLiteral("{{docs}}/") + owner->cid.toLower() + QLatin1Char('/') + path.join(QLatin1Char('/'));
    QString site = owner->userPrincipalName;
    site.replace(QLatin1Char('@'), QLatin1Char('_')).replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("{{docs}}/personal/") + site + QLatin1Char('/') + path.join(QLatin1Char('/'));
}

QString MEmuState::PageClientLink(const MEmuPage& page)
{
    return ClientLink(page.sectionItemId) + QLatin1Char('#') + QString::fromLatin1(QUrl::toPercentEncoding(page.title))
        + QStringLiteral("&section-id=") + StableGuid(page.sectionItemId) + QStringLiteral("&page-id=")
        + StableGuid(page.id) + QStringLiteral("&end");
}

void MEmuState::ResolveFixtureLinks(const QString& sectionItemId)
{
    static const QRegularExpression token(QStringLiteral("\\{\\{(link|para):([^}]*)\\}\\}"));
    const MEmuItem* section = Item(sectionItemId);
    if (!section)
        return;
    for (const QString& pageId : section->pages) {
        MEmuPage& page = m_Pages.at(pageId);
        QString html = QString::fromUtf8(page.html);
        if (page.verbatim || (!html.contains(QLatin1String("{{link:")) && !html.contains(QLatin1String("{{para:"))))
            continue;
        QString out;
        qsizetype copied = 0;
        for (auto it = token.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            QString link;
            if (m.captured(1) == QLatin1String("para")) {
                const QString objectId = page.guid + QLatin1Char('&')
                    + QStringLiteral("%1").arg(m.captured(2).toInt(), 2, 16, QLatin1Char('0')).toUpper();
                link = PageClientLink(page).replace(
                    QLatin1String("&end"), QStringLiteral("&object-id=") + objectId + QStringLiteral("&end"));
            } else {
                for (const QString& otherId : section->pages)
                    if (m_Pages.at(otherId).title == m.captured(2))
                        link = PageClientLink(m_Pages.at(otherId));
            }
            out += QStringView(html).mid(copied, m.capturedStart() - copied);
            out += QStringLiteral("onenote:") + link.toHtmlEscaped();
            copied = m.capturedEnd();
        }
        out += QStringView(html).mid(copied);
        page.html = out.toUtf8();
    }
}
