#pragma once

#include "service/MServiceSession.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

class MAccount;
class MNotebookNode;

// Where the tree retrieval tells what it does: the main window (its status bar and alerts), the
// command line's standard error, a test's record. The retrieval never shows anything itself.
class MTreeReporter
{
public:
    virtual ~MTreeReporter() = default;
    // Shows the status bar with the text (or changes the text of the shown bar).
    virtual void ShowStatus(const QString& text) = 0;
    // Empties the text and hides the bar.
    virtual void HideStatus() = 0;
    // The tree was rebuilt and the caller asked for the outline to be reloaded.
    virtual void ReloadOutline() { }
    // A failure the user must hear of (the desktop shows it in a modal alert and returns when it has
    // been dismissed; the call may come from a worker).
    virtual void Alert(const QString& text) = 0;
};

// What CreateNotebooksTree did.
struct MTreeBuildResult
{
    bool built = false; // the root was emptied and refilled (false: no text, or a fetched answer that was
                        // no notebook list; tree and cache untouched)
    bool fetched = false; // the text came from the service rather than the cache
    bool isList = false; // the text was a notebook list (an error text builds an empty tree)
    qint64 notebooks = 0; // notebooks added under the root
    bool stepByStep = false; // the one-request list failed and the notebooks were read one by one
    bool tooManyItems = false; // ... because the account holds more OneNote items than the service lists at once
    QStringList incomplete; // notebooks whose contents could not be read ("name: reason")
};

// The account's notebooks, section groups and sections, fetched as one JSON text (in one request, or
// notebook by notebook when that fails), kept in the cache file and parsed into the root's children.
// Runs on the thread that calls it and blocks it while the requests run (30 seconds each at most).
// The requests go through a service session of its own: its answers are judged, its OneNote
// requests paced by the request budget and throttling waited out. Pages are not part of this tree.
class MNotebookTree
{
public:
    MNotebookTree(MAccount& account, MNotebookNode& root, QString cacheFile, MTreeReporter* reporter = nullptr);

    // Builds the tree from the cache, or from the service when `forceFetch` or there is no cache.
    MTreeBuildResult CreateNotebooksTree(bool forceFetch, bool reloadData);

    // The notebook list with every notebook expanded: in one request, else step by step; "" on failure.
    QString GetAllNotebooksJson();
    QString GetNotebooksJsonAtOnce();
    QString GetNotebooksJsonStepByStep();
    QString GetJson_AllNotebooksOnly();
    // The expanded notebooks of a list joined into one list. A notebook that cannot be expanded keeps
    // its entry of the list (without contents); such notebooks are named with their reasons in one alert.
    QString GetJson_AllNotebooks_Loop(const QString& notebookListJson);
    QString GetJson_AllNotebooks_ANotebook(const QString& notebookId);

    // Empties nothing: appends the list's notebooks under the root and returns how many.
    qint64 NotebooksFromJson(const QString& json);
    static qint64 NotebooksFromJson(const QString& json, MNotebookNode& root, int accountType);
    // Adds a notebook's or section group's sections (first) and section groups (then, recursively).
    static void AddNotebookChildrenFromJson(const QJsonObject& object, MNotebookNode* parent, const QString& nameKey);
    // "name" for the OneNote personal account, "displayName" for the Graph accounts.
    static QString NameKey(int accountType);

    // What the last GetAllNotebooksJson found out about the way it had to go.
    const MTreeBuildResult& LastFetch() const { return m_Fetch; }

private:
    MServiceAnswer Fetch(const QString& url, MExpect expect);
    QString FetchText(const QString& url, MExpect expect);
    void ShowStatus(const QString& text);
    void HideStatus();
    void Alert(const QString& text);

    MAccount& m_Account;
    MNotebookNode& m_Root;
    QString m_CacheFile;
    MTreeReporter* m_Reporter;
    MServiceSession m_Session;
    MTreeBuildResult m_Fetch;
};
