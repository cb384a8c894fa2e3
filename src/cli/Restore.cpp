#include "Restore.h"

#include "RunOptions.h"

#include "CliReporter.h"
#include "CliRun.h"
#include "OutlinePath.h"
#include "app/MStrings.h"
#include "drive/MRestoreTask.h"
#include "drive/RestoreTree.h"
#include "model/MNotebookNode.h"
#include "model/MResultNode.h"

#include <QFileInfo>

MCliRestore::MCliRestore()
    : m_To(QStringLiteral("to"), Localized("cliRestoreOptionTo"), QStringLiteral("PATH"))
    , m_Refresh(QStringLiteral("refresh"), Localized("cliTreeOptionRefresh"))
{
    name = QStringLiteral("restore");
    description = Localized("cliRestoreDescription");
    options = {m_To, m_Refresh, ReportOption()};
    positionals = {{QStringLiteral("files"), Localized("cliRestoreArgFiles"), QStringLiteral("FILE|FOLDER...")}};
}

std::optional<QString> MCliRestore::CheckArguments(const QCommandLineParser& parser) const
{
    if (parser.positionalArguments().isEmpty())
        return Localized("cliWrongArgumentCount");
    if (parser.value(m_To).isEmpty())
        return Localized("cliNeedsTarget");
    for (const QString& path : parser.positionalArguments()) {
        const QFileInfo info(path);
        if (!info.exists())
            return Localized("cliNoSuchFile").arg(path);
        if (info.isFile() && !IsSectionFileName(info.fileName()))
            return Localized("cliNotASectionFile").arg(path);
    }
    return std::nullopt;
}

int MCliRestore::Execute(const QCommandLineParser& parser)
{
    MCliRun run(name);
    run.UseReportOption(parser, ReportOption());
    if (!run.SignIn(true))
        return kExitFailure;
    if (!run.LoadTree(parser.isSet(m_Refresh)))
        return kExitFailure;
    const std::shared_ptr<MNotebookNode> root = run.RootPointer();
    const MNotebookNode* target = FindNodeByPathOrId(*root, parser.value(m_To));
    if (!target || (target->kind != MNodeKind::Notebook && target->kind != MNodeKind::SectionGroup)) {
        PrintErr(Localized("cliNoSuchContainer").arg(parser.value(m_To)));
        return kExitFailure;
    }
    MResultNode list;
    MResultNode* into = AddTreeRoot(list, *target);
    for (const QString& path : parser.positionalArguments()) {
        if (QFileInfo(path).isDir())
            LoopGetAFolderFiles(path, *into);
        else
            AddSectionFile(*into, path);
    }
    MCliReporter reporter;
    MRestoreTask task(run.Context(root, reporter), list);
    PrintErr(Localized("strStart"));
    task.ThreadViewRun();
    return run.End(reporter.Counts().failed > 0 || reporter.Alerts() > 0);
}
