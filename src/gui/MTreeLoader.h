#pragma once

#include "model/MNotebookTree.h"

#include <QObject>
#include <QPointer>
#include <memory>

class MAccount;
class MMainWindow;
class MNotebookNode;

// Fetches the notebook tree on a worker thread into a tree of its own, so that the window goes on
// answering while the service is slow (each request may take up to its time-out). The result is
// handed over on the main thread, where the caller swaps it in. The status texts of the retrieval
// go to the window's status line, posted without waiting; its alerts wait for the user as always.
class MTreeLoader : public QObject
{
    Q_OBJECT
public:
    MTreeLoader(MAccount& account, QString cacheFile, MMainWindow* window, QObject* parent = nullptr);

    // Builds the tree (from the service when `fetch` or there is no cache). A request while a build
    // is running is carried out once it has ended (a fetch wins over a cache read), and only its
    // tree is handed over.
    void Start(bool fetch);
    // A build is running or waits to run.
    bool IsBusy() const { return m_Loading || m_Pending; }

signals:
    // On the main thread: `fresh` holds the new notebooks when `result.built`.
    void Loaded(const std::shared_ptr<MNotebookNode>& fresh, const MTreeBuildResult& result);

private:
    void Finished(const std::shared_ptr<MNotebookNode>& fresh, const MTreeBuildResult& result);

    MAccount& m_Account;
    QString m_CacheFile;
    QPointer<MMainWindow> m_Window;
    bool m_Loading = false;
    bool m_Pending = false;
    bool m_PendingFetch = false;
};
