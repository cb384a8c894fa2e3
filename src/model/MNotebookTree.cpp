#include "MNotebookTree.h"

#include "MONObject.h"
#include "account/MAccount.h"
#include "service/ServiceCall.h"
#include "util/FileUtils.h"
#include "util/MessageBox.h"
#include "util/TextUtils.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {

constexpr int kTreeReadTimeout = 30;
const QString kExpandAll
    = QStringLiteral("?expand=sections,sectionGroups(expand=sections,sectionGroups(levels=max;expand=sections))");

bool IsNotebookList(const QString& text)
{
    return text.contains(QLatin1String("\"value\":"));
}

void WriteCache(const QString& path, const QString& text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}

} // namespace

MNotebookTree::MNotebookTree(MAccount& account, MONObject& root, QString cacheFile, MTreeStatusSink* status)
    : m_Account(account)
    , m_Root(root)
    , m_CacheFile(std::move(cacheFile))
    , m_Status(status)
{ }

MTreeBuildResult MNotebookTree::CreateNotebooksTree(bool forceFetch, bool reloadData)
{
    MTreeBuildResult result;
    QString text = ReadTextFile(m_CacheFile).value_or(QString());
    if (forceFetch || text.isEmpty()) {
        m_Account.RefreshTokens(true);
        text = GetAllNotebooksJson();
        result.fetched = true;
        // An answer that is no notebook list (an error text, an HTML page) has been shown in the
        // alerts already; building from it would empty the outline and leave the error in the
        // cache for the next start. The tree and the cache stay as they were.
        if (!IsNotebookList(text))
            return result;
        qint64 count = 0;
        m_Account.GetAccountIdFromNotebookJson(text, count);
        if (count == 0)
            ShowMessageBox(QStringLiteral("There are no notebooks in this account!"));
    }
    if (text.isEmpty())
        return result;
    WriteCache(m_CacheFile, text);
    m_Root.clear();
    result.built = true;
    result.isList = IsNotebookList(text);
    result.notebooks = ListJasonToVTSNotebook(text);
    if (reloadData && m_Status)
        m_Status->ReloadOutline();
    return result;
}

QString MNotebookTree::GetAllNotebooksJson()
{
    ShowStatus(QStringLiteral("Get all notebooks information at once ..."));
    QString text = GetNotebooksJsonAtOnce();
    if (text.isEmpty() || !IsNotebookList(text)) {
        ShowMessageBox(QStringLiteral("First attempt to get the notebook list failed!\n\n%1\n\nTry second time!\n"
                                      "This time will take a bit longer, please be patient.")
                           .arg(text));
        ShowStatus(QStringLiteral("Get all notebooks information step by step ..."));
        text = GetNotebooksJsonStepByStep();
    }
    HideStatus();
    return text;
}

QString MNotebookTree::GetNotebooksJsonAtOnce()
{
    return Fetch(m_Account.BaseUrl() + QStringLiteral("/notebooks") + kExpandAll);
}

QString MNotebookTree::GetNotebooksJsonStepByStep()
{
    const QString list = GetJson_AllNotebooksOnly();
    if (IsNotebookList(list))
        return GetJson_AllNotebooks_Loop(list);
    ShowMessageBox(QStringLiteral("Second attempt to get the notebook list failed!\n\n%1").arg(list));
    return list;
}

QString MNotebookTree::GetJson_AllNotebooksOnly()
{
    return Fetch(m_Account.BaseUrl() + QStringLiteral("/notebooks"));
}

QString MNotebookTree::GetJson_AllNotebooks_ANotebook(const QString& notebookId)
{
    return Fetch(m_Account.BaseUrl() + QStringLiteral("/notebooks/") + notebookId + kExpandAll);
}

QString MNotebookTree::GetJson_AllNotebooks_Loop(const QString& notebookListJson)
{
    if (notebookListJson.isEmpty())
        return QStringLiteral("");
    const QJsonArray notebooks
        = QJsonDocument::fromJson(notebookListJson.toUtf8()).object().value(QLatin1String("value")).toArray();
    const QString nameKey = NameKey(m_Account.MSAccountType());
    QStringList joined;
    QStringList failed;
    for (const QJsonValue& value : notebooks) {
        const QJsonObject notebook = value.toObject();
        const QString name = notebook.value(nameKey).toString();
        const QString text = GetJson_AllNotebooks_ANotebook(notebook.value(QLatin1String("id")).toString());
        if (!text.isEmpty() && !StringContainsIgnoreCase(QStringLiteral("\"error\":"), text))
            joined.append(text);
        else
            failed.append(name);
    }
    if (!failed.isEmpty())
        ShowMessageBox(
            QStringLiteral("Get follow notebook information error:\n%1").arg(failed.join(QStringLiteral(", "))));
    if (joined.isEmpty())
        return QStringLiteral("");
    return QStringLiteral("{\"value\": [%1]}").arg(joined.join(QStringLiteral(", ")));
}

QString MNotebookTree::Fetch(const QString& url)
{
    const MHttpResponse response = SendAuthorized(m_Account, ServiceRequest("GET", url, kTreeReadTimeout));
    if (response.HasBody())
        return response.Text();
    // No data at all: perhaps the token ran out meanwhile; refresh it quietly for the next attempt.
    if (response.sent)
        m_Account.RefreshTokens(false);
    return QStringLiteral("");
}

void MNotebookTree::ShowStatus(const QString& text)
{
    if (m_Status)
        m_Status->ShowStatus(text);
}

void MNotebookTree::HideStatus()
{
    if (m_Status)
        m_Status->HideStatus();
}
