#include "Tree.h"

#include "OutlinePath.h"

#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"
#include "util/FileUtils.h"

namespace {

QString KindWord(MNodeKind type)
{
    switch (type) {
    case MNodeKind::Notebook:
        return QStringLiteral("notebook");
    case MNodeKind::SectionGroup:
        return QStringLiteral("group");
    case MNodeKind::Section:
        return QStringLiteral("section");
    default:
        return QStringLiteral("node");
    }
}

void AppendLines(const MNotebookNode& node, int depth, QStringList& lines)
{
    for (const auto& child : node.children()) {
        lines.append(QStringLiteral("%1%2\t%3\t%4")
                         .arg(QString(depth * 2, QLatin1Char(' ')), KindWord(child->kind), child->name, child->id));
        AppendLines(*child, depth + 1, lines);
    }
}

} // namespace

QStringList OutlineLines(const MNotebookNode& root)
{
    QStringList lines;
    AppendLines(root, 0, lines);
    return lines;
}

MCliTree::MCliTree()
    : m_Refresh(QStringLiteral("refresh"), Localized("cliTreeOptionRefresh"))
{
    name = QStringLiteral("tree");
    description = Localized("cliTreeDescription");
    options = {m_Refresh};
}

int MCliTree::Execute(const QCommandLineParser& parser)
{
    MAccount& account = TheAccount();
    const QString cache = AppPaths().notebookCache;
    const bool fetch = parser.isSet(m_Refresh) || !FileExists(cache);
    if (fetch && account.OnlineOneNoteAccessToken().isEmpty() && account.OnlineOneNoteRefreshToken().isEmpty()) {
        PrintErr(Localized("cliNotSignedIn"));
        return kExitFailure;
    }
    MNotebookNode root;
    MNotebookTree tree(account, root, cache, &StderrTreeReporter());
    const MTreeBuildResult result = tree.CreateNotebooksTree(parser.isSet(m_Refresh), false);
    if (!result.built) {
        PrintErr(Localized("cliTreeNoAnswer"));
        return kExitFailure;
    }
    if (!result.isList) {
        PrintErr(Localized("cliTreeNoList"));
        return kExitFailure;
    }
    for (const QString& line : OutlineLines(root))
        PrintOut(line);
    return kExitSuccess;
}
