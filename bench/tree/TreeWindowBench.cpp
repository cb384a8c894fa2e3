// How quickly the main window shows and works a big cached tree: 10,000 sections in 21 notebooks, one
// of them ("Inbox") holding 5,000 (4,000 of its own and ten groups of 100), the other twenty 250 each
// (200 of their own and two groups of 25). The tree is written as the notebook cache and then, in each
// round: read from the cache into a tree, handed to the window's outline model with the notebooks
// expanded and painted, the Inbox checked and unchecked by its check box (as a click sets it), every
// row checked and unchecked from the menu, and the outline scrolled through the Inbox a page at a
// time; then, with every group open, the Inbox checked and unchecked again. Each step is timed with
// the repaint it causes; the times are printed, never judged.
//
// bench_tree_window [ROUNDS]   (QT_QPA_PLATFORM=offscreen unless a display is wanted)

#include "MMainWindow.h"
#include "MTreeModel.h"
#include "account/MAccount.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

const QString kBase = QStringLiteral("https://graph.microsoft.com/v1.0/me/onenote");

QString Section(const QString& id, const QString& name)
{
    return QStringLiteral(R"({"id":"1-%1","self":"%2/sections/1-%1","displayName":"%3","isDefault":false,)"
                          R"("createdDateTime":"2023-05-01T09:12:00Z","lastModifiedDateTime":"2024-02-11T17:40:05Z",)"
                          R"("pagesUrl":"%2/sections/1-%1/pages"})")
        .arg(id, kBase, name);
}

QString Sections(const QString& prefix, int count)
{
    QStringList sections;
    for (int s = 1; s <= count; ++s)
        sections.append(Section(QStringLiteral("%1-s%2").arg(prefix).arg(s), QStringLiteral("Section %1").arg(s)));
    return sections.join(QLatin1Char(','));
}

QString Container(const QString& kind, const QString& id, const QString& name, int own, int groups, int perGroup)
{
    QStringList children;
    for (int g = 1; g <= groups; ++g) {
        const QString groupId = QStringLiteral("%1-g%2").arg(id).arg(g);
        children.append(
            Container(QStringLiteral("sectionGroups"), groupId, QStringLiteral("Group %1").arg(g), perGroup, 0, 0));
    }
    return QStringLiteral(R"({"id":"1-%1","self":"%2/%3/1-%1","displayName":"%4","userRole":"Owner","isShared":false,)"
                          R"("sectionsUrl":"%2/%3/1-%1/sections","sectionGroupsUrl":"%2/%3/1-%1/sectionGroups",)"
                          R"("links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/8a3f/Documents/%4"},)"
                          R"("oneNoteWebUrl":{"href":"https://onedrive.live.com/redir.aspx?resid=%1"}},)"
                          R"("sections":[%5],"sectionGroups":[%6]})")
        .arg(id, kBase, kind, name, Sections(id, own), children.join(QLatin1Char(',')));
}

QString NotebookList()
{
    QStringList notebooks {
        Container(QStringLiteral("notebooks"), QStringLiteral("inbox"), QStringLiteral("Inbox"), 4000, 10, 100)};
    for (int n = 1; n <= 20; ++n)
        notebooks.append(Container(QStringLiteral("notebooks"), QStringLiteral("nb%1").arg(n),
            QStringLiteral("Notebook %1").arg(n), 200, 2, 25));
    return QStringLiteral(R"({"@odata.context":"%1/$metadata#notebooks","value":[%2]})")
        .arg(kBase, notebooks.join(QLatin1Char(',')));
}

qint64 CountChecked(const MNotebookNode& node, MNodeKind type, bool& allChecked)
{
    qint64 count = 0;
    for (const auto& child : node.children()) {
        if (child->kind == type) {
            ++count;
            allChecked = allChecked && child->checked;
        }
        count += CountChecked(*child, type, allChecked);
    }
    return count;
}

bool AllChecked(const MNotebookNode& node, bool checked)
{
    bool all = true;
    bool none = true;
    for (const auto& child : node.children()) {
        all = all && child->checked && AllChecked(*child, true);
        none = none && !child->checked && AllChecked(*child, false);
    }
    return checked ? all : none;
}

// Lets the view take in what changed and paints it, as the next frame would.
void Paint(QTreeView* view)
{
    QCoreApplication::processEvents();
    view->viewport()->repaint();
}

class Times
{
public:
    void Add(const char* step, qint64 ns) { m_Times[step].push_back(ns); }
    void Print() const
    {
        std::printf("%-44s %10s %10s %10s\n", "step", "min ms", "median ms", "max ms");
        for (const char* step : m_Order) {
            std::vector<qint64> t = m_Times.at(step);
            std::sort(t.begin(), t.end());
            std::printf("%-44s %10.1f %10.1f %10.1f\n", step, t.front() / 1e6, t[t.size() / 2] / 1e6, t.back() / 1e6);
        }
    }
    void Order(std::initializer_list<const char*> steps) { m_Order = steps; }

private:
    std::map<std::string, std::vector<qint64>> m_Times;
    std::vector<const char*> m_Order;
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;

    QTemporaryDir work;
    const QString cache = work.filePath(QStringLiteral("notebooks.json"));
    {
        QFile file(cache);
        if (!file.open(QIODevice::WriteOnly) || file.write(NotebookList().toUtf8()) < 0) {
            std::fprintf(stderr, "bench_tree_window: cannot write %s\n", qPrintable(cache));
            return 1;
        }
        std::printf("cache: %.1f MiB\n", double(file.size()) / (1024.0 * 1024.0));
    }

    MAccount account;
    account.setMSAccountType(MAccount::Personal);
    MNotebookNode root;
    MMainWindow window(&root);
    window.show();
    QTreeView* view = window.OutlineTree();
    MTreeModel* model = window.TreeModel();
    Paint(view);

    Times times;
    const char* load = "read the cache into a tree";
    const char* show = "outline model: swap in, expand, paint";
    const char* appears = "cached tree appears (the two above)";
    const char* check = "check Inbox (5,000 sections) + paint";
    const char* uncheck = "uncheck Inbox + paint";
    const char* checkAll = "check all (10,000 sections) + paint";
    const char* uncheckAll = "uncheck all + paint";
    const char* scroll = "scroll the Inbox, per page + paint";
    const char* expandAll = "expand every group + paint";
    const char* checkOpen = "check Inbox, all open + paint";
    const char* uncheckOpen = "uncheck Inbox, all open, at its end + paint";
    times.Order({load, show, appears, check, uncheck, checkAll, uncheckAll, scroll, expandAll, checkOpen, uncheckOpen});

    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        MNotebookNode fresh;
        const MTreeBuildResult built = MNotebookTree(account, fresh, cache).CreateNotebooksTree(false, false);
        const qint64 loaded = timer.nsecsElapsed();
        times.Add(load, loaded);
        timer.restart();
        model->ReplaceChildren(fresh);
        view->expandToDepth(0);
        Paint(view);
        times.Add(show, timer.nsecsElapsed());
        times.Add(appears, loaded + timer.nsecsElapsed());
        bool all = true;
        if (!built.built || root.childCount() != 21 || CountChecked(root, MNodeKind::Section, all) != 10000) {
            std::fprintf(stderr, "bench_tree_window: the tree is not the one written\n");
            return 1;
        }

        const QModelIndex inbox = model->index(0, 0);
        timer.restart();
        model->setData(inbox, Qt::Checked, Qt::CheckStateRole);
        Paint(view);
        times.Add(check, timer.nsecsElapsed());
        if (!AllChecked(*root.child(0), true) || root.child(1)->checked) {
            std::fprintf(stderr, "bench_tree_window: checking the Inbox checked something else\n");
            return 1;
        }
        timer.restart();
        model->setData(inbox, Qt::Unchecked, Qt::CheckStateRole);
        Paint(view);
        times.Add(uncheck, timer.nsecsElapsed());
        if (!AllChecked(root, false)) {
            std::fprintf(stderr, "bench_tree_window: unchecking the Inbox left rows checked\n");
            return 1;
        }

        timer.restart();
        model->SetAllChecked(true);
        Paint(view);
        times.Add(checkAll, timer.nsecsElapsed());
        timer.restart();
        model->SetAllChecked(false);
        Paint(view);
        times.Add(uncheckAll, timer.nsecsElapsed());

        QScrollBar* bar = view->verticalScrollBar();
        const int pages = 40;
        timer.restart();
        for (int page = 1; page <= pages; ++page) {
            bar->setValue(std::min(bar->maximum(), page * bar->pageStep()));
            Paint(view);
        }
        times.Add(scroll, timer.nsecsElapsed() / pages);
        bar->setValue(0);

        // The same click with every group open: the rows of the Inbox's groups stand behind its
        // 4,000 sections of their own, so whatever finds a row's place among its siblings shows here.
        timer.restart();
        view->expandAll();
        Paint(view);
        times.Add(expandAll, timer.nsecsElapsed());
        timer.restart();
        model->setData(inbox, Qt::Checked, Qt::CheckStateRole);
        Paint(view);
        times.Add(checkOpen, timer.nsecsElapsed());
        bar->setValue(bar->maximum());
        timer.restart();
        model->setData(inbox, Qt::Unchecked, Qt::CheckStateRole);
        Paint(view);
        times.Add(uncheckOpen, timer.nsecsElapsed());
        bar->setValue(0);
    }
    std::printf("%d rounds, 21 notebooks, 10,000 sections, 40 groups\n", rounds);
    times.Print();
    return 0;
}
