#include "ContainerRequest.h"

#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "service/ServiceCall.h"
#include "util/HtmlText.h"
#include "util/TextEscape.h"
#include "util/TextUtils.h"

#include <QDebug>

namespace {

const QString kSelfKey = QStringLiteral("\"self\":");

void ReadUrlInto(const QString& answer, const QString& key, QString& field)
{
    if (!answer.contains(key))
        return;
    field = ReadUrlField(answer, key);
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
    node.strValue = QStringLiteral("");
    if (outcome.code == kCreationServiceError) {
        const QString message = StripHtmlToText(outcome.message);
        node.strValue = message;
        qDebug().noquote() << QStringLiteral("%1 error: %2").arg(QLatin1String(operation), message);
        WriteLog(QStringLiteral("%1,%2,%3").arg(QLatin1String(logKind), node.name, message));
    }
    return false;
}

bool CreateUnder(const MAccount& account, const QString& url, MONObject& node, bool isSection, const char* operation,
    const char* logKind)
{
    MCreationOutcome outcome;
    if (account.OnlineOneNoteAccessToken().isEmpty())
        outcome.code = kCreationNoToken;
    else if (url.isEmpty())
        outcome.code = kCreationNoTarget;
    else
        outcome = CreateContainer(account, url, node.name);
    if (outcome.code == kCreationCreated) {
        ReadUrlInto(outcome.answer, kSelfKey, node.selfUrl);
        if (isSection) {
            ReadUrlInto(outcome.answer, QStringLiteral("\"pagesUrl\":"), node.pagesUrl);
        } else {
            ReadUrlInto(outcome.answer, QStringLiteral("\"sectionGroupsUrl\":"), node.sectionGroupsUrl);
            ReadUrlInto(outcome.answer, QStringLiteral("\"sectionsUrl\":"), node.sectionsUrl);
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

QString ReadUrlField(const QString& answer, const QString& key)
{
    const QString rest = GetStringBetween(answer, key, QString());
    return GetStringBetween(rest, QStringLiteral("\""), QStringLiteral("\""));
}

MCreationOutcome CreateContainer(const MAccount& account, const QString& url, const QString& name)
{
    MHttpRequest request = ServiceRequestEncoded("POST", url, kCreationTimeoutSeconds);
    SetRequestBody(request, "application/json", ContainerBody(account.MSAccountType(), name));
    const MHttpResponse response = SendAuthorized(account, request);
    if (!response.sent) {
        MCreationOutcome outcome;
        outcome.code = kCreationNoToken;
        return outcome;
    }
    return JudgeCreationAnswer(response);
}

QString CreateNewSectionInOnlineOneNote(const MAccount& account, const QString& parentUrl, const QString& name)
{
    if (account.OnlineOneNoteAccessToken().isEmpty() || parentUrl.isEmpty())
        return QStringLiteral("");
    const MCreationOutcome outcome = CreateContainer(account, parentUrl + QStringLiteral("/sections"), name);
    if (outcome.code == kCreationServiceError) {
        qDebug().noquote() << QStringLiteral("CreateNewSectionInOnlineOneNote error: %1").arg(outcome.message);
        WriteLog(QStringLiteral("%1,%2,%3").arg(QStringLiteral("Create Section"), name, outcome.message));
    }
    if (!outcome.Created() || !outcome.answer.contains(kSelfKey))
        return QStringLiteral("");
    return ReadUrlField(outcome.answer, kSelfKey);
}

bool CreateNewNotebookInOnlineOneNote(const MAccount& account, MONObject& notebook)
{
    // A notebook has no parent to check: its address is the account's own.
    const QString url = account.BaseUrl() + QStringLiteral("/notebooks");
    return CreateUnder(account, url, notebook, false, "CreateNewNotebookInOnlineOneNote", "Create Notebook");
}

bool CreateNewSectionGroupInOnlineOneNote(const MAccount& account, const MONObject& parent, MONObject& group)
{
    return CreateUnder(
        account, parent.sectionGroupsUrl, group, false, "CreateNewSectionGroupInOnlineOneNote", "Create Section Group");
}

bool CreateNewSectionInOnlineOneNote(const MAccount& account, const MONObject& parent, MONObject& section)
{
    return CreateUnder(account, parent.sectionsUrl, section, true, "CreateNewSectionInOnlineOneNote", "Create Section");
}
