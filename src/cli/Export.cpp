#include "Export.h"

#include "CliReporter.h"
#include "OutlinePath.h"
#include "RunOptions.h"

#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "export/MExportTask.h"
#include "model/MNotebookTree.h"
#include "model/MONObject.h"
#include "tasks/MRunReport.h"
#include "util/FileUtils.h"

namespace {

std::optional<QString> FeatureForKind(const QString& kind)
{
    if (kind == QLatin1String("txt"))
        return QStringLiteral("btnExportToTxt");
    if (kind == QLatin1String("html"))
        return QStringLiteral("btnExportToHtml");
    if (kind == QLatin1String("md"))
        return QStringLiteral("btnExportToMarkdown");
    if (kind == QLatin1String("backup"))
        return QStringLiteral("btnBackup");
    return std::nullopt;
}

} // namespace

MCliExport::MCliExport()
    : m_Kind(QStringLiteral("kind"), Localized("cliExportOptionKind"), QStringLiteral("txt|html|md|backup"))
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
    MAccount* signedIn = SignedInAccount();
    if (!signedIn)
        return kExitFailure;
    MAccount& account = *signedIn;

    auto root = std::make_shared<MONObject>();
    MNotebookTree tree(account, *root, AppPaths().notebookCache, &StderrTreeReporter());
    const MTreeBuildResult built = tree.CreateNotebooksTree(parser.isSet(m_Refresh), false);
    if (!built.built || !built.isList) {
        PrintErr(Localized(built.built ? "cliTreeNoList" : "cliTreeNoAnswer"));
        return kExitFailure;
    }
    for (const QString& check : parser.values(m_Check)) {
        MONObject* node = FindNodeByPathOrId(*root, check);
        if (!node) {
            PrintErr(Localized("cliExportNoSuchNode").arg(check));
            return kExitFailure;
        }
        SetCheckState(node, 1);
    }

    const QString folder = parser.value(m_Out);
    const QString feature = *FeatureForKind(parser.value(m_Kind));
    std::atomic<bool> running {true};
    MStopOnSignal stopOnSignal(running);
    MPacer pacer(GlobalSettings().UploadInterval.load(), GlobalSettings().DownloadInterval.load(), &running);
    MCliReporter cliReporter;
    MRunRecorder reporter(&cliReporter, RunTaskName(feature), Localized("cliExportDescription"), &running);
    reporter.SetSourceAndTarget(parser.values(m_Check).join(QStringLiteral(", ")), folder);
    if (parser.isSet(m_ReportFile))
        reporter.SetReportPath(parser.value(m_ReportFile));
    MTaskContext context;
    context.account = &account;
    context.tree = root;
    context.reporter = &reporter;
    context.pacer = &pacer;
    context.running = &running;
    context.feature = feature;
    if (const std::optional<QString> problem = MExportTask::StartProblem(root.get(), folder)) {
        PrintErr(Localized(*problem));
        return kExitFailure;
    }
    CreateFolder(folder);

    MExportTask task(context, *ExportKindForFeature(feature), folder);
    PrintErr(Localized("strStartExport"));
    task.ThreadRun();

    // Each file went out as a row on standard output while it was written.
    PrintReportPath(reporter);
    const bool failed
        = cliReporter.Alerts() > 0 || task.ResourcesFailed() > 0 || cliReporter.Counts().failed > 0 || !running.load();
    return failed ? kExitFailure : kExitSuccess;
}
