#include "MDriveTask.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "tasks/MOutlineSink.h"

namespace {

// A tree of thousands of rows is copied for every post; a few posts a second keep that cheap.
constexpr qint64 kOutlineEveryMs = 200;

} // namespace

MDriveTask::MDriveTask(const MTaskContext& context, MOutlineSink* outline)
    : m_Context(context)
    , m_Session(
          *context.account, context.running,
          [reporter = context.reporter](const QString& status) {
              if (reporter)
                  reporter->ShowStatus(status);
          },
          [this](const MHttpRequest& request) { return Send(request); })
    , m_Outline(outline)
{ }

bool MDriveTask::SupportsAccountType(int accountType)
{
    return accountType == MAccount::Personal || accountType == MAccount::GlobalWork;
}

MHttpResponse MDriveTask::Send(const MHttpRequest& request)
{
    return MHttpClient::ForCurrentThread().Send(request);
}

void MDriveTask::ShowStatus(const QString& status)
{
    if (m_Context.reporter)
        m_Context.reporter->ShowStatus(status);
}

void MDriveTask::Alert(const QString& text)
{
    if (m_Context.reporter)
        m_Context.reporter->Alert(text);
}

void MDriveTask::Wait(MPacer::Kind kind)
{
    if (m_Context.pacer)
        m_Context.pacer->Wait(kind);
}

void MDriveTask::ShowOutline(bool now)
{
    if (!m_Outline)
        return;
    if (!now && m_SinceOutline.isValid() && m_SinceOutline.elapsed() < kOutlineEveryMs) {
        m_OutlinePending = true;
        return;
    }
    m_Outline->ShowOutline(m_Tree);
    m_OutlinePending = false;
    m_SinceOutline.start();
}

void MDriveTask::ShowProgress(qint64 done, qint64 total)
{
    if (m_Context.reporter)
        m_Context.reporter->ShowProgress(MTaskProgress {done, total, -1});
}

qint64 MDriveTask::BeginItem(const QString& text)
{
    const qint64 index = m_NextItem++;
    if (m_Context.reporter)
        m_Context.reporter->ReportItem(MTaskItem {index, text, MItemOutcome::Sending, {}, {}});
    return index;
}

void MDriveTask::EndItem(
    qint64 index, const QString& text, MItemOutcome outcome, const QString& reason, const QString& target)
{
    m_Counts.Add(outcome);
    if (m_Context.reporter)
        m_Context.reporter->ReportItem(MTaskItem {index, text, outcome, reason, target});
}

void MDriveTask::Finish()
{
    ShowOutline(true);
    if (m_Context.reporter)
        m_Context.reporter->Finish(Localized("strFinish"));
}

qint64 FailureCode(const MServiceAnswer& answer)
{
    switch (answer.failure) {
    case MAnswerFailure::NotSent:
    case MAnswerFailure::Stopped:
        return kDriveNoToken;
    case MAnswerFailure::Transport:
        return kDriveNoAnswer;
    default:
        return kDriveServiceError;
    }
}
