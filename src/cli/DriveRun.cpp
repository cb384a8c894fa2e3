#include "DriveRun.h"

#include "Command.h"
#include "OutlinePath.h"
#include "RunOptions.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "drive/MDriveTask.h"
#include "model/MNotebookTree.h"
#include "model/MONObject.h"

bool MCliDriveRun::CheckAccount()
{
    MAccount* const account = SignedInAccount();
    if (account && !MDriveTask::SupportsAccountType(account->MSAccountType())) {
        PrintErr(Localized("msgNotSupportAccountType"));
        return false;
    }
    return account != nullptr;
}

std::shared_ptr<MONObject> MCliDriveRun::LoadTree(bool refresh)
{
    return LoadNotebookTree(TheAccount(), refresh, &StderrTreeReporter());
}

bool MCliDriveRun::CheckNodes(MONObject& root, const QStringList& pathsOrIds)
{
    return CheckPaths(root, pathsOrIds);
}

MCliDriveRun::MCliDriveRun(const QString& task)
    : m_Task(task)
{ }

int MCliDriveRun::End(int status)
{
    for (const auto& recorder : m_Recorders)
        PrintReportPath(*recorder);
    return m_Running.load() ? status : kExitFailure;
}

MTaskContext& MCliDriveRun::Context(std::shared_ptr<const MONObject> tree, MTaskReporter& reporter)
{
    m_Recorders.push_back(std::make_unique<MRunRecorder>(&reporter, m_Task, m_Task, &m_Running));
    // Set before the run: it writes its report when it finishes. A later run's report replaces an
    // earlier one's there.
    if (!m_ReportPath.isEmpty())
        m_Recorders.back()->SetReportPath(m_ReportPath);
    m_Pacer = std::make_unique<MPacer>(
        GlobalSettings().UploadInterval.load(), GlobalSettings().DownloadInterval.load(), &m_Running);
    m_Context.account = &TheAccount();
    m_Context.tree = std::move(tree);
    m_Context.reporter = m_Recorders.back().get();
    m_Context.pacer = m_Pacer.get();
    m_Context.running = &m_Running;
    return m_Context;
}

int DriveExitStatus(qint64 failedItems, int alerts)
{
    return failedItems > 0 || alerts > 0 ? kExitFailure : kExitSuccess;
}
