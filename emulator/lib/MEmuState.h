#pragma once

#include "MEmuThrottle.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

// The emulated world: accounts, each with a drive whose package items are notebooks, whose folders
// inside a notebook are section groups and whose ".one" files are sections; sections hold pages,
// pages hold resources. A OneNote id is "1-" followed by the drive item id, so the OneNote and
// OneDrive interfaces name the same items. Not thread-safe: the server holds one lock around it.

struct MEmuResource
{
    QString id;
    QString mime;
    QByteArray bytes;
};

struct MEmuPage
{
    QString id;
    QString sectionItemId;
    QString title;
    QDateTime created;
    QDateTime modified;
    // The page as the service renders it; "{{base}}" stands for the interface root the page is read
    // through (".../v1.0/me/onenote" and the like), so resource addresses fit the caller's interface.
    QByteArray html;
    // Given by the fixture as the service wrote it and served exactly so: no "{{base}}" filled in,
    // no ids taken out (real service output replayed).
    bool verbatim = false;
    int serial = 0; // the number in the page's own GUID-form id
    int level = 0; // 0 for a page, 1 for its sub-page, ... (the fixture's "level")
    QString guid; // braced: the GUID in the ids of the page's elements
};

struct MEmuItem
{
    enum Kind { Folder, Notebook, File };
    QString id;
    QString name;
    QString parentId; // "" for a drive root
    Kind kind = Folder;
    QString mimeType; // files only
    QByteArray content; // files only
    QDateTime created;
    QDateTime modified;
    QString accountKey;
    std::vector<QString> children; // item ids in creation order
    std::vector<QString> pages; // sections only: page ids in order
    bool isShared = false; // a notebook shared with another account
    bool isDefault = false;

    bool IsSection() const { return kind == File && name.endsWith(QLatin1String(".one")); }
    QString DisplayName() const { return IsSection() ? name.chopped(4) : name; }
};

struct MEmuAccount
{
    QString key; // the fixture's name for the account, e.g. "personal"
    QString kind; // "personal", "work", "china"
    QString userId;
    QString displayName;
    QString mail;
    QString userPrincipalName;
    QString cid; // the consumer drive id (hexadecimal) used in drive item ids and document links
    QString rootId;
    QString documentsId; // the "Documents" folder that holds the notebooks
    // Other accounts' notebooks this account may open, with its role in each ("Contributor", ...).
    std::vector<std::pair<QString, QString>> sharedNotebooks;
    QString RoleIn(const QString& notebookId) const;
};

struct MEmuLimits
{
    qint64 maxRequestBytes = 70 * 1024 * 1024; // documented total per page-creation request
    qint64 maxPartBytes = 25 * 1024 * 1024; // documented size guidance per data part
    int maxTop = 100;
    int childrenPageSize = 200;
    qint64 maxSimpleUploadBytes = 250LL * 1000 * 1000; // documented limit of a one-request upload
    int copyMonitorPolls = 1; // how often a copy's monitor says "inProgress" before it is done
    // The documented large-library limit: an account whose drive holds more OneNote items (notebooks,
    // section groups, sections) than this answers the expanded notebook list with 403 and code
    // "10008". 0: no limit.
    qint64 oneNoteItems = kDocumentedOneNoteItems;
    static constexpr qint64 kDocumentedOneNoteItems = 5000;
    // The page list across sections (…/onenote/pages) is refused with the documented code 20266 for
    // an account with more sections than this; the documentation names no number. 0: no limit.
    int pageListSections = 0;
};

class MEmuState
{
public:
    // Replaces the whole state with the fixture's; an error text when the fixture is not usable.
    std::optional<QString> LoadFixture(const QJsonObject& fixture);

    // Lookups; nullptr when absent.
    MEmuAccount* Account(const QString& key);
    MEmuAccount* AccountByUserId(const QString& userId);
    MEmuAccount* AccountByMail(const QString& mail);
    MEmuItem* Item(const QString& id);
    MEmuPage* Page(const QString& id);
    MEmuResource* Resource(const QString& id);
    const std::vector<QString>& AccountOrder() const { return m_AccountOrder; }

    // Creations. The name must already be valid and free; returns the new item.
    MEmuItem& AddItem(const QString& accountKey, const QString& parentId, MEmuItem::Kind kind, const QString& name);
    MEmuItem* ChildNamed(const QString& parentId, const QString& name);
    // Adds a page rendered from the HTML and parts given (see MEmuPageRenderer).
    MEmuPage& AddPage(const QString& sectionItemId, const QString& title, const QDateTime& created);
    MEmuResource& AddResource(const QString& mime, const QByteArray& bytes);
    // A page was written: its lastModifiedDateTime moves on, by a millisecond at least (listings show
    // milliseconds, and two writes within one must still read as two), and its section's with it.
    void PageWritten(MEmuPage& page);
    // Takes a page out of its section for good.
    void RemovePage(const QString& pageId);
    // A deep copy of a drive item under another parent (pages and resources included).
    MEmuItem& CopyItem(const QString& itemId, const QString& newParentId, const QString& newName);

    // The notebooks an account's OneNote interface lists: its own, then those shared with it.
    std::vector<QString> NotebookIds(const MEmuAccount& account) const;
    // The account whose drive holds the item.
    MEmuAccount* Owner(const QString& itemId);
    // How many OneNote items (notebooks, section groups, sections) the account's own drive holds.
    qint64 OneNoteItemCount(const MEmuAccount& account) const;
    // The notebook an item lies in, or "" for an item outside every notebook.
    QString NotebookOf(const QString& itemId);
    // "/drive/root:/Documents/Notebook" for an item's parent.
    QString ParentPath(const QString& itemId);
    QString DocumentsPath(const QString& itemId); // "Documents/Notebook/Group/Section.one"

    QString NewGuid(); // braced, upper case
    // A GUID that stays the same for an id, for the section-id and page-id fields of client links.
    static QString StableGuid(const QString& id);
    // The desktop client's address of an item and of a page. "{{docs}}" stands for the document host
    // ("https://" and the host the caller used), filled in when an answer is written.
    QString ClientLink(const QString& itemId);
    QString PageClientLink(const MEmuPage& page);
    // Fixture pages may link to each other: "{{link:Title}}" becomes the client link of the page of
    // that title in the same section, "{{para:N}}" the page's own link to its element number N.
    void ResolveFixtureLinks(const QString& sectionItemId);
    static QString NewHex(int digits); // random upper-case hexadecimal digits
    QString NewToken(const char* prefix);

    MEmuLimits limits;
    qint64 tokenLifetime = 3599;
    qint64 deviceInterval = 5; // the seconds a device-code client is told to wait between polls
    QString makerVersion = QStringLiteral("1.0.0.0");
    MEmuThrottle throttle; // the request limits; off unless the fixture or the command line sets them
    // Changes a test asked to be made to a page "online" right after its content is next read (as if
    // someone edited it while the application read it), by page id: the PATCH form of changes.
    std::map<QString, QJsonArray> changesAfterRead;
    QDateTime now() const; // the fixed creation time of fixture items is not needed: real time serves

    // Everything as one JSON document (for /_emulator/state and --state-out).
    QByteArray ToJson() const;

private:
    QString NewItemId(const MEmuAccount& account);
    std::map<QString, MEmuAccount> m_Accounts;
    std::vector<QString> m_AccountOrder;
    std::unordered_map<QString, MEmuItem> m_Items;
    std::unordered_map<QString, MEmuPage> m_Pages;
    std::unordered_map<QString, MEmuResource> m_Resources;
    quint64 m_Counter = 100;
};
