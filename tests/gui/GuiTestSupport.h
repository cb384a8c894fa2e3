#pragma once

#include "model/MNotebookNode.h"
#include "model/MOLONUtils.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <ostream>

// A child of `parent` named `name`, with the id "`name`-id": for trees built by hand.
inline MNotebookNode* AddNode(MNotebookNode* parent, MNodeKind kind, const char* name)
{
    const QString n = QString::fromLatin1(name);
    return parent->AddChild(kind, n + QStringLiteral("-id"), n);
}

// Readable failure messages for text comparisons.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// The one QApplication of a widget test executable, made on first use and kept to the end (its
// destruction at exit would race the static objects of the libraries).
inline QApplication& GuiApp()
{
    static int argc = 1;
    static char name[] = "gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
        auto* a = new QApplication(argc, argv);
        a->setQuitOnLastWindowClosed(false);
        return a;
    }();
    return *app;
}

// A first base class for fixtures whose members are widgets: the application exists before them.
struct MGuiAppFirst
{
    MGuiAppFirst() { GuiApp(); }
};

// Runs the event loop until `done` holds or `ms` have passed; answers `done()`. The default is long
// enough for a web page on a loaded machine.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QTest::qWait(10);
    return done();
}

// While alive, answers every modal window that opens: records its class and runs `answer` on it
// (which should close it). Guards tests against a dialog that would otherwise wait forever.
class MModalWatcher
{
public:
    explicit MModalWatcher(std::function<void(QWidget*)> answer = [](QWidget* w) { w->close(); })
        : m_Answer(std::move(answer))
    {
        QObject::connect(&m_Timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == m_Last)
                return;
            m_Last = modal;
            m_Seen.append(QString::fromLatin1(modal->metaObject()->className()));
            m_Answer(modal);
            m_Last = nullptr;
        });
        m_Timer.start(20);
    }
    QStringList Seen() const { return m_Seen; }

private:
    std::function<void(QWidget*)> m_Answer;
    QTimer m_Timer;
    QWidget* m_Last = nullptr;
    QStringList m_Seen;
};

// Records the links the program opens instead of opening them.
class MRecordingLinkOpener final : public MLinkOpener
{
public:
    void OpenLink(const QString& link) override { links.append(link); }
    QStringList links;
};
