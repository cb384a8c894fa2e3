#include "CopySections.h"

#include "RunOptions.h"

#include "CliReporter.h"
#include "CliRun.h"
#include "OutlinePath.h"
#include "app/MStrings.h"
#include "drive/MCopySectionsTask.h"
#include "model/MNotebookNode.h"

MCliCopySections::MCliCopySections()
    : m_To(QStringLiteral("to"), Localized("cliCopyOptionTo"), QStringLiteral("PATH"))
    , m_Check(QStringLiteral("check"), Localized("cliExportOptionCheck"), QStringLiteral("PATH"))
    , m_Refresh(QStringLiteral("refresh"), Localized("cliTreeOptionRefresh"))
{
    name = QStringLiteral("copy-sections");
    description = Localized("cliCopyDescription");
    options = {m_To, m_Check, m_Refresh, ReportOption()};
}

std::optional<QString> MCliCopySections::CheckArguments(const QCommandLineParser& parser) const
{
    if (!parser.positionalArguments().isEmpty())
        return Localized("cliWrongArgumentCount");
    if (parser.value(m_To).isEmpty())
        return Localized("cliNeedsTarget");
    if (parser.values(m_Check).isEmpty())
        return Localized("cliExportNeedsCheck");
    return std::nullopt;
}

int MCliCopySections::Execute(const QCommandLineParser& parser)
{
    MCliRun run(name);
    run.UseReportOption(parser, ReportOption());
    if (!run.SignIn(true))
        return kExitFailure;
    if (!run.LoadTree(parser.isSet(m_Refresh)) || !run.Check(parser.values(m_Check)))
        return kExitFailure;
    const std::shared_ptr<MNotebookNode> root = run.RootPointer();
    const MNotebookNode* target = FindNodeByPathOrId(*root, parser.value(m_To));
    if (!target || (target->kind != MNodeKind::Notebook && target->kind != MNodeKind::SectionGroup)) {
        PrintErr(Localized("cliNoSuchContainer").arg(parser.value(m_To)));
        return kExitFailure;
    }
    if (const std::optional<QString> problem = MCopySectionsTask::StartProblem(root.get())) {
        PrintErr(Localized(*problem));
        return kExitFailure;
    }
    MCliReporter reporter;
    MCopySectionsTask task(run.Context(root, reporter), target->id);
    PrintErr(Localized("strStart"));
    task.ThreadViewRun();
    if (task.CopySuccessCount() > 0)
        PrintErr(Localized("msgFinishCopySections"));
    return run.End(reporter.Counts().failed > 0 || reporter.Alerts() > 0);
}
