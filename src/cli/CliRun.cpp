#include "CliRun.h"

#include "CliReporter.h"
#include "Command.h"
#include "OutlinePath.h"
#include "RunOptions.h"
#include "account/MAccount.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "drive/MDriveTask.h"
#include "model/MNotebookNode.h"

namespace {

qint64 Interval(const std::atomic<qint64>& setting, bool kept)
{
    return kept ? setting.load() : 0;
}

} // namespace

QCommandLineOption MCliRun::CheckOption()
{
    return QCommandLineOption(QStringLiteral("check"), Localized("cliExportOptionCheck"), QStringLiteral("PATH"));
}

QCommandLineOption MCliRun::RefreshOption()
{
    return QCommandLineOption(QStringLiteral("refresh"), Localized("cliTreeOptionRefresh"));
}

MCliRun::MCliRun(const QString& task, const QString& title, MCliPacing pacing, FILE* results)
    : m_Task(task)
    , m_Title(title.isEmpty() ? task : title)
    , m_Printer(stderr, results)
    , m_Pacer(Interval(GlobalSettings().UploadInterval, pacing != MCliPacing::None),
          Interval(GlobalSettings().DownloadInterval, pacing == MCliPacing::UploadsAndDownloads), &m_Running)
    , m_Root(std::make_shared<MNotebookNode>())
{ }

void MCliRun::UseReportOption(const QCommandLineParser& parser, const QCommandLineOption& report)
{
    if (!parser.isSet(report))
        return;
    m_ReportPath = parser.value(report);
    for (const auto& recorder : m_Recorders)
        recorder->SetReportPath(m_ReportPath);
}

bool MCliRun::SignIn(bool drive)
{
    m_Account = SignedInAccount();
    if (m_Account && drive && !MDriveTask::SupportsAccountType(m_Account->MSAccountType())) {
        PrintErr(Localized("msgNotSupportAccountType"));
        m_Account = nullptr;
    }
    return m_Account != nullptr;
}

bool MCliRun::LoadTree(bool refresh)
{
    const std::shared_ptr<MNotebookNode> root = LoadNotebookTree(TheAccount(), refresh, &StderrTreeReporter());
    if (!root)
        return false;
    m_Root->swapChildren(*root);
    return true;
}

bool MCliRun::Check(const QStringList& pathsOrIds)
{
    return CheckPaths(*m_Root, pathsOrIds);
}

bool MCliRun::Prepare(const QStringList& checks, bool refresh)
{
    return SignIn() && LoadTree(refresh) && Check(checks);
}

MRunRecorder& MCliRun::NewRecorder(MTaskReporter& printer)
{
    m_Recorders.push_back(std::make_unique<MRunRecorder>(&printer, m_Task, m_Title, &m_Running));
    // Set before the run: it writes its report when it finishes. A later run's report replaces an
    // earlier one's there.
    if (!m_ReportPath.isEmpty())
        m_Recorders.back()->SetReportPath(m_ReportPath);
    return *m_Recorders.back();
}

MRunRecorder& MCliRun::Reporter()
{
    if (!m_Recorder)
        m_Recorder = &NewRecorder(m_Printer);
    return *m_Recorder;
}

MTaskContext& MCliRun::SetContext(std::shared_ptr<const MNotebookNode> tree, MTaskReporter& reporter)
{
    m_Context.account = &TheAccount();
    m_Context.tree = std::move(tree);
    m_Context.reporter = &reporter;
    m_Context.pacer = &m_Pacer;
    m_Context.running = &m_Running;
    return m_Context;
}

MTaskContext& MCliRun::Context(std::optional<MFeature> feature)
{
    SetContext(m_Root, Reporter()).feature = feature;
    return m_Context;
}

MTaskContext& MCliRun::Context(std::shared_ptr<const MNotebookNode> tree, MTaskReporter& printer)
{
    return SetContext(std::move(tree), NewRecorder(printer));
}

int MCliRun::End(bool failed)
{
    for (const auto& recorder : m_Recorders)
        PrintReportPath(*recorder);
    return failed || Stopped() ? kExitFailure : kExitSuccess;
}

QString ResultField(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
