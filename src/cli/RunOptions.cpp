#include "RunOptions.h"

#include "CliReporter.h"
#include "OutlinePath.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "model/MNotebookTree.h"
#include "model/MONObject.h"

#include <QDateTime>

namespace {

QString When(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

QCommandLineOption ReportOption()
{
    return QCommandLineOption(QStringLiteral("report"), Localized("cliOptionReport"), QStringLiteral("FILE"));
}

MRunOptions::MRunOptions()
    : m_Resume(QStringLiteral("resume"), Localized("cliOptionResume"))
    , m_New(QStringLiteral("new"), Localized("cliOptionNew"))
    , m_SkipImported(QStringLiteral("skip-imported"), Localized("cliOptionSkipImported"))
    , m_Report(::ReportOption())
{ }

QList<QCommandLineOption> MRunOptions::ImportOptions() const
{
    return {m_Resume, m_New, m_SkipImported, m_Report};
}

std::optional<QString> MRunOptions::Problem(const QCommandLineParser& parser) const
{
    if (parser.isSet(m_Resume) && (parser.isSet(m_New) || parser.isSet(m_SkipImported)))
        return Localized("cliResumeAlone");
    return std::nullopt;
}

std::optional<int> MRunOptions::Choose(
    const QCommandLineParser& parser, const MRunJournal::MIdentity& identity, MRunRecording& recording) const
{
    recording.record = true;
    recording.mode = parser.isSet(m_SkipImported) ? MRunMode::SkipImported : MRunMode::New;
    const std::optional<MLedgerRun> unfinished = MRunJournal::FindUnfinished(identity, recording.ledgerPath);
    if (parser.isSet(m_Resume)) {
        if (unfinished) {
            recording.mode = MRunMode::Resume;
            recording.resumeRun = unfinished->id;
        } else if (const std::optional<MLedgerRun> latest = MRunJournal::FindLatest(identity, recording.ledgerPath)) {
            // Done already: resuming must never import it a second time.
            PrintErr(Localized("cliAlreadyFinished").arg(When(latest->endedMs)));
            return kExitSuccess;
        } else {
            PrintErr(Localized("cliNothingToResume"));
        }
    } else if (unfinished && !parser.isSet(m_New)) {
        // Starting again would make every page of the interrupted run a second time.
        PrintErr(Localized("cliUnfinishedRun")
                     .arg(When(unfinished->startedMs),
                         QString::number(MRunJournal::DoneItems(unfinished->id, recording.ledgerPath))));
        return kExitUsage;
    }
    return std::nullopt;
}

MCliRun::MCliRun(const QString& task, const QString& title, FILE* results)
    : m_StopOnSignal(m_Running)
    , m_Printer(stderr, results)
    , m_Recorder(&m_Printer, task, title, &m_Running)
{ }

void MCliRun::UseReportOption(const QCommandLineParser& parser, const QCommandLineOption& report)
{
    if (parser.isSet(report))
        m_Recorder.SetReportPath(parser.value(report));
}

int MCliRun::End()
{
    PrintReportPath(m_Recorder);
    return m_Printer.Counts().failed > 0 || Stopped() ? kExitFailure : kExitSuccess;
}

MAccount* SignedInAccount()
{
    MAccount& account = TheAccount();
    if (account.OnlineOneNoteAccessToken().isEmpty() && account.OnlineOneNoteRefreshToken().isEmpty()) {
        PrintErr(Localized("cliNotSignedIn"));
        return nullptr;
    }
    account.RefreshTokens(true);
    return &account;
}

std::shared_ptr<MONObject> LoadNotebookTree(MAccount& account, bool refresh, MTreeStatusSink* status)
{
    auto root = std::make_shared<MONObject>();
    MNotebookTree tree(account, *root, AppPaths().notebookCache, status ? status : &QuietTreeStatus());
    const MTreeBuildResult built = tree.CreateNotebooksTree(refresh, false);
    if (!built.built || !built.isList) {
        PrintErr(Localized(built.built ? "cliTreeNoList" : "cliTreeNoAnswer"));
        return nullptr;
    }
    return root;
}

bool CheckPaths(MONObject& root, const QStringList& pathsOrIds)
{
    for (const QString& check : pathsOrIds) {
        MONObject* node = FindNodeByPathOrId(root, check);
        if (!node) {
            PrintErr(Localized("cliExportNoSuchNode").arg(check));
            return false;
        }
        SetCheckState(node, 1);
    }
    return true;
}

void ClearTicks(MONObject& node)
{
    node.intValue = 0;
    for (const auto& child : node.children())
        ClearTicks(*child);
}
