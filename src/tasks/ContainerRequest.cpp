#include "ContainerRequest.h"

#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "model/MONObject.h"
#include "net/AnswerJson.h"
#include "net/ServiceRequest.h"
#include "service/MServiceSession.h"
#include "util/HtmlText.h"
#include "util/TextEscape.h"
#include "util/TextUtils.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>

namespace {

const QLatin1String kSelfKey("self");

void ReadUrlInto(const QString& answer, QLatin1String key, QString& field)
{
    if (const QString url = ReadUrlField(answer, key); !url.isEmpty())
        field = url;
}

// The folder importer's bookkeeping for one creation: code and text on the node, and on a service
// error the console line and the log line.
bool RecordOnNode(MONObject& node, const MCreationOutcome& outcome, const char* operation, const char* logKind)
{
    node.intValue = outcome.code;
    if (outcome.code == kCreationCreated) {
        node.strValue = Localized("strSuccess");
        return true;
    }
    node.strValue = outcome.reason;
    if (outcome.code == kCreationServiceError) {
        const QString message = StripHtmlToText(outcome.message);
        node.strValue = message;
        qDebug().noquote() << QStringLiteral("%1 error: %2").arg(QLatin1String(operation), message);
        WriteLog(QStringLiteral("%1,%2,%3").arg(QLatin1String(logKind), node.name, message));
    }
    return false;
}

bool CreateUnder(MServiceSession& session, const QString& url, MONObject& node, bool isSection, const char* operation,
    const char* logKind)
{
    MCreationOutcome outcome;
    if (session.Account().OnlineOneNoteAccessToken().isEmpty()) {
        outcome.code = kCreationNoToken;
        outcome.reason = Localized("reasonNotSignedIn");
    } else if (url.isEmpty()) {
        outcome.code = kCreationNoTarget;
        outcome.reason = Localized("reasonNoTarget");
    } else {
        outcome = CreateContainer(session, url, node.name);
    }
    if (outcome.code == kCreationCreated) {
        ReadUrlInto(outcome.answer, kSelfKey, node.selfUrl);
        if (isSection) {
            ReadUrlInto(outcome.answer, QLatin1String("pagesUrl"), node.pagesUrl);
        } else {
            ReadUrlInto(outcome.answer, QLatin1String("sectionGroupsUrl"), node.sectionGroupsUrl);
            ReadUrlInto(outcome.answer, QLatin1String("sectionsUrl"), node.sectionsUrl);
        }
    }
    return RecordOnNode(node, outcome, operation, logKind);
}

} // namespace

QByteArray ContainerBody(int accountType, const QString& name)
{
    const QString key
        = accountType == MAccount::OneNotePersonal ? QStringLiteral("name") : QStringLiteral("displayName");
    return QStringLiteral("{\"%1\":\"%2\"}").arg(key, EscapeJsonString(name)).toUtf8();
}

QString ReadUrlField(const QString& answer, QLatin1String key)
{
    return AnswerObject(answer.toUtf8()).value_or(QJsonObject()).value(key).toString();
}

std::optional<QJsonObject> FindContainerNamed(
    MServiceSession& session, const QString& url, const QString& name, QString* failure)
{
    const MServiceAnswer answer = session.Get(url, kLookupTimeoutSeconds, MExpect::List);
    if (!answer.Ok()) {
        *failure = answer.reason;
        return std::nullopt;
    }
    for (const QJsonValue& value : answer.List()) {
        const QJsonObject item = value.toObject();
        const QString itemName = item.contains(QLatin1String("displayName"))
            ? item.value(QLatin1String("displayName")).toString()
            : item.value(QLatin1String("name")).toString();
        if (StringEqualsIgnoreCase(itemName, name))
            return item;
    }
    return QJsonObject();
}

void ReadContainerUrls(const QJsonObject& item, MONObject& node)
{
    const auto read = [&item](const char* key, QString& field) {
        const QString value = item.value(QLatin1String(key)).toString();
        if (!value.isEmpty())
            field = value;
    };
    read("self", node.selfUrl);
    read("pagesUrl", node.pagesUrl);
    read("sectionsUrl", node.sectionsUrl);
    read("sectionGroupsUrl", node.sectionGroupsUrl);
}

MCreationOutcome CreateContainer(MServiceSession& session, const QString& url, const QString& name)
{
    MHttpRequest request = ServiceRequestEncoded("POST", url, kCreationTimeoutSeconds);
    SetRequestBody(request, "application/json", ContainerBody(session.Account().MSAccountType(), name));
    // Names are unique in a collection: the lost one is the one of that name.
    return SendCreation(
        session, request, [&](QString* failure) { return FindContainerNamed(session, url, name, failure); });
}

QString CreateNewSectionInOnlineOneNote(
    MServiceSession& session, const QString& parentUrl, const QString& name, QString* failure)
{
    if (session.Account().OnlineOneNoteAccessToken().isEmpty() || parentUrl.isEmpty()) {
        if (failure)
            *failure = Localized(parentUrl.isEmpty() ? "reasonNoTarget" : "reasonNotSignedIn");
        return QStringLiteral("");
    }
    const MCreationOutcome outcome = CreateContainer(session, parentUrl + QStringLiteral("/sections"), name);
    if (outcome.code == kCreationServiceError) {
        qDebug().noquote() << QStringLiteral("CreateNewSectionInOnlineOneNote error: %1").arg(outcome.message);
        WriteLog(QStringLiteral("%1,%2,%3").arg(QStringLiteral("Create Section"), name, outcome.message));
    }
    if (failure)
        *failure = outcome.reason;
    const QString self = outcome.Created() ? ReadUrlField(outcome.answer, kSelfKey) : QString();
    if (self.isEmpty()) {
        if (failure && outcome.Created())
            *failure = Localized("reasonNoSelf");
        return QStringLiteral("");
    }
    return self;
}

bool CreateNewNotebookInOnlineOneNote(MServiceSession& session, MONObject& notebook)
{
    // A notebook has no parent to check: its address is the account's own.
    const QString url = session.Account().BaseUrl() + QStringLiteral("/notebooks");
    return CreateUnder(session, url, notebook, false, "CreateNewNotebookInOnlineOneNote", "Create Notebook");
}

bool CreateNewSectionGroupInOnlineOneNote(MServiceSession& session, const MContainerUrls& parent, MONObject& group)
{
    return CreateUnder(
        session, parent.sectionGroupsUrl, group, false, "CreateNewSectionGroupInOnlineOneNote", "Create Section Group");
}

bool CreateNewSectionInOnlineOneNote(MServiceSession& session, const MContainerUrls& parent, MONObject& section)
{
    return CreateUnder(session, parent.sectionsUrl, section, true, "CreateNewSectionInOnlineOneNote", "Create Section");
}
