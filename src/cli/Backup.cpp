#include "Backup.h"

#include "CliRun.h"
#include "RunOptions.h"

#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "export/MBackupTask.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"

#include <QDir>

MCliBackup::MCliBackup()
    : m_Out(QStringLiteral("out"), Localized("cliBackupOptionOut"), QStringLiteral("DIR"))
    , m_Kind(
          QStringLiteral("kind"), Localized("cliBackupOptionKind"), QStringLiteral("html|txt"), QStringLiteral("html"))
    , m_Sections(QStringLiteral("sections"), Localized("cliBackupOptionSections"))
    , m_Check(QStringLiteral("check"), Localized("cliExportOptionCheck"), QStringLiteral("PATH"))
    , m_All(QStringLiteral("all"), Localized("cliBackupOptionAll"))
    , m_ReportFile(ReportOption())
{
    name = QStringLiteral("backup");
    description = Localized("cliBackupDescription");
    options = {m_Out, m_Kind, m_Sections, m_Check, m_All, m_ReportFile};
}

std::optional<QString> MCliBackup::CheckArguments(const QCommandLineParser& parser) const
{
    if (!parser.positionalArguments().isEmpty())
        return Localized("cliWrongArgumentCount");
    if (parser.value(m_Out).isEmpty())
        return Localized("strSpecifyStoreFolder");
    if (parser.value(m_Kind) != QLatin1String("html") && parser.value(m_Kind) != QLatin1String("txt"))
        return Localized("cliBackupBadKind");
    if (parser.values(m_Check).isEmpty() == !parser.isSet(m_All))
        return Localized("cliBackupNeedsWhat");
    return std::nullopt;
}

int MCliBackup::Execute(const QCommandLineParser& parser)
{
    const QString folder = parser.value(m_Out);
    // Rows and progress to standard error: standard output is the summary line a monitor reads.
    MCliRun run(QStringLiteral("backup"), Localized("cliBackupDescription"), MCliPacing::UploadsAndDownloads, stderr);
    run.UseReportOption(parser, m_ReportFile);
    // Read afresh every time: a section made online since the last run belongs in the mirror.
    if (!run.SignIn() || !run.LoadTree(true))
        return kExitFailure;
    if (parser.isSet(m_All)) {
        for (size_t i = 0; i < run.Root().childCount(); ++i)
            SetCheckState(run.Root().child(i), 1);
    } else if (!run.Check(parser.values(m_Check))) {
        return kExitFailure;
    }
    run.Reporter().SetSourceAndTarget(
        parser.isSet(m_All) ? QStringLiteral("--all") : parser.values(m_Check).join(QStringLiteral(", ")), folder);
    const MExportKind kind = parser.value(m_Kind) == QLatin1String("txt") ? MExportKind::Text : MExportKind::Html;
    MTaskContext& context = run.Context(ExportKindInfo(kind).feature);
    MBackupTask task(context, kind, folder, parser.isSet(m_Sections));
    switch (task.Run()) {
    case MBackupTask::Start::Busy:
        PrintErr(Localized("taskBackupBusy").arg(QDir::toNativeSeparators(folder)));
        return kExitBusy;
    case MBackupTask::Start::NoState:
        return kExitFailure;
    case MBackupTask::Start::Ran:
        break;
    }
    PrintOut(task.SummaryText());
    return run.End(task.Counts().failed > 0);
}
