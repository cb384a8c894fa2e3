#include "MTreeLoader.h"

#include "MMainWindow.h"
#include "MessageBox.h"
#include "model/MNotebookNode.h"

#include <QCoreApplication>
#include <QThread>

namespace {

// The retrieval's status line, seen from the worker: each text is posted to the window and the
// worker goes on at once.
class MPostedTreeReporter final : public MTreeReporter
{
public:
    explicit MPostedTreeReporter(QPointer<MMainWindow> window)
        : m_Window(std::move(window))
    { }
    void ShowStatus(const QString& text) override
    {
        Post([text](MMainWindow* w) { w->ShowStatus(text); });
    }
    void HideStatus() override
    {
        Post([](MMainWindow* w) { w->HideStatus(); });
    }
    // The desktop's alert waits on the main thread until it is dismissed, so the worker waits too.
    void Alert(const QString& text) override { ShowMessageBox(text); }

private:
    template<class F> void Post(F&& work)
    {
        // The application outlives every window: post to it and look for the window there.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [window = m_Window, work = std::forward<F>(work)] {
                if (window)
                    work(window.data());
            },
            Qt::QueuedConnection);
    }
    QPointer<MMainWindow> m_Window;
};

} // namespace

MTreeLoader::MTreeLoader(MAccount& account, QString cacheFile, MMainWindow* window, QObject* parent)
    : QObject(parent)
    , m_Account(account)
    , m_CacheFile(std::move(cacheFile))
    , m_Window(window)
{ }

void MTreeLoader::Start(bool fetch)
{
    if (m_Loading) {
        m_Pending = true;
        m_PendingFetch = m_PendingFetch || fetch;
        return;
    }
    m_Loading = true;
    auto fresh = std::make_shared<MNotebookNode>();
    auto status = std::make_shared<MPostedTreeReporter>(m_Window);
    QPointer<MTreeLoader> self(this);
    MAccount* account = &m_Account;
    QThread* thread = QThread::create([=, cache = m_CacheFile] {
        MNotebookTree tree(*account, *fresh, cache, status.get());
        const MTreeBuildResult result = tree.CreateNotebooksTree(fetch, false);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, fresh, result] {
                if (self)
                    self->Finished(fresh, result);
            },
            Qt::QueuedConnection);
    });
    thread->setObjectName(QStringLiteral("TreeThread"));
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void MTreeLoader::Finished(const std::shared_ptr<MNotebookNode>& fresh, const MTreeBuildResult& result)
{
    m_Loading = false;
    if (m_Pending) {
        // Asked again meanwhile (a sign-in with another account, a refresh after an import): this
        // answer is out of date, and the next one takes its place.
        const bool fetch = m_PendingFetch;
        m_Pending = false;
        m_PendingFetch = false;
        Start(fetch);
        return;
    }
    emit Loaded(fresh, result);
}
