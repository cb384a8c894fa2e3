#pragma once

#include <QJsonObject>
#include <QString>

class MAccount;
class MONObject;

// Where the tree retrieval shows its progress: the main window's status bar, the command line's
// standard error, a test's record. Alerts go through ShowMessageBox.
class MTreeStatusSink
{
public:
    virtual ~MTreeStatusSink() = default;
    // Shows the status bar with the text (or changes the text of the shown bar).
    virtual void ShowStatus(const QString& text) = 0;
    // Empties the text and hides the bar.
    virtual void HideStatus() = 0;
    // The tree was rebuilt and the caller asked for the outline to be reloaded.
    virtual void ReloadOutline() { }
};

// What CreateNotebooksTree did.
struct MTreeBuildResult
{
    bool built = false; // the root was emptied and refilled (false: no text, or a fetched answer that was
                        // no notebook list; tree and cache untouched)
    bool fetched = false; // the text came from the service rather than the cache
    bool isList = false; // the text was a notebook list (an error text builds an empty tree)
    qint64 notebooks = 0; // notebooks added under the root
};

// The account's notebooks, section groups and sections, fetched as one JSON text (in one request, or
// notebook by notebook when that fails), kept in the cache file and parsed into the root's children.
// Runs on the thread that calls it and blocks it while the requests run (30 seconds each at most).
// Pages are not part of this tree.
class MNotebookTree
{
public:
    MNotebookTree(MAccount& account, MONObject& root, QString cacheFile, MTreeStatusSink* status = nullptr);

    // Builds the tree from the cache, or from the service when `forceFetch` or there is no cache.
    MTreeBuildResult CreateNotebooksTree(bool forceFetch, bool reloadData);

    // The notebook list with every notebook expanded: in one request, else step by step; "" on failure.
    QString GetAllNotebooksJson();
    QString GetNotebooksJsonAtOnce();
    QString GetNotebooksJsonStepByStep();
    QString GetJson_AllNotebooksOnly();
    // The expanded notebooks of a list joined into one list; failures are named in one alert.
    QString GetJson_AllNotebooks_Loop(const QString& notebookListJson);
    QString GetJson_AllNotebooks_ANotebook(const QString& notebookId);

    // Empties nothing: appends the list's notebooks under the root and returns how many.
    qint64 ListJasonToVTSNotebook(const QString& json);
    static qint64 ListJasonToVTSNotebook(const QString& json, MONObject& root, int accountType);
    // Adds a notebook's or section group's sections (first) and section groups (then, recursively).
    static void ListJasonToVTSNotebookChildren(const QJsonObject& object, MONObject* parent, const QString& nameKey);
    // "name" for the OneNote personal account, "displayName" for the Graph accounts.
    static QString NameKey(int accountType);

private:
    QString Fetch(const QString& url);
    void ShowStatus(const QString& text);
    void HideStatus();

    MAccount& m_Account;
    MONObject& m_Root;
    QString m_CacheFile;
    MTreeStatusSink* m_Status;
};
