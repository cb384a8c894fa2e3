#include "Export.h"

#include "CliReporter.h"
#include "CliRun.h"
#include "OutlinePath.h"
#include "RunOptions.h"

#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "export/MExportTask.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"
#include "tasks/MRunReport.h"
#include "util/FileUtils.h"

namespace {

std::optional<MFeature> FeatureForKind(const QString& kind)
{
    return FeatureOfCommand(QStringLiteral("export"), kind);
}

} // namespace

MCliExport::MCliExport()
    : m_Kind(QStringLiteral("kind"), Localized("cliExportOptionKind"),
        CommandKinds(QStringLiteral("export")).join(QLatin1Char('|')))
    , m_Out(QStringLiteral("out"), Localized("cliExportOptionOut"), QStringLiteral("DIR"))
    , m_Check(QStringLiteral("check"), Localized("cliExportOptionCheck"), QStringLiteral("PATH"))
    , m_Refresh(QStringLiteral("refresh"), Localized("cliTreeOptionRefresh"))
    , m_ReportFile(QStringLiteral("report"), Localized("cliOptionReport"), QStringLiteral("FILE"))
{
    name = QStringLiteral("export");
    description = Localized("cliExportDescription");
    options = {m_Kind, m_Out, m_Check, m_Refresh, m_ReportFile};
}

std::optional<QString> MCliExport::CheckArguments(const QCommandLineParser& parser) const
{
    if (!parser.positionalArguments().isEmpty())
        return Localized("cliWrongArgumentCount");
    if (!FeatureForKind(parser.value(m_Kind)))
        return Localized("cliExportNeedsKind");
    if (parser.value(m_Out).isEmpty())
        return Localized("strSpecifyStoreFolder");
    if (parser.values(m_Check).isEmpty())
        return Localized("cliExportNeedsCheck");
    return std::nullopt;
}

int MCliExport::Execute(const QCommandLineParser& parser)
{
    const MFeature feature = *FeatureForKind(parser.value(m_Kind));
    MCliRun run(ReportName(feature), Localized("cliExportDescription"));
    run.UseReportOption(parser, m_ReportFile);
    if (!run.Prepare(parser.values(m_Check), parser.isSet(m_Refresh)))
        return kExitFailure;
    const QString folder = parser.value(m_Out);
    run.Reporter().SetSourceAndTarget(parser.values(m_Check).join(QStringLiteral(", ")), folder);
    if (const std::optional<QString> problem = MExportTask::StartProblem(&run.Root(), folder)) {
        PrintErr(Localized(*problem));
        return kExitFailure;
    }
    CreateFolder(folder);

    MExportTask task(run.Context(feature), *ExportKindForFeature(feature), folder);
    PrintErr(Localized("strStartExport"));
    task.ThreadRun();

    // Each file went out as a row on standard output while it was written.
    const MCliReporter& printer = run.Printer();
    return run.End(printer.Alerts() > 0 || task.ResourcesFailed() > 0 || printer.Counts().failed > 0);
}
