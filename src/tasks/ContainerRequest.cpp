#include "ContainerRequest.h"

#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
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

// On a service error, the console line and the log line; the reason becomes the service's message
// as plain text.
void LogFailure(MCreationOutcome& outcome, const QString& name, const char* operation, const char* logKind)
{
    if (outcome.code != kCreationServiceError)
        return;
    outcome.reason = StripHtmlToText(outcome.message);
    qDebug().noquote() << QStringLiteral("%1 error: %2").arg(QLatin1String(operation), outcome.reason);
    WriteLog(QStringLiteral("%1,%2,%3").arg(QLatin1String(logKind), name, outcome.reason));
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

void ReadContainerUrls(const QJsonObject& item, MContainerUrls& node)
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

MCreationOutcome CreateContainerIn(
    MServiceSession& session, const MContainerUrls& parent, MNodeKind kind, const QString& name, MContainerUrls& made)
{
    // A notebook has no parent to check: its address is the account's own.
    const QString url = kind == MNodeKind::Notebook ? session.Account().BaseUrl() + QStringLiteral("/notebooks")
        : kind == MNodeKind::SectionGroup           ? parent.sectionGroupsUrl
                                                    : parent.sectionsUrl;
    MCreationOutcome outcome;
    if (session.Account().OnlineOneNoteAccessToken().isEmpty()) {
        outcome.code = kCreationNoToken;
        outcome.reason = Localized("reasonNotSignedIn");
    } else if (url.isEmpty()) {
        outcome.code = kCreationNoTarget;
        outcome.reason = Localized("reasonNoTarget");
    } else {
        outcome = CreateContainer(session, url, name);
    }
    if (outcome.Created()) {
        ReadUrlInto(outcome.answer, kSelfKey, made.selfUrl);
        if (kind == MNodeKind::Section) {
            ReadUrlInto(outcome.answer, QLatin1String("pagesUrl"), made.pagesUrl);
        } else {
            ReadUrlInto(outcome.answer, QLatin1String("sectionGroupsUrl"), made.sectionGroupsUrl);
            ReadUrlInto(outcome.answer, QLatin1String("sectionsUrl"), made.sectionsUrl);
        }
    } else if (kind == MNodeKind::Notebook) {
        LogFailure(outcome, name, "CreateNewNotebookInOnlineOneNote", "Create Notebook");
    } else if (kind == MNodeKind::SectionGroup) {
        LogFailure(outcome, name, "CreateNewSectionGroupInOnlineOneNote", "Create Section Group");
    } else {
        LogFailure(outcome, name, "CreateNewSectionInOnlineOneNote", "Create Section");
    }
    return outcome;
}
