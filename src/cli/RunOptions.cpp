#include "RunOptions.h"

#include "CliReporter.h"
#include "OutlinePath.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"

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
    const MRunRequest request = parser.isSet(m_Resume) ? MRunRequest::Resume
        : parser.isSet(m_New)                          ? MRunRequest::New
        : parser.isSet(m_SkipImported)                 ? MRunRequest::SkipImported
                                                       : MRunRequest::Default;
    const MRunChoice choice = ChooseRun(identity, request, recording.ledgerPath);
    recording = choice.recording;
    switch (choice.kind) {
    case MRunChoice::Kind::Start:
        if (request == MRunRequest::Resume && recording.mode != MRunMode::Resume)
            PrintErr(Localized("cliNothingToResume"));
        return std::nullopt;
    case MRunChoice::Kind::AlreadyDone:
        PrintErr(Localized("cliAlreadyFinished").arg(When(choice.earlier.endedMs)));
        return kExitSuccess;
    case MRunChoice::Kind::AskUnfinished:
        // Starting again would make every page of the interrupted run a second time.
        PrintErr(Localized("cliUnfinishedRun")
                     .arg(When(choice.earlier.startedMs),
                         QString::number(MRunJournal::DoneItems(choice.earlier.id, recording.ledgerPath))));
        return kExitUsage;
    case MRunChoice::Kind::AskFinished:
        // Nobody is there to answer: the run that would make every page a second time is refused.
        PrintErr(Localized("cliFinishedRun").arg(EarlierRunText(choice.earlier, recording.ledgerPath)));
        return kExitUsage;
    }
    return std::nullopt;
}

MAccount* SignedInAccount()
{
    MAccount& account = TheAccount();
    if (account.OnlineOneNoteAccessToken().isEmpty() && account.OnlineOneNoteRefreshToken().isEmpty()) {
        PrintErr(Localized("cliNotSignedIn"));
        return nullptr;
    }
    RefreshTokensSayingFailure(account);
    return &account;
}

void RefreshTokensSayingFailure(MAccount& account)
{
    if (const MTokenFailure failure = account.RefreshTokens())
        PrintErr(*failure);
}

std::shared_ptr<MNotebookNode> LoadNotebookTree(MAccount& account, bool refresh, MTreeReporter* status)
{
    auto root = std::make_shared<MNotebookNode>();
    MNotebookTree tree(account, *root, AppPaths().notebookCache, status ? status : &QuietTreeReporter());
    const MTreeBuildResult built = tree.CreateNotebooksTree(refresh, false);
    if (!built.built || !built.isList) {
        PrintErr(Localized(built.built ? "cliTreeNoList" : "cliTreeNoAnswer"));
        return nullptr;
    }
    return root;
}

bool CheckPaths(MNotebookNode& root, const QStringList& pathsOrIds)
{
    for (const QString& check : pathsOrIds) {
        MNotebookNode* node = FindNodeByPathOrId(root, check);
        if (!node) {
            PrintErr(Localized("cliExportNoSuchNode").arg(check));
            return false;
        }
        SetCheckState(node, 1);
    }
    return true;
}

void ClearTicks(MNotebookNode& node)
{
    node.checked = false;
    for (const auto& child : node.children())
        ClearTicks(*child);
}
