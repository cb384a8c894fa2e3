#include "CheckedRun.h"

#include "Command.h"
#include "OutlinePath.h"
#include "RunOptions.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "model/MNotebookTree.h"
#include "model/MONObject.h"

QCommandLineOption MCheckedRun::CheckOption()
{
    return QCommandLineOption(QStringLiteral("check"), Localized("cliExportOptionCheck"), QStringLiteral("PATH"));
}

QCommandLineOption MCheckedRun::RefreshOption()
{
    return QCommandLineOption(QStringLiteral("refresh"), Localized("cliTreeOptionRefresh"));
}

MCheckedRun::MCheckedRun(const QString& task)
    : m_Root(std::make_shared<MONObject>())
    , m_Pacer(std::make_unique<MPacer>(
          GlobalSettings().UploadInterval.load(), GlobalSettings().DownloadInterval.load(), &m_Running))
    , m_Recorder(&m_Reporter, task, task, &m_Running)
{
    m_Context.account = &TheAccount();
    m_Context.tree = m_Root;
    m_Context.reporter = &m_Recorder;
    m_Context.pacer = m_Pacer.get();
    m_Context.running = &m_Running;
}

bool MCheckedRun::Prepare(const QStringList& checks, bool refresh)
{
    MAccount* const account = SignedInAccount();
    if (!account)
        return false;
    const std::shared_ptr<MONObject> root = LoadNotebookTree(*account, refresh, &StderrTreeReporter());
    if (!root)
        return false;
    m_Root->swapChildren(*root);
    return CheckPaths(*m_Root, checks);
}

void MCheckedRun::UseReport(const QString& path)
{
    if (!path.isEmpty())
        m_Recorder.SetReportPath(path);
}

int MCheckedRun::End(bool failed)
{
    PrintReportPath(m_Recorder);
    return failed || !m_Running.load() ? kExitFailure : kExitSuccess;
}

QString ResultField(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
