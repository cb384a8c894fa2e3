#include "ImportTree.h"

#include "CliReporter.h"
#include "CliRun.h"
#include "OutlinePath.h"
#include "RunOptions.h"

#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "import/TreeImport.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"
#include "model/MResultNode.h"
#include "tasks/MTaskContext.h"

#include <QFileInfo>

namespace { } // namespace

MCliImportTree::MCliImportTree()
    : m_Notebook(QStringLiteral("notebook"), Localized("cliImportTreeOptionNotebook"), QStringLiteral("PATH"))
    , m_FirstLevelNotebooks(QStringLiteral("first-level-notebooks"), Localized("cliImportTreeOptionFirstLevel"))
    , m_NoTxt(QStringLiteral("no-txt"), Localized("cliImportTreeOptionNoTxt"))
    , m_NoHtml(QStringLiteral("no-html"), Localized("cliImportTreeOptionNoHtml"))
    , m_KeepFilesFolders(QStringLiteral("keep-html-files-folders"), Localized("cliImportTreeOptionKeepFilesFolders"))
    , m_Utf8(QStringLiteral("utf8"), Localized("cliImportOptionUtf8"))
{
    name = QStringLiteral("import-tree");
    description = Localized("cliImportTreeDescription");
    options = {m_Notebook, m_FirstLevelNotebooks, m_NoTxt, m_NoHtml, m_KeepFilesFolders, m_Utf8};
    options += m_RunOptions.ImportOptions();
    positionals = {{QStringLiteral("FOLDER"), Localized("cliImportTreeArgFolders"), QStringLiteral("FOLDER...")}};
}

std::optional<QString> MCliImportTree::CheckArguments(const QCommandLineParser& parser) const
{
    if (parser.positionalArguments().isEmpty())
        return Localized("cliImportNeedsFiles");
    if (parser.isSet(m_Notebook) == parser.isSet(m_FirstLevelNotebooks))
        return Localized("cliImportTreeOneTarget");
    return m_RunOptions.Problem(parser);
}

int MCliImportTree::Execute(const QCommandLineParser& parser)
{
    QStringList folders;
    for (const QString& argument : parser.positionalArguments()) {
        const QFileInfo info(argument);
        if (!info.isDir()) {
            PrintErr(Localized("cliImportTreeNotAFolder").arg(argument));
            return kExitFailure;
        }
        folders.append(info.absoluteFilePath());
    }
    MImportTreeOptions options;
    options.txtFiles = !parser.isSet(m_NoTxt);
    options.htmlFiles = !parser.isSet(m_NoHtml);
    options.skipHtmlFilesSubFolders = !parser.isSet(m_KeepFilesFolders);
    options.firstSubIsNotebook = parser.isSet(m_FirstLevelNotebooks);
    auto planned = std::make_unique<MResultNode>();
    ScanImportTree(folders, *planned, options);
    if (planned->childCount() == 0) {
        PrintErr(Localized("cliImportTreeNothing").arg(folders.join(QStringLiteral(", "))));
        return kExitSuccess;
    }

    MAccount* const signedIn = SignedInAccount();
    if (!signedIn)
        return kExitFailure;
    MAccount& account = *signedIn;
    // The tree from the service: which containers are there already decides what is made, so a
    // cached one, perhaps from before the last import, will not do.
    const std::shared_ptr<MNotebookNode> root = LoadNotebookTree(account, true);
    if (!root)
        return kExitFailure;
    ClearTicks(*root);
    if (!options.firstSubIsNotebook) {
        const QString path = parser.value(m_Notebook);
        MNotebookNode* notebook = FindNodeByPathOrId(*root, path);
        if (!notebook || notebook->kind != MNodeKind::Notebook) {
            PrintErr(Localized("cliImportTreeNoNotebook").arg(path));
            return kExitFailure;
        }
        notebook->checked = true;
    }

    const bool utf8 = parser.isSet(m_Utf8);
    MRunRecording recording;
    if (const std::optional<int> exit = m_RunOptions.Choose(
            parser, MTreeImportTask::RunIdentity(*planned, root.get(), options.firstSubIsNotebook, utf8), recording))
        return *exit;

    MCliRun run(QStringLiteral("import-tree"), Localized("cliImportTreeDescription"), MCliPacing::UploadsOnly);
    run.UseReportOption(parser, m_RunOptions.ReportOption());
    run.Reporter().SetSourceAndTarget(
        folders.join(QStringLiteral(", ")), options.firstSubIsNotebook ? QString() : parser.value(m_Notebook));
    MTaskContext& context = run.Context(MFeature::ImportTree);
    context.tree = root;

    PrintErr(Localized("strStartImport"));
    MTreeImportTask task(context, std::move(planned), options.firstSubIsNotebook, utf8);
    task.SetRecording(recording);
    task.ThreadImportRun();
    // The outline the next command reads shows what was made.
    if (task.NewSectionCount() > 0)
        LoadNotebookTree(account, true);
    for (const QString& line : task.LinkPass().lines)
        run.Printer().PrintResult(line);
    run.Printer().PrintResult(WithLinkSummary(SummaryText(run.Printer().Counts()), task.LinkPass()));
    return run.End(run.Printer().Counts().failed > 0);
}
