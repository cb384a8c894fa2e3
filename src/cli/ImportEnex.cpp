#include "ImportEnex.h"

#include "CliReporter.h"
#include "CliRun.h"
#include "OutlinePath.h"
#include "RunOptions.h"

#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "import/EvernoteImport.h"
#include "import/MEnexReader.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"
#include "tasks/MRunReport.h"
#include "tasks/MTaskContext.h"
#include "util/FileUtils.h"
#include "util/TextUtils.h"

#include <QDateTime>
#include <limits>

namespace {

std::optional<qint64> ParseCount(const QString& text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok && value >= 0 ? std::optional<qint64>(value) : std::nullopt;
}

// The outline has no check boxes here: the path ticks its node, so the target is chosen exactly as
// the panel chooses it.
void TickTarget(MNotebookNode& root, MNotebookNode& target)
{
    ClearTicks(root);
    target.checked = true;
}

// The tree from the cache, fetched when there is none; false without a usable tree.
bool LoadTree(MAccount& account, MNotebookNode& root, bool mayFetch)
{
    const QString cache = AppPaths().notebookCache;
    if (!FileExists(cache) && !mayFetch)
        return false;
    MNotebookTree tree(account, root, cache, &QuietTreeReporter());
    const MTreeBuildResult result = tree.CreateNotebooksTree(false, false);
    return result.built && result.isList;
}

// The file named on the command line; false (after saying why) when there is none.
bool EnexFileThere(const QString& file)
{
    if (file.isEmpty()) {
        PrintErr(Localized("strChooseEnexFile"));
        return false;
    }
    if (!FileExists(file)) {
        PrintErr(Localized("strFileNotExists"));
        return false;
    }
    return true;
}

// The section (or, for tag sections, the notebook or section group) the path names in the outline,
// chosen as the panel chooses it; no parent address when there is none. A preview needs no sign-in:
// without an outline to look in, the path itself names the target.
MEvernoteTarget FindTarget(
    MAccount& account, MNotebookNode& root, const QString& path, bool tagMode, bool dryRun, bool mayFetch)
{
    MEvernoteTarget target;
    MNotebookNode* node = LoadTree(account, root, mayFetch) ? FindNodeByPathOrId(root, path) : nullptr;
    const MNodeKind wanted = tagMode ? MNodeKind::Notebook : MNodeKind::Section;
    if (node && (node->kind == wanted || (tagMode && node->kind == MNodeKind::SectionGroup))) {
        TickTarget(root, *node);
        target = ChooseEvernoteTarget(root, tagMode);
    } else if (dryRun) {
        target.parentUrl = QStringLiteral("dry-run:") + path;
        target.sections = std::make_unique<MNotebookNode>();
    }
    return target;
}

} // namespace

MCliImportEnex::MCliImportEnex()
    : m_Section(QStringLiteral("section"), Localized("cliImportEnexOptionSection"), QStringLiteral("PATH"))
    , m_TagSections(QStringLiteral("tag-sections"), Localized("cliImportEnexOptionTagSections"), QStringLiteral("PATH"))
    , m_From(QStringLiteral("from"), Localized("cliImportEnexOptionFrom"), QStringLiteral("N"))
    , m_To(QStringLiteral("to"), Localized("cliImportEnexOptionTo"), QStringLiteral("M"))
    , m_Indents(QStringLiteral("indents"), Localized("cliImportEnexOptionIndents"))
    , m_DryRun(QStringLiteral("dry-run"), Localized("cliImportEnexOptionDryRun"))
{
    name = QStringLiteral("import-enex");
    description = Localized("cliImportEnexDescription");
    options = {m_Section, m_TagSections, m_From, m_To, m_Indents, m_DryRun};
    options += m_RunOptions.ImportOptions();
    positionals = {{QStringLiteral("FILE"), Localized("cliImportEnexArgFile"), QStringLiteral("FILE")}};
}

std::optional<QString> MCliImportEnex::CheckArguments(const QCommandLineParser& parser) const
{
    if (const auto error = MCliCommand::CheckArguments(parser))
        return error;
    if (parser.isSet(m_Section) == parser.isSet(m_TagSections))
        return Localized("cliImportEnexOneTarget");
    if (const auto problem = m_RunOptions.Problem(parser))
        return problem;
    for (const QCommandLineOption& option : {m_From, m_To}) {
        if (parser.isSet(option) && !ParseCount(parser.value(option)))
            return Localized("cliImportEnexBadNumber").arg(option.names().first());
    }
    return std::nullopt;
}

int MCliImportEnex::Execute(const QCommandLineParser& parser)
{
    const QString file = parser.positionalArguments().first();
    if (!EnexFileThere(file))
        return kExitFailure;
    const bool tagMode = parser.isSet(m_TagSections);
    const bool dryRun = parser.isSet(m_DryRun);
    const QString path = parser.value(tagMode ? m_TagSections : m_Section);

    MAccount& account = TheAccount();
    const bool signedIn
        = !account.OnlineOneNoteAccessToken().isEmpty() || !account.OnlineOneNoteRefreshToken().isEmpty();
    if (!dryRun && !signedIn) {
        PrintErr(Localized("cliNotSignedIn"));
        return kExitFailure;
    }
    if (!dryRun)
        RefreshTokensSayingFailure(account);

    MNotebookNode root;
    const MEvernoteTarget target = FindTarget(account, root, path, tagMode, dryRun, !dryRun && signedIn);
    if (target.parentUrl.isEmpty()) {
        PrintErr(Localized("cliImportEnexNoTarget").arg(path));
        return kExitFailure;
    }

    MEvernoteImportSettings settings;
    settings.enexFileName = file;
    settings.from = parser.isSet(m_From) ? *ParseCount(parser.value(m_From)) : 1;
    settings.to = parser.isSet(m_To) ? *ParseCount(parser.value(m_To)) : std::numeric_limits<qint64>::max();
    settings.createTagSections = tagMode;
    settings.handleIndents = parser.isSet(m_Indents);
    settings.parentUrlSaveTo = target.parentUrl;
    if (!dryRun) {
        // The notes are counted first: the progress, the time left and the report's totals need them.
        settings.expectedNotes = CountEnexNotes(file).value_or(0);
        if (const std::optional<int> exit = m_RunOptions.Choose(parser, EnexRunIdentity(settings), settings.run))
            return *exit;
    }

    MCliRun run(QStringLiteral("import-enex"), Localized("cliImportEnexDescription"),
        dryRun ? MCliPacing::None : MCliPacing::UploadsOnly);
    run.UseReportOption(parser, m_RunOptions.ReportOption());
    run.Reporter().SetSourceAndTarget(file, path);
    MRunRecorder& reporter = run.Reporter();
    MCliReporter& cliReporter = run.Printer();
    std::atomic<bool>& running = run.Running();
    MTaskContext& context = run.Context(MFeature::ImportEvernote);
    context.tree = nullptr;
    if (dryRun)
        context.account = nullptr;

    MServiceSession session(account, &running, [&reporter](const QString& status) { reporter.ShowStatus(status); });
    MServiceEnexSender serviceSender(session);
    MDryRunEnexSender dryRunSender([&cliReporter](const QString& line) { cliReporter.PrintResult(line); });
    dryRunSender.SetLabel(target.parentUrl, path);
    for (const auto& section : target.sections->children())
        dryRunSender.SetLabel(section->selfUrl, path + QLatin1Char('/') + section->name);
    MEnexPageSender& sender = dryRun ? static_cast<MEnexPageSender&>(dryRunSender) : serviceSender;

    const MEvernoteImportResult result = ThreadImportRun(context, sender, settings, *target.sections);
    if (!result.opened) {
        PrintErr(Localized("strOpenEnexFileError"));
        return kExitFailure;
    }
    // The notes went out as rows while they were imported; the summary line closes the list.
    PrintOut(result.result.mid(result.result.lastIndexOf(QLatin1Char('\n')) + 1));
    const bool failed = result.brokeOff || result.failure > 0;
    if (dryRun)
        return failed || run.Stopped() ? kExitFailure : kExitSuccess;
    return run.End(failed);
}
