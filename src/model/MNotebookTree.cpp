#include "MNotebookTree.h"

#include "MNotebookNode.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "app/PrivateFiles.h"
#include "net/AnswerJson.h"
#include "net/ServiceRequest.h"
#include "util/FileUtils.h"

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
    return ReadList(text.toUtf8()).has_value();
}

void WriteCache(const QString& path, const QString& text)
{
    QFile file(path);
    if (OpenPrivately(file, QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}

} // namespace

MNotebookTree::MNotebookTree(MAccount& account, MNotebookNode& root, QString cacheFile, MTreeReporter* reporter)
    : m_Account(account)
    , m_Root(root)
    , m_CacheFile(std::move(cacheFile))
    , m_Reporter(reporter)
    , m_Session(account, nullptr, [reporter](const QString& text) {
        if (reporter)
            reporter->ShowStatus(text);
    })
{ }

MTreeBuildResult MNotebookTree::CreateNotebooksTree(bool forceFetch, bool reloadData)
{
    MTreeBuildResult result;
    QString text = ReadTextFile(m_CacheFile).value_or(QString());
    if (forceFetch || text.isEmpty()) {
        if (const MTokenFailure failure = m_Account.RefreshTokens())
            Alert(*failure);
        text = GetAllNotebooksJson();
        result.stepByStep = m_Fetch.stepByStep;
        result.tooManyItems = m_Fetch.tooManyItems;
        result.incomplete = m_Fetch.incomplete;
        result.fetched = true;
        // An answer that is no notebook list (an error text, an HTML page) has been shown in the
        // alerts already; building from it would empty the outline and leave the error in the
        // cache for the next start. The tree and the cache stay as they were.
        if (!IsNotebookList(text))
            return result;
        qint64 count = 0;
        m_Account.GetAccountIdFromNotebookJson(text, count);
        if (count == 0)
            Alert(QStringLiteral("There are no notebooks in this account!"));
    }
    if (text.isEmpty())
        return result;
    WriteCache(m_CacheFile, text);
    m_Root.clear();
    result.built = true;
    result.isList = IsNotebookList(text);
    result.notebooks = NotebooksFromJson(text);
    if (reloadData && m_Reporter)
        m_Reporter->ReloadOutline();
    return result;
}

QString MNotebookTree::GetAllNotebooksJson()
{
    m_Fetch = MTreeBuildResult();
    ShowStatus(QStringLiteral("Get all notebooks information at once ..."));
    const MServiceAnswer once = Fetch(m_Account.BaseUrl() + QStringLiteral("/notebooks") + kExpandAll, MExpect::List);
    QString text = once.Text();
    if (!once.Ok() || !IsNotebookList(text)) {
        m_Fetch.stepByStep = true;
        // A library over the service's item limit is no failure to alarm anyone with: the service
        // has said why, and the status line tells the user while the notebooks come one by one.
        m_Fetch.tooManyItems = once.errorCode == QLatin1String("10008");
        if (!m_Fetch.tooManyItems) {
            Alert(QStringLiteral("First attempt to get the notebook list failed!\n\n%1\n\nTry second time!\n"
                                 "This time will take a bit longer, please be patient.")
                      .arg(text.isEmpty() ? once.reason : text));
            ShowStatus(QStringLiteral("Get all notebooks information step by step ..."));
        }
        text = GetNotebooksJsonStepByStep();
    }
    HideStatus();
    return text;
}

QString MNotebookTree::GetNotebooksJsonAtOnce()
{
    return FetchText(m_Account.BaseUrl() + QStringLiteral("/notebooks") + kExpandAll, MExpect::List);
}

QString MNotebookTree::GetNotebooksJsonStepByStep()
{
    const MServiceAnswer answer = Fetch(m_Account.BaseUrl() + QStringLiteral("/notebooks"), MExpect::List);
    const QString list = answer.Text();
    if (answer.Ok() && IsNotebookList(list))
        return GetJson_AllNotebooks_Loop(list);
    Alert(QStringLiteral("Second attempt to get the notebook list failed!\n\n%1")
              .arg(list.isEmpty() ? answer.reason : list));
    return list;
}

QString MNotebookTree::GetJson_AllNotebooksOnly()
{
    return FetchText(m_Account.BaseUrl() + QStringLiteral("/notebooks"), MExpect::List);
}

QString MNotebookTree::GetJson_AllNotebooks_ANotebook(const QString& notebookId)
{
    return FetchText(m_Account.BaseUrl() + QStringLiteral("/notebooks/") + notebookId + kExpandAll, MExpect::Json);
}

QString MNotebookTree::GetJson_AllNotebooks_Loop(const QString& notebookListJson)
{
    if (notebookListJson.isEmpty())
        return QStringLiteral("");
    const QJsonArray notebooks = ReadList(notebookListJson.toUtf8()).value_or(QJsonArray());
    // An account without notebooks: its list is the whole answer (an empty tree, and the alert saying so).
    if (notebooks.isEmpty())
        return notebookListJson;
    const QString nameKey = NameKey(m_Account.MSAccountType());
    QStringList joined;
    qsizetype done = 0;
    for (const QJsonValue& value : notebooks) {
        const QJsonObject notebook = value.toObject();
        const QString name = notebook.value(nameKey).toString();
        if (m_Fetch.tooManyItems)
            ShowStatus(
                Localized("msgTreeTooManyItems").arg(QString::number(++done), QString::number(notebooks.size()), name));
        const MServiceAnswer answer = Fetch(m_Account.BaseUrl() + QStringLiteral("/notebooks/")
                + notebook.value(QLatin1String("id")).toString() + kExpandAll,
            MExpect::Json);
        if (answer.Ok()) {
            joined.append(answer.Text());
            continue;
        }
        // Leaving the notebook out would look as if it were gone: it stays, with what the list said
        // of it, and the user is told that its contents could not be read.
        joined.append(QString::fromUtf8(QJsonDocument(notebook).toJson(QJsonDocument::Compact)));
        m_Fetch.incomplete.append(QStringLiteral("%1: %2").arg(name, answer.reason));
    }
    if (!m_Fetch.incomplete.isEmpty())
        Alert(Localized("msgTreeNotebooksIncomplete").arg(m_Fetch.incomplete.join(QLatin1Char('\n'))));
    return QStringLiteral("{\"value\": [%1]}").arg(joined.join(QStringLiteral(", ")));
}

MServiceAnswer MNotebookTree::Fetch(const QString& url, MExpect expect)
{
    MServiceAnswer answer = m_Session.Send(ServiceRequest("GET", url, kTreeReadTimeout), expect);
    // No answer at all: perhaps the token ran out meanwhile; refresh it quietly for the next attempt.
    if (answer.failure == MAnswerFailure::Transport)
        m_Account.RefreshTokens();
    return answer;
}

QString MNotebookTree::FetchText(const QString& url, MExpect expect)
{
    return Fetch(url, expect).Text();
}

void MNotebookTree::ShowStatus(const QString& text)
{
    if (m_Reporter)
        m_Reporter->ShowStatus(text);
}

void MNotebookTree::HideStatus()
{
    if (m_Reporter)
        m_Reporter->HideStatus();
}

void MNotebookTree::Alert(const QString& text)
{
    if (m_Reporter)
        m_Reporter->Alert(text);
}
