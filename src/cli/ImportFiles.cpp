#include "ImportFiles.h"

#include "CliReporter.h"
#include "CliRun.h"
#include "OutlinePath.h"
#include "RunOptions.h"

#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "import/FileImport.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"
#include "tasks/MTaskContext.h"

#include <QFileInfo>

namespace {

std::optional<MFileImportKind> KindNamed(const QString& name)
{
    return FileImportKindForFeature(FeatureOfCommand(QStringLiteral("import-files"), name));
}

} // namespace

MCliImportFiles::MCliImportFiles()
    : m_Kind(QStringLiteral("kind"), Localized("cliImportFilesOptionKind"),
        CommandKinds(QStringLiteral("import-files")).join(QLatin1Char('|')))
    , m_Section(QStringLiteral("section"), Localized("cliImportFilesOptionSection"), QStringLiteral("PATH"))
    , m_Utf8(QStringLiteral("utf8"), Localized("cliImportOptionUtf8"))
{
    name = QStringLiteral("import-files");
    description = Localized("cliImportFilesDescription");
    options = {m_Kind, m_Section, m_Utf8};
    options += m_RunOptions.ImportOptions();
    positionals = {{QStringLiteral("FILE"), Localized("cliImportFilesArgFiles"), QStringLiteral("FILE|FOLDER...")}};
}

std::optional<QString> MCliImportFiles::CheckArguments(const QCommandLineParser& parser) const
{
    if (parser.positionalArguments().isEmpty())
        return Localized("cliImportNeedsFiles");
    if (!KindNamed(parser.value(m_Kind)))
        return Localized("cliImportFilesNeedsKind");
    if (parser.value(m_Section).isEmpty())
        return Localized("cliImportFilesNeedsSection");
    return m_RunOptions.Problem(parser);
}

int MCliImportFiles::Execute(const QCommandLineParser& parser)
{
    const MFileImportKind kind = *KindNamed(parser.value(m_Kind));
    // Every name is checked before anything is sent: a typing error costs no half-done import.
    QList<MFileObject> files;
    for (const QString& argument : parser.positionalArguments()) {
        const QFileInfo info(argument);
        if (info.isDir())
            LoopGetAFolderFiles(files, kind, info.absoluteFilePath(), true);
        else if (info.isFile())
            AddToFileList(files, info.absoluteFilePath());
        else {
            PrintErr(Localized("cliImportNoSuchPath").arg(argument));
            return kExitFailure;
        }
    }
    if (files.isEmpty()) {
        PrintErr(Localized("cliImportFilesNone"));
        return kExitFailure;
    }

    MAccount* const signedIn = SignedInAccount();
    if (!signedIn)
        return kExitFailure;
    MAccount& account = *signedIn;
    const std::shared_ptr<MNotebookNode> root = LoadNotebookTree(account, false);
    if (!root)
        return kExitFailure;
    const QString path = parser.value(m_Section);
    MNotebookNode* section = FindNodeByPathOrId(*root, path);
    if (!section || section->kind != MNodeKind::Section) {
        PrintErr(Localized("cliImportFilesNoSection").arg(path));
        return kExitFailure;
    }
    ClearTicks(*root);
    section->checked = true;

    MFileImportSettings settings;
    settings.kind = kind;
    settings.utf8 = parser.isSet(m_Utf8);
    settings.sectionId = MFileImportTask::TargetSectionId(root.get());
    if (const std::optional<int> exit
        = m_RunOptions.Choose(parser, FileImportRunIdentity(settings, files), settings.run))
        return *exit;

    MCliRun run(QStringLiteral("import-files"), Localized("cliImportFilesDescription"), MCliPacing::UploadsOnly);
    run.UseReportOption(parser, m_RunOptions.ReportOption());
    run.Reporter().SetSourceAndTarget(SourceListName(parser.positionalArguments()), path);
    MTaskContext& context = run.Context(FeatureForFileImportKind(kind));
    context.tree = root;

    PrintErr(Localized("strStartImport"));
    MFileImportTask task(context, settings, files);
    task.ThreadImportRun();
    // Each file went out as a line while it was imported; the summary closes the list.
    for (const QString& line : task.LinkPass().lines)
        run.Printer().PrintResult(line);
    run.Printer().PrintResult(WithLinkSummary(SummaryText(run.Printer().Counts()), task.LinkPass()));
    return run.End(run.Printer().Counts().failed > 0);
}
