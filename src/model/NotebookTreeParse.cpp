// Parsing the notebook-list JSON into the tree. Under every notebook and section group the
// sections come first, in service order, then the section groups.

#include "MNotebookTree.h"

#include "MNotebookNode.h"
#include "account/MAccount.h"
#include "net/AnswerJson.h"

#include <QJsonArray>

namespace {

QString Text(const QJsonObject& object, QLatin1String key)
{
    return object.value(key).toString();
}

// The service writes a JSON boolean; a text "true" counts as well.
bool IsTrue(const QJsonValue& value)
{
    return value.isBool() ? value.toBool() : value.toString() == QLatin1String("true");
}

} // namespace

QString MNotebookTree::NameKey(int accountType)
{
    return accountType == MAccount::OneNotePersonal ? QStringLiteral("name") : QStringLiteral("displayName");
}

qint64 MNotebookTree::NotebooksFromJson(const QString& json)
{
    return NotebooksFromJson(json, m_Root, m_Account.MSAccountType());
}

qint64 MNotebookTree::NotebooksFromJson(const QString& json, MNotebookNode& root, int accountType)
{
    if (json.isEmpty())
        return 0;
    const QJsonArray notebooks = ReadList(json.toUtf8()).value_or(QJsonArray());
    const QString nameKey = NameKey(accountType);
    qint64 added = 0;
    for (const QJsonValue& value : notebooks) {
        const QJsonObject nb = value.toObject();
        const QString self = Text(nb, QLatin1String("self"));
        MNotebookNode* node
            = root.AddChild(MNodeKind::Notebook, Text(nb, QLatin1String("id")), nb.value(nameKey).toString());
        node->clientUrl = LinkHref(nb, QLatin1String("oneNoteClientUrl"));
        node->webUrl = LinkHref(nb, QLatin1String("oneNoteWebUrl"));
        node->selfUrl = self;
        node->parentNotebookUrl = self;
        node->sectionGroupsUrl = Text(nb, QLatin1String("sectionGroupsUrl"));
        node->sectionsUrl = Text(nb, QLatin1String("sectionsUrl"));
        node->isDefault = IsTrue(nb.value(QLatin1String("isDefault")));
        node->userRole = Text(nb, QLatin1String("userRole"));
        const QJsonObject user
            = nb.value(QLatin1String("createdBy")).toObject().value(QLatin1String("user")).toObject();
        node->creatorId = Text(user, QLatin1String("id"));
        node->createdBy = Text(user, QLatin1String("displayName"));
        AddNotebookChildrenFromJson(nb, node, nameKey);
        ++added;
    }
    return added;
}

void MNotebookTree::AddNotebookChildrenFromJson(
    const QJsonObject& object, MNotebookNode* parent, const QString& nameKey)
{
    const auto addChild = [&](MNodeKind kind, const QJsonObject& child) {
        MNotebookNode* node = parent->AddChild(kind, Text(child, QLatin1String("id")), child.value(nameKey).toString());
        node->webUrl = node->selfUrl = Text(child, QLatin1String("self"));
        node->parentSectionGroupUrl = parent->selfUrl;
        node->parentNotebookUrl = parent->parentNotebookUrl;
        return node;
    };
    for (const QJsonValue& value : object.value(QLatin1String("sections")).toArray()) {
        const QJsonObject section = value.toObject();
        addChild(MNodeKind::Section, section)->pagesUrl = Text(section, QLatin1String("pagesUrl"));
    }
    for (const QJsonValue& value : object.value(QLatin1String("sectionGroups")).toArray()) {
        const QJsonObject group = value.toObject();
        MNotebookNode* node = addChild(MNodeKind::SectionGroup, group);
        node->sectionGroupsUrl = Text(group, QLatin1String("sectionGroupsUrl"));
        node->sectionsUrl = Text(group, QLatin1String("sectionsUrl"));
        AddNotebookChildrenFromJson(group, node, nameKey);
    }
}
