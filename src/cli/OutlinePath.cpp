#include "OutlinePath.h"

#include "Command.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"

namespace {

MNotebookNode* MatchPath(const MNotebookNode& node, const QString& rest, Qt::CaseSensitivity cs)
{
    for (const auto& child : node.children()) {
        const QString& name = child->name;
        if (name.isEmpty())
            continue;
        if (rest.compare(name, cs) == 0)
            return child.get();
        if (rest.startsWith(name + QLatin1Char('/'), cs)) {
            if (MNotebookNode* found = MatchPath(*child, rest.mid(name.size() + 1), cs))
                return found;
        }
    }
    return nullptr;
}

class MStderrTreeReporter final : public MTreeReporter
{
public:
    void ShowStatus(const QString& text) override { PrintErr(text); }
    void HideStatus() override { }
    void Alert(const QString& text) override { PrintErr(text); }
};

class MQuietTreeReporter final : public MTreeReporter
{
public:
    void ShowStatus(const QString&) override { }
    void HideStatus() override { }
    // Quiet about progress, never about a failure.
    void Alert(const QString& text) override { PrintErr(text); }
};

} // namespace

MNotebookNode* FindNodeByPathOrId(const MNotebookNode& root, const QString& pathOrId)
{
    if (MNotebookNode* byId = MNotebookNode::GetObjectById(pathOrId, &root))
        return byId;
    QString path = pathOrId;
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    if (path.isEmpty())
        return nullptr;
    if (MNotebookNode* exact = MatchPath(root, path, Qt::CaseSensitive))
        return exact;
    return MatchPath(root, path, Qt::CaseInsensitive);
}

MTreeReporter& StderrTreeReporter()
{
    static MStderrTreeReporter status;
    return status;
}

MTreeReporter& QuietTreeReporter()
{
    static MQuietTreeReporter status;
    return status;
}
